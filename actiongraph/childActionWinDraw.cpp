// Drawing the action graph into the window. The picture is made by the
// renderer over the window's drawing surfaces; until they are in place the
// window shows the node count only.
#include "actiongraph/childActionWin.h"

#include "actiongraph/Actiongraph.h"

#include <QLineEdit>

void TMDIActionChild::DrawGraph()
{
    EditNumNodes->setText(QString::number(Graph ? Graph->NodeCount() : 0));
}

void TMDIActionChild::FormResize(QObject* Sender)
{
    (void)Sender;
    DrawGraph();
}
