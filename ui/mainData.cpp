// The main window's data page: the selected channels as columns of the active
// data window.
#include "ui/main.h"

#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"
#include "platform/qt/Dialogs.h"
#include "ui/MarksLink.h"
#include "ui/OpenLogs.h"
#include "ui/childDataWin.h"

#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

void TMainForm::ConnectDataHandlers()
{
    // The child windows reach the marks through the link while this form lives.
    g_timeMarks = {&Marks, cbUseTimeMarks, lbMarks};
    connect(this, &QObject::destroyed, [marks = &Marks] {
        if (g_timeMarks.marks == marks)
            g_timeMarks = {};
    });
    ConnectClicks({{btnAddDataSeries, &TMainForm::btnAddDataSeriesClick}});
}

void TMainForm::btnAddDataSeriesClick()
{
    auto* active = qobject_cast<TMDIChild*>(MdiArea->currentSubWindow());
    if (active == nullptr) {
        platform::MessageBox(this, "No window selected", "Warning");
        return;
    }
    auto* child = qobject_cast<TMDIDataChild*>(active);
    if (active->Kind != ChildKind::Data || child == nullptr) {
        platform::MessageBox(this, "No data window selected", "Warning");
        return;
    }
    if (child->File == nullptr || child->File != Logs->Current()) {
        platform::MessageBox(this, "Wrong data window selected - log file mismatch", "Warning");
        return;
    }
    const std::vector<std::string> good = GoodWords();
    const std::vector<std::string> bad = BadWords();
    std::vector<TimeChannel*> channels;
    if (pcDataView->currentWidget() == tsTree) {
        const QTreeWidgetItem* node = TreeView->currentItem();
        TimeChannel* channel = node ? ChannelOf(node) : nullptr;
        if (channel == nullptr) {
            platform::MessageBox(this, "No data parameter selected", "Warning");
            return;
        }
        channel->CollectFiltered(channels, good, bad);
    } else {
        if (ListView->currentRow() < 0) {
            platform::MessageBox(this, "No data parameter selected", "Warning");
            return;
        }
        for (int i = 0; i < ListView->count(); ++i)
            if (ListView->item(i)->isSelected())
                if (TimeChannel* channel = ChannelOf(ListView->item(i)))
                    channel->CollectFiltered(channels, good, bad);
    }
    child->AddChannels(channels);
}
