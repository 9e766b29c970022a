// The "Chart" page's command "Add chart series": channels from the channel tree
// or list, or a series computed from the page's expression, into the active
// chart window.
#include "ui/main.h"

#include "core/expr/Expression.h"
#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"
#include "ui/ChartSeries.h"
#include "ui/FormControls.h"
#include "ui/OpenLogs.h"
#include "ui/childChartWin.h"

#include <QCheckBox>
#include <QListWidget>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTreeWidget>
#include <qcustomplot.h>

void TMainForm::ConnectChartHandlers()
{
    TMDIChartChild::RangeHalfWidth() = [range = QPointer<QSlider>(TrackBar2)] {
        return range ? range->value() : 0;
    };
    ConnectClicks({{BtnAddTimeRange, &TMainForm::BtnAddTimeRangeClick}});
}

void TMainForm::BtnAddTimeRangeClick()
{
    auto* chart = qobject_cast<TMDIChartChild*>(MdiArea->currentSubWindow());
    if (!chart || !chart->Chart) {
        platform::MessageBox(this, "No chart window selected", "Warning", platform::Buttons::Ok);
        return;
    }
    // The series show the window's own log and follow its channels.
    RoboCupFileT* log = chart->File;
    if (!log) {
        platform::SystemBeep();
        return;
    }
    const int kind = rgSeriesType->ItemIndex();
    if (!cbFunction->isChecked()) {
        // The tree and the list offer the current log's channels: another log's
        // chart would show channels the user did not pick from.
        if (log != Logs->Current()) {
            platform::MessageBox(this, "Wrong chart window selected - log file mismatch", "Warning",
                                 platform::Buttons::Ok);
            return;
        }
        std::vector<TimeChannel*> channels;
        if (pcDataView->currentWidget() == tsTree) {
            const QList<QTreeWidgetItem*> selected = TreeView->selectedItems();
            TimeChannel* channel = selected.isEmpty() ? nullptr : ChannelOf(selected.front());
            if (!channel) {
                platform::MessageBox(this, "No data parameter selected", "Warning", platform::Buttons::Ok);
                return;
            }
            channels.push_back(channel);
        } else {
            for (int i = 0; i < ListView->count(); ++i) {
                TimeChannel* channel = ChannelOf(ListView->item(i));
                if (ListView->item(i)->isSelected() && channel)
                    channels.push_back(channel);
            }
        }
        std::vector<TimeChannel*> leaves;
        const std::vector<std::string> plus = GoodWords();
        const std::vector<std::string> minus = BadWords();
        for (TimeChannel* channel : channels)
            channel->CollectFiltered(leaves, plus, minus);
        for (TimeChannel* leaf : leaves) {
            SeriesSource source;
            source.channel = leaf->GetFullName();
            chart->AddSourceSeries(kind, QString::fromStdString(source.channel), source);
        }
    } else {
        const QString text = MemoTimeRangeFunction->toPlainText();
        // A text the guard refuses makes no series, not even an empty one.
        if (const std::string refused = CheckExpressionText(text.toStdString()); !refused.empty()) {
            platform::MessageBox(this, QString::fromStdString(refused), "Error !", platform::Buttons::Ok);
            return;
        }
        const std::string error = LogExpression(*log).Parse(text.toStdString());
        if (!error.empty()) {
            // The empty series stays, titled with what was typed.
            TChartSeriesSink(chart->Chart).AddXYSeries(kind, text, {}, {});
            chart->Chart->replot(QCustomPlot::rpQueuedReplot);
            platform::MessageBox(this, QString::fromStdString(error), "Error !", platform::Buttons::Ok);
            return;
        }
        SeriesSource source;
        source.expression = text.toStdString();
        source.everyCycle = !cbUseTimeMarks->isChecked();
        if (!source.everyCycle)
            source.cycles = Marks.Cycles();
        chart->AddSourceSeries(kind, text, source);
    }
    chart->FitAxes();
    chart->Chart->replot(QCustomPlot::rpQueuedReplot);
    chart->FormActivate();
}
