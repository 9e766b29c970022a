// The action-graph window's views around the selected node: the neighbour
// strip over the pages, the timeline page and the data window of the graph's
// occurrences. What they work out lives in actiongraph/model/NeighbourStrip.*, what
// they paint in actiongraph/StripPictures.*.
#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/NeighbourStrip.h"
#include "actiongraph/StripPictures.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "ui/MainServices.h"
#include "ui/StringGrid.h"
#include "ui/childDataWin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSplitter>

namespace {

// Hands the strip's mouse presses to the window.
class StripMouse : public QObject {
public:
    StripMouse(QLabel* strip, TMDIActionChild* window) : QObject(strip), window_(window)
    {
        strip->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonPress)
            return QObject::eventFilter(watched, event);
        auto* e = static_cast<QMouseEvent*>(event);
        const QPoint p = e->position().toPoint();
        window_->ImageGraphMouseDown(e->button(), e->modifiers(), p.x(), p.y());
        return true;
    }

private:
    TMDIActionChild* window_;
};

// Shows the window's timeline picture on the paint box, so that it survives
// every repaint of the box.
class TimelinePainter : public QObject {
public:
    TimelinePainter(QWidget* box, const QImage* image) : QObject(box), image_(image) { box->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !image_->isNull()) {
            QPainter p(static_cast<QWidget*>(watched));
            p.drawImage(0, 0, *image_);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QImage* image_;
};

}  // namespace

void TMDIActionChild::ConnectStripHandlers()
{
    new StripMouse(ImageGraph, this);
    new TimelinePainter(pbTimeline, &TimelineImage);
    connect(Splitter1, &QSplitter::splitterMoved, this, [this] { Splitter1Moved(); });
    connect(btnDrawTimeline, &QPushButton::clicked, this, [this] { btnDrawTimelineClick(); });
    connect(BtnDataWin, &QPushButton::clicked, this, [this] { BtnDataWinClick(); });
}

void TMDIActionChild::DrawImageGraph()
{
    // A node no longer in the graph shows as no selection.
    const TNode* node = SelectedNode && Graph && Graph->IndexOfNode(SelectedNode) >= 0 ? SelectedNode : nullptr;
    const QImage strip =
        PaintNeighbourStrip(ImageGraph->width(), ImageGraph->height(), Graph, node, cbBW->isChecked(), font());
    ImageGraph->setPixmap(QPixmap::fromImage(strip));
}

void TMDIActionChild::ImageGraphMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    (void)shift;
    if (!SelectedNode || !Graph || Graph->IndexOfNode(SelectedNode) < 0)
        return;
    const StripThird third = StripThirdAt(ImageGraph->width(), x);
    if (third == StripThird::Middle)
        return;
    const bool incoming = third == StripThird::Left;
    const std::vector<TConnection*>& side = incoming ? SelectedNode->InList() : SelectedNode->OutList();
    const int band = StripBandAt(static_cast<int>(side.size()), ImageGraph->height(), y);
    if (band < 0)
        return;
    const TConnection* c = side[static_cast<std::size_t>(band)];
    TNode* neighbour = incoming ? c->From() : c->To();
    if (!neighbour)
        return;
    if (button == Qt::LeftButton) {
        SelectNode(neighbour);
        DrawGraph(false, false);
    } else {
        neighbour->SetMark(neighbour->GetMark() + 1);
        DrawImageGraph();
    }
}

void TMDIActionChild::Splitter1Moved()
{
    DrawImageGraph();
    FormResize(Splitter1);
}

void TMDIActionChild::btnDrawTimelineClick()
{
    TimelineImage = QImage(std::max(1, pbTimeline->width()), std::max(1, pbTimeline->height()), QImage::Format_RGB32);
    // The combo's node may have gone with an edit of the graph.
    TNode* node = ActionNodeAt(cbActionNodes->currentIndex());
    if (node && (!Graph || Graph->IndexOfNode(node) < 0))
        node = nullptr;
    std::vector<std::string> objects;
    for (int i = 0; i < lbPlayers->count(); ++i)
        objects.push_back(lbPlayers->item(i)->text().toStdString());
    PaintTimeline(TimelineImage, File, node, objects, g_positionConcepts, pbTimeline->font());
    pbTimeline->update();
}

void TMDIActionChild::DrawTimelineRow(QPainter& canvas, int from, int to, const QRect& rect, const QColor& colour,
                                      const std::vector<int>& cycles)
{
    PaintTimelineRow(canvas, from, to, rect, colour, cycles);
}

TMDIDataChild* TMDIActionChild::BtnDataWinClick()
{
    // Without a field the window would stay empty: none is opened.
    IMainWindowServices* main = MainServices();
    std::vector<TimeChannel*> fields;
    if (!main || !main->ChosenChannels(fields)) {
        platform::MessageBox(this, "No data parameter selected", "Warning");
        return nullptr;
    }
    auto* child = new TMDIDataChild(mdiArea(), File);
    int windows = 0;
    if (main)
        windows = main->ChildWindowCount();
    else if (mdiArea())
        windows = static_cast<int>(mdiArea()->subWindowList().size());
    const QListWidgetItem* focused = lbPlayers->currentItem();
    child->SetTitle("Graph Data " + (focused ? focused->text() : QString()) + " " + QString::number(windows));
    child->show();

    const TNode* selected = SelectedNode && Graph && Graph->IndexOfNode(SelectedNode) >= 0 ? SelectedNode : nullptr;
    const std::vector<TGraphDataRow> rows =
        Graph ? GraphDataRows(*Graph, selected, File ? File->cycles : 0) : std::vector<TGraphDataRow>{};
    std::vector<int> cycles;
    for (const TGraphDataRow& row : rows)
        cycles.push_back(row.cycle);
    child->SetRowCycles(std::move(cycles));
    TStringGrid* grid = child->GetGrid();
    // The class column comes first, then one column per field: each follows its channel.
    int col = grid->ColCount() + 1;
    AddGraphDataColumns(grid->Table(), rows, selected != nullptr, fields);
    for (TimeChannel* field : fields) {
        if (field == nullptr)
            continue;
        child->FollowColumn(col++, field->GetFullName(), [rows](CellTable& table, int at, TimeChannel* channel) {
            return FillGraphChannelColumn(table, at, rows, channel);
        });
    }
    grid->Refresh();
    child->FitGrid();
    return child;
}
