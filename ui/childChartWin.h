// The chart window: channels of one log over time as series of one chart. The
// main window creates it, sets its chart up (AttachChart) and adds the series;
// the window lists, hides, deletes and derives series, sets the axes and the
// legend, draws the cursor line at the current cycle and exports the chart.
#pragma once

#include "core/expr/SeriesSource.h"
#include "ui/MDIChild.h"

#include <QString>

#include <functional>
#include <utility>

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QCPAbstractPlottable;
class QCPItemStraightLine;
class QCPRange;
class QCustomPlot;
class QLabel;
class QLineEdit;
class QPushButton;
class TClickStrip;

class TMDIChartChild : public TMDIChild {
    Q_OBJECT
public:
    TMDIChartChild(QMdiArea* area, RoboCupFileT* log);

    // The main window's range half-width: the period of "avg", "min" and "max".
    // The main window sets it; 0 while unset.
    static std::function<int()>& RangeHalfWidth();

    // Takes the chart over: it fills the window under the panel, the window owns
    // it from now on, and it gets the cursor line.
    void AttachChart(QCustomPlot* chart);
    // Keeps the dotted cursor line at CurrentCycle after every drawing.
    void ChartAfterDraw();
    // The time from the main window: the cursor moves to the cycle and the
    // bottom axis shows from..to; the series stay as they are.
    void SetTimeRange(int cycle, int from, int to) override;
    // The averaging time window changed: the series are drawn again (FollowChannels).
    void TimeWindowChanged() override;

    // A new series of the kind that shows the source on the window's log, drawn
    // from the channels now and again at every FollowChannels; null, adding
    // nothing, when the source gives nothing (see SeriesSourcePoints).
    QCPAbstractPlottable* AddSourceSeries(int kind, const QString& title, const SeriesSource& source);
    // The log's channels were computed again or removed: every series that
    // shows channels is drawn again from what they hold now, and one whose
    // channel is gone is removed. A saved series thus never holds values a
    // channel no longer holds.
    void FollowChannels();
    // While "Automatic Y Axis" is checked: the left axis from the lowest to the
    // highest finite value of the shown series, with a margin of a twentieth of
    // that span on both sides (1 for a flat series).
    void FitAxes();

    // Refills cbSeries with every series' title in chart order (item 0
    // chosen), then makes the window's log current.
    void FormActivate();
    void ActivateChild() override;
    void cbLegendClick();
    void cbAutomaticYAxisClick();
    void btnDeleteSeriesClick();
    void BtnHideShowSeriesClick();
    void PanelShowHideClick();
    void btnAverageClick();
    void btnMinClick();
    void btnMaxClick();
    void btnSaveBitmapClick();
    void BtnSaveClick();

    // The picture by the name's ending: exactly ".bmp" a bitmap of the chart as
    // shown, exactly ".svg" a vector picture; anything else is refused with
    // "Unknown file type! Nothing was saved. ". True when a file was written.
    bool SavePicture(const QString& fileName);
    // The series as text (see WriteChartSeriesText); false when the chart has
    // no series or the file cannot be written (the user has been told).
    bool SaveSeriesText(const QString& fileName);

    QWidget* ChartPanel = nullptr;
    TClickStrip* PanelShowHide = nullptr;
    QComboBox* cbSeries = nullptr;
    QPushButton* BtnHideShowSeries = nullptr;
    QPushButton* btnDeleteSeries = nullptr;
    QPushButton* btnMax = nullptr;
    QPushButton* btnAverage = nullptr;
    QPushButton* btnMin = nullptr;
    QPushButton* btnSaveBitmap = nullptr;
    QPushButton* BtnSave = nullptr;
    QCheckBox* cbLegend = nullptr;
    QCheckBox* cbAutomaticYAxis = nullptr;
    QLineEdit* EditMinY = nullptr;
    QLabel* LabelMinMaxY = nullptr;
    QLineEdit* EditMaxY = nullptr;
    QCustomPlot* Chart = nullptr;  // null until the creator attaches one
    int CurrentCycle = 0;          // where the cursor line stands
    QCPItemStraightLine* Cursor = nullptr;

private:
    void BuildPanel(QWidget* content);
    // A new lines series "<name>(<title of the chosen series>)" of the chosen
    // series' blocks of the main window's range half-width; it follows the
    // channels as the chosen series does.
    void AddFunctionSeries(int function, const QString& name);
    // cbSeries: every series' title in chart order, item 0 chosen.
    void FillSeriesList();
    // A chart without series writes no file: told, true.
    bool NoSeriesToSave();
    // The Y axis' range in its two edits.
    void ShowYRange(const QCPRange& range);

    QBoxLayout* body_ = nullptr;
    QWidget* panelControls_ = nullptr;
    // The Y limits the user typed last, and the automatic range as the edits
    // last showed it (min, max).
    std::pair<QString, QString> typed_{"-55", "55"};
    std::pair<QString, QString> shownAutomatic_;
};
