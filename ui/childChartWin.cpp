#include "ui/childChartWin.h"

#include "core/model/Common.h"
#include "core/model/SeriesFunctions.h"
#include "platform/qt/Dialogs.h"
#include "ui/Application.h"
#include "ui/ChartSeries.h"
#include "ui/FlowLayout.h"
#include "ui/FormControls.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

QPushButton* PanelButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

// The number in the edit, read with "." as decimal separator.
double ReadFloat(const QLineEdit* edit) { return StrToFloatDot(edit->text().toStdString()); }

}  // namespace

std::function<int()>& TMDIChartChild::RangeHalfWidth()
{
    static std::function<int()> source;
    return source;
}

TMDIChartChild::TMDIChartChild(QMdiArea* area, RoboCupFileT* log) : TMDIChild(area, log)
{
    Kind = ChildKind::Chart;
    auto* content = new QWidget;
    body_ = new QBoxLayout(QBoxLayout::TopToBottom, content);
    body_->setContentsMargins(0, 0, 0, 0);
    body_->setSpacing(0);
    ChartPanel = NewTimeRangePanel(content, 53);
    BuildPanel(content);
    body_->addWidget(ChartPanel);
    setWidget(content);
    resize(712, 440);
}

void TMDIChartChild::BuildPanel(QWidget* content)
{
    (void)content;
    auto* row = qobject_cast<QHBoxLayout*>(ChartPanel->layout());
    row->setContentsMargins(0, 2, 4, 2);
    PanelShowHide = new TClickStrip(ChartPanel);
    PanelShowHide->setObjectName("PanelShowHide");
    PanelShowHide->setFixedWidth(5);
    row->insertWidget(0, PanelShowHide);
    // Everything but the strip folds away with the panel.
    panelControls_ = new QWidget(ChartPanel);
    // Columns of two rows fit the 53 pixels; a window too narrow for all of
    // them puts the last columns in further rows.
    auto* controls = new TFlowLayout(panelControls_, 6, 1);
    row->insertWidget(1, panelControls_, 1);
    row->setStretch(row->count() - 1, 0);  // the controls take the whole width to wrap in
    row->removeWidget(cbDynamicTimeRange);
    cbDynamicTimeRange->setParent(panelControls_);

    cbSeries = new QComboBox(panelControls_);
    cbSeries->setObjectName("cbSeries");
    cbSeries->setFixedWidth(205);
    BtnHideShowSeries = PanelButton(panelControls_, "BtnHideShowSeries", "Hide/Show");
    btnDeleteSeries = PanelButton(panelControls_, "btnDeleteSeries", "Delete series");
    btnMax = PanelButton(panelControls_, "btnMax", "max");
    btnAverage = PanelButton(panelControls_, "btnAverage", "avg");
    btnMin = PanelButton(panelControls_, "btnMin", "min");
    btnSaveBitmap = PanelButton(panelControls_, "btnSaveBitmap", "Save field");
    BtnSave = PanelButton(panelControls_, "BtnSave", "Save series");
    cbLegend = new QCheckBox("Visible legend", panelControls_);
    cbLegend->setObjectName("cbLegend");
    cbLegend->setChecked(true);
    cbAutomaticYAxis = new QCheckBox("Automatic Y Axis", panelControls_);
    cbAutomaticYAxis->setObjectName("cbAutomaticYAxis");
    cbAutomaticYAxis->setChecked(true);
    EditMinY = new QLineEdit("-55", panelControls_);
    EditMinY->setObjectName("EditMinY");
    LabelMinMaxY = new QLabel("-", panelControls_);
    EditMaxY = new QLineEdit("55", panelControls_);
    EditMaxY->setObjectName("EditMaxY");
    // Wide enough for the longest number the axis shows ("-5.55556e+249").
    for (QLineEdit* e : {EditMinY, EditMaxY}) {
        QStyleOptionFrame frame;
        frame.initFrom(e);
        frame.lineWidth = e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, e);
        const QMargins m = e->textMargins();
        // The text's own margins (2 on each side) and a pixel for the cursor.
        const int text = e->fontMetrics().horizontalAdvance("-8.88888e+888") + m.left() + m.right() + 5;
        e->setFixedWidth(e->style()->sizeFromContents(QStyle::CT_LineEdit, &frame, QSize(text, e->height()), e).width());
    }

    const auto column = [controls](std::initializer_list<QWidget*> widgets, int spacing = 1) {
        auto* c = new QVBoxLayout;
        c->setSpacing(spacing);
        for (QWidget* w : widgets)
            c->addWidget(w);
        controls->addLayout(c);
        return c;
    };
    column({cbDynamicTimeRange, cbSeries});
    column({BtnHideShowSeries, btnDeleteSeries});
    for (QPushButton* b : {btnMax, btnAverage, btnMin})  // max, avg, min from the top
        b->setFixedHeight(16);
    column({btnMax, btnAverage, btnMin}, 0);
    column({btnSaveBitmap, BtnSave});
    QVBoxLayout* axis = column({cbLegend});
    auto* limits = new QHBoxLayout;
    limits->addWidget(cbAutomaticYAxis);
    limits->addWidget(EditMinY);
    limits->addWidget(LabelMinMaxY);
    limits->addWidget(EditMaxY);
    axis->addLayout(limits);
    FitPanelToRows(ChartPanel, 53);

    connect(PanelShowHide, &TClickStrip::clicked, this, [this] { PanelShowHideClick(); });
    connect(cbLegend, &QCheckBox::clicked, this, [this] { cbLegendClick(); });
    connect(cbAutomaticYAxis, &QCheckBox::clicked, this, [this] { cbAutomaticYAxisClick(); });
    const std::pair<QPushButton*, void (TMDIChartChild::*)()> clicks[] = {
        {BtnHideShowSeries, &TMDIChartChild::BtnHideShowSeriesClick},
        {btnDeleteSeries, &TMDIChartChild::btnDeleteSeriesClick},
        {btnMax, &TMDIChartChild::btnMaxClick},
        {btnAverage, &TMDIChartChild::btnAverageClick},
        {btnMin, &TMDIChartChild::btnMinClick},
        {btnSaveBitmap, &TMDIChartChild::btnSaveBitmapClick},
        {BtnSave, &TMDIChartChild::BtnSaveClick},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this, [this, handler = handler] { (this->*handler)(); });
}

void TMDIChartChild::AttachChart(QCustomPlot* chart)
{
    delete Chart;
    Cursor = nullptr;
    Chart = chart;
    if (!Chart)
        return;
    body_->addWidget(Chart, 1);
    Cursor = new QCPItemStraightLine(Chart);
    Cursor->setObjectName("Cursor");
    QPen pen(Qt::black, 1, Qt::DotLine);
    Cursor->setPen(pen);
    Cursor->setSelectable(false);
    Cursor->point1->setCoords(CurrentCycle, 0);
    Cursor->point2->setCoords(CurrentCycle, 1);
}

void TMDIChartChild::ChartAfterDraw()
{
    if (!Cursor || Cursor->point1->key() == CurrentCycle)
        return;
    Cursor->point1->setCoords(CurrentCycle, 0);
    Cursor->point2->setCoords(CurrentCycle, 1);
    Chart->replot(QCustomPlot::rpQueuedReplot);
}

void TMDIChartChild::SetTimeRange(int cycle, int from, int to)
{
    if (!Chart)
        return;
    CurrentCycle = cycle;
    Chart->xAxis->setRange(from, to);
    ChartAfterDraw();
    // Drawn once the events are through: a run of time changes costs one redraw.
    Chart->replot(QCustomPlot::rpQueuedReplot);
}

void TMDIChartChild::TimeWindowChanged() { FollowChannels(); }

QCPAbstractPlottable* TMDIChartChild::AddSourceSeries(int kind, const QString& title, const SeriesSource& source)
{
    XYPoints points;
    if (!Chart || !File || !SeriesSourcePoints(*File, source, points))
        return nullptr;
    QCPAbstractPlottable* series =
        TChartSeriesSink(Chart).AddXYSeries(kind, title, QVector<double>(points.x.begin(), points.x.end()),
                                            QVector<double>(points.y.begin(), points.y.end()));
    SetChartSeriesSource(series, source);
    return series;
}

void TMDIChartChild::FollowChannels()
{
    if (!Chart || !File)
        return;
    bool changed = false;
    bool removed = false;
    for (int i = ChartSeriesCount(Chart) - 1; i >= 0; --i) {
        QCPAbstractPlottable* series = ChartSeries(Chart, i);
        SeriesSource source;
        if (!ChartSeriesSource(series, source))
            continue;
        XYPoints points;
        if (SeriesSourcePoints(*File, source, points)) {
            SetChartSeriesPoints(series, points.x, points.y);
        } else {
            Chart->removePlottable(series);
            removed = true;
        }
        changed = true;
    }
    if (!changed)
        return;
    // The chosen series stays chosen while every series stays.
    if (removed)
        FillSeriesList();
    FitAxes();
    Chart->replot(QCustomPlot::rpQueuedReplot);
}

void TMDIChartChild::FillSeriesList()
{
    if (!Chart)
        return;
    cbSeries->clear();
    for (int i = 0; i < ChartSeriesCount(Chart); ++i)
        cbSeries->addItem(ChartSeries(Chart, i)->name());
    cbSeries->setCurrentIndex(cbSeries->count() > 0 ? 0 : -1);
}

void TMDIChartChild::FormActivate()
{
    FillSeriesList();
    TMDIChild::ActivateChild();
}

void TMDIChartChild::ActivateChild() { FormActivate(); }

void TMDIChartChild::cbLegendClick()
{
    if (!Chart)
        return;
    Chart->legend->setVisible(cbLegend->isChecked());
    Chart->replot(QCustomPlot::rpQueuedReplot);
}

void TMDIChartChild::FitAxes()
{
    if (!Chart || !cbAutomaticYAxis->isChecked())
        return;
    // The extremes themselves would lie on the axes' lines: a long run at the
    // lowest value would hide under the bottom axis.
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    std::vector<double> x, y;
    for (int i = 0; i < ChartSeriesCount(Chart); ++i) {
        const QCPAbstractPlottable* series = ChartSeries(Chart, i);
        if (!series->visible())
            continue;
        ChartSeriesPoints(series, x, y);
        for (double v : y) {
            if (std::isfinite(v)) {
                low = std::min(low, v);
                high = std::max(high, v);
            }
        }
    }
    if (low > high)
        return;
    const double margin = high > low ? (high - low) / 20 : 1;
    // The edits show the axis in use, the range the chart took where it could
    // not take the whole: turned off, the automatic axis stays where it is.
    ShowYRange(SetAxisRange(Chart->yAxis, low - margin, high + margin));
}

void TMDIChartChild::ShowYRange(const QCPRange& range)
{
    EditMinY->setText(QString::number(range.lower, 'g', 6));
    EditMaxY->setText(QString::number(range.upper, 'g', 6));
    if (cbAutomaticYAxis->isChecked())
        shownAutomatic_ = {EditMinY->text(), EditMaxY->text()};
}

void TMDIChartChild::cbAutomaticYAxisClick()
{
    if (!Chart)
        return;
    if (cbAutomaticYAxis->isChecked()) {
        // The edits lend their place to the automatic range; the limits the
        // user typed come back when the box is cleared again.
        typed_ = {EditMinY->text(), EditMaxY->text()};
        FitAxes();
    } else {
        // An edit still showing the automatic range was not typed over: it
        // gets back what the user typed last.
        if (EditMinY->text() == shownAutomatic_.first)
            EditMinY->setText(typed_.first);
        if (EditMaxY->text() == shownAutomatic_.second)
            EditMaxY->setText(typed_.second);
        typed_ = {EditMinY->text(), EditMaxY->text()};
        // A bad number is reported and leaves the old limits; the box stays unchecked.
        RunGuarded([this] {
            const double low = ReadFloat(EditMinY);
            const double high = ReadFloat(EditMaxY);
            // Limits the chart cannot take are not left in the edits as if it had.
            if (const QCPRange taken = SetAxisRange(Chart->yAxis, low, high); taken != QCPRange(low, high))
                ShowYRange(taken);
        });
    }
    Chart->replot(QCustomPlot::rpQueuedReplot);
}

void TMDIChartChild::btnDeleteSeriesClick()
{
    const int i = cbSeries->currentIndex();
    if (QCPAbstractPlottable* s = ChartSeries(Chart, i)) {
        cbSeries->setCurrentIndex(-1);
        Chart->removePlottable(s);
        FitAxes();
        Chart->replot(QCustomPlot::rpQueuedReplot);
    }
    FormActivate();
}

void TMDIChartChild::BtnHideShowSeriesClick()
{
    const int i = cbSeries->currentIndex();
    if (QCPAbstractPlottable* s = ChartSeries(Chart, i)) {
        cbSeries->setCurrentIndex(-1);
        s->setVisible(!s->visible());
        FitAxes();
        Chart->replot(QCustomPlot::rpQueuedReplot);
    }
    FormActivate();
}

void TMDIChartChild::PanelShowHideClick()
{
    panelControls_->setVisible(TogglePanelFold(body_, ChartPanel, 53));
}

void TMDIChartChild::AddFunctionSeries(int function, const QString& name)
{
    QCPAbstractPlottable* source = ChartSeries(Chart, cbSeries->currentIndex());
    if (!source)
        return;
    const int period = RangeHalfWidth() ? RangeHalfWidth()() : 0;
    const SeriesSource::Block block{static_cast<SeriesFunction>(function), period};
    const QString title = name + "(" + source->name() + ")";
    SeriesSource shown;
    if (ChartSeriesSource(source, shown)) {
        shown.blocks.push_back(block);
        AddSourceSeries(kSeriesLines, title, shown);
    } else {
        std::vector<double> x, y;
        ChartSeriesPoints(source, x, y);
        const XYPoints blocks = BlockFunction(block.function, x, y, block.period);
        TChartSeriesSink(Chart).AddXYSeries(kSeriesLines, title, QVector<double>(blocks.x.begin(), blocks.x.end()),
                                            QVector<double>(blocks.y.begin(), blocks.y.end()));
    }
    FitAxes();
    Chart->replot(QCustomPlot::rpQueuedReplot);
    FormActivate();
}

void TMDIChartChild::btnAverageClick() { AddFunctionSeries(static_cast<int>(SeriesFunction::Average), "Average"); }

void TMDIChartChild::btnMinClick() { AddFunctionSeries(static_cast<int>(SeriesFunction::Low), "Min"); }

void TMDIChartChild::btnMaxClick() { AddFunctionSeries(static_cast<int>(SeriesFunction::High), "Max"); }
