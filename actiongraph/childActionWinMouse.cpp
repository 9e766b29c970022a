// The action-graph window's view interaction: the feature ranking of the
// selected node, the random circle layout, the action rows that move the main
// window's time. What they work out lives in actiongraph/model/NodeView.*.
#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/NodeView.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "ui/MainServices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>

#include <algorithm>

namespace {

// Hands the picture's mouse presses, moves and releases to the window.
class ImageMouse : public QObject {
public:
    ImageMouse(QLabel* image, TMDIActionChild* window) : QObject(image), window_(window)
    {
        image->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            const QPoint p = e->position().toPoint();
            window_->ImageMouseDown(e->button(), e->modifiers(), p.x(), p.y());
            return true;
        }
        case QEvent::MouseMove: {
            auto* e = static_cast<QMouseEvent*>(event);
            const QPoint p = e->position().toPoint();
            window_->ImageMouseMove(e->buttons(), p.x(), p.y());
            return true;
        }
        case QEvent::MouseButtonRelease:
            window_->ImageMouseUp();
            return true;
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    TMDIActionChild* window_;
};

}  // namespace

void TMDIActionChild::ConnectMouseHandlers()
{
    new ImageMouse(Image, this);
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(sgActions, &QTableWidget::cellDoubleClicked, this, [this] { sgActionsDblClick(); });
    connect(Splitter2, &QSplitter::splitterMoved, this, [this] { Splitter2Moved(); });
}

void TMDIActionChild::CollectNodeCycles(const TPathObject* path, const TNode* node, std::vector<int>& cycles,
                                        bool clear)
{
    ::CollectNodeCycles(path, node, cycles, clear);
}

void TMDIActionChild::RankSelectedNodeFeatures()
{
    if (!File || !File->features)
        return;
    std::vector<int> cycles;
    CollectNodeCycles(PathAt(cbPaths->currentIndex()), SelectedNode, cycles, true);
    FeatureList& features = *File->features;
    const auto ranks = RankNodeFeatures(features, cycles, File->cycles);
    sgFeatures->setRowCount(std::max(sgFeatures->rowCount(), static_cast<int>(ranks.size())));
    for (std::size_t i = 0; i < ranks.size(); ++i) {
        const int row = static_cast<int>(i);
        const TFeatureRank& r = ranks[i];
        sgFeatures->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(features.GetName(r.feature))));
        sgFeatures->setItem(row, 1, new QTableWidgetItem(QString::number(r.count)));
        sgFeatures->setItem(row, 2, new QTableWidgetItem(QString::number(r.value, 'g', 15)));
    }
    sgFeatures->setVisible(true);
}

void TMDIActionChild::Button3Click()
{
    RandomCircleLayout(*Graph);
    // This one drawing keeps the circle; the next one places the nodes again.
    ReLayout = true;
    DrawGraph();
    ReLayout = false;
}

void TMDIActionChild::sgActionsDblClick()
{
    IMainWindowServices* main = MainServices();
    const QTableWidgetItem* cell = sgActions->item(sgActions->currentRow(), 0);
    if (!main || !cell)
        return;
    bool ok = false;
    const int cycle = cell->text().trimmed().toInt(&ok);
    if (ok)
        main->SetCurrentCycle(cycle);
}

void TMDIActionChild::Splitter2Moved()
{
    FormResize(Splitter2);
}

void TMDIActionChild::ImageMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    LastMouseX = x;
    LastMouseY = y;
    if (button != Qt::LeftButton || !Graph)
        return;
    const int hit = HitNode(*Graph, GraphView.View(), x, y, cbSmallNodes->isChecked());
    TNode* node = hit >= 0 ? Graph->GetNode(hit) : nullptr;
    if (node != SelectedNode)
        SelectNode(node);
    DrawGraph(true, false);
    if (shift.testFlag(Qt::AltModifier))
        RankSelectedNodeFeatures();
}

void TMDIActionChild::ImageMouseMove(Qt::MouseButtons buttons, int x, int y)
{
    if (buttons.testFlag(Qt::RightButton)) {
        // While panning only the pitch moves; the graph follows on release.
        GraphView.PanBy(LastMouseX - x, LastMouseY - y);
        DrawPitch();
        RestoreBase();
        Image->setPixmap(QPixmap::fromImage(GraphView.Pitch().ToImage()));
    }
    LastMouseX = x;
    LastMouseY = y;
}

void TMDIActionChild::ImageMouseUp()
{
    DrawPitch();
    DrawGraph();
}
