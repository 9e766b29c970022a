// Drawing the action graph into the window: the display controls become the
// renderer's options, the window's log, selection, chosen path and the main
// window's time marks its scene; the picture goes into Image.
#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/GraphRenderer.h"
#include "actiongraph/model/PathObject.h"
#include "ui/main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScrollBar>

#include <functional>

namespace {

// Runs a step whenever the watched widget changes size.
class ResizeWatcher : public QObject {
public:
    ResizeWatcher(QObject* watched, std::function<void()> onResize)
        : QObject(watched), onResize_(std::move(onResize))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            onResize_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onResize_;
};

}  // namespace

void TMDIActionChild::ConnectDrawHandlers()
{
    // The picture follows Image's size, never the other way round.
    Image->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    new ResizeWatcher(Image, [this] { FormResize(Image); });
    for (QCheckBox* box : {cbThinEdges, cbSmallNodes, cbShowNodes, cbShowNames, cbTimeSteps, cbFancyEdges})
        connect(box, &QCheckBox::clicked, this, [this] { DrawGraph(); });
    connect(cbBW, &QCheckBox::clicked, this, [this] { cbBWClick(); });
    connect(sbAlpha, &QScrollBar::valueChanged, this, [this] { DrawGraph(); });
    connect(sbEmphasize, &QScrollBar::valueChanged, this, [this] { DrawGraph(); });
    connect(sbZoom, &QScrollBar::valueChanged, this, [this] { sbZoomChange(); });
}

void TMDIActionChild::FormResize(QObject* Sender)
{
    (void)Sender;
    int w = 0;
    int h = 0;
    TGraphView::PictureSize(Image->width(), Image->height(), w, h);
    GraphView.Resize(w, h);
    if (Graph) {
        sbZoomChange();
        DrawImageGraph();
    }
}

void TMDIActionChild::sbZoomChange()
{
    GraphView.SetZoom(sbZoom->value());
    DrawPitch();
    DrawGraph();
}

void TMDIActionChild::DrawPitch() { GraphView.DrawPitch(cbBW->isChecked()); }

void TMDIActionChild::DrawPitchSpot(double x, double y) { GraphView.DrawPitchSpot(x, y); }

void TMDIActionChild::cbBWClick()
{
    DrawPitch();
    DrawGraph();
}

void TMDIActionChild::PlaceAsDrawn()
{
    if (!Graph || ReLayout)
        return;
    const TObjectTracks tracks = File ? TObjectTracks(*File) : TObjectTracks();
    const TPathObject* path = PathAt(cbPaths->currentIndex());
    PlaceNodes(*Graph, tracks, path ? &path->Connections() : nullptr, nullptr);
}

void TMDIActionChild::DrawGraph(bool hideEdges, bool hideSingle)
{
    EditNumNodes->setText(QString::number(Graph ? Graph->NodeCount() : 0));
    if (!Graph)
        return;
    TGraphDrawOptions options;
    options.alpha = sbAlpha->value();
    options.emph = sbEmphasize->value();
    options.thinEdges = cbThinEdges->isChecked();
    options.smallNodes = cbSmallNodes->isChecked();
    options.showNodes = cbShowNodes->isChecked();
    options.showNames = cbShowNames->isChecked();
    options.timeSteps = cbTimeSteps->isChecked();
    options.fancyEdges = cbFancyEdges->isChecked();
    options.bw = cbBW->isChecked();
    options.filter = EditFilter->text().toStdString();

    TGraphScene scene;
    if (File)
        scene.tracks = TObjectTracks(*File);
    const TPathObject* path = PathAt(cbPaths->currentIndex());
    scene.path = path ? &path->Connections() : nullptr;
    scene.selected = SelectedNode;
    if (options.fancyEdges) {
        if (MainForm)
            scene.marks = MainForm->Marks.Cycles();
        scene.objects = ChosenObjects();
    }
    scene.keepLayout = ReLayout;

    const QImage picture = ::DrawGraph(GraphView, *Graph, scene, options, hideEdges, hideSingle);
    Image->setPixmap(QPixmap::fromImage(picture));
}
