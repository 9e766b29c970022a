// The chart window on a real log, offscreen: the fixture of its tests.
#pragma once

#include "MainFormFixture.h"
#include "UiTestMain.h"

#include "core/io/ChartText.h"
#include "core/io/FieldsFile.h"
#include "core/model/RoboCupFile.h"
#include "core/model/SeriesFunctions.h"
#include "core/model/timestream.h"
#include "platform/qt/Dialogs.h"
#include "support/SaveFailure.h"
#include "support/TestData.h"
#include "ui/ChartSeries.h"
#include "ui/FormControls.h"
#include "ui/childChartWin.h"
#include "ui/OpenLogs.h"
#include "ui/TimeSource.h"
#include "ui/main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTreeWidget>
#include <qcustomplot.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <sstream>

inline const char* const kShort = "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg";

class ChartWindowTest : public MainFormFixture {
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        form->OpenLogFiles({QString::fromStdString(GunzippedTestFile(kShort))});
        ASSERT_NE(form->Logs->Current(), nullptr);
        log = form->Logs->Current();
        form->BtnAdd1d->click();
        chart = qobject_cast<TMDIChartChild*>(form->MdiArea->subWindowList().back());
        ASSERT_NE(chart, nullptr);
        form->MdiArea->setActiveSubWindow(chart);
    }
    QStringList Titles() const
    {
        QStringList t;
        for (int i = 0; i < ChartSeriesCount(chart->Chart); ++i)
            t << ChartSeries(chart->Chart, i)->name();
        return t;
    }
    QStringList ComboItems() const
    {
        QStringList t;
        for (int i = 0; i < chart->cbSeries->count(); ++i)
            t << chart->cbSeries->itemText(i);
        return t;
    }
    std::vector<double> Values(int series, std::vector<double>* x = nullptr) const
    {
        std::vector<double> xs, ys;
        ChartSeriesPoints(ChartSeries(chart->Chart, series), xs, ys);
        if (x)
            *x = xs;
        return ys;
    }
    std::vector<double> Channel(const std::string& name) const
    {
        std::vector<double> v;
        for (int t = 0; t < log->cycles; ++t)
            v.push_back(log->stream->FindChannel(name)->GetValue(t));
        return v;
    }
    void AddFunction(const QString& text)
    {
        form->cbFunction->setChecked(true);
        form->MemoTimeRangeFunction->setPlainText(text);
        form->BtnAddTimeRange->click();
    }
    // What "Save series" writes for these columns.
    static std::string SeriesText(const std::vector<ChartSeriesColumn>& columns)
    {
        std::ostringstream out;
        WriteChartSeriesText(out, columns);
        return out.str();
    }
    std::string Saved(const char* name)
    {
        const std::string file = MakeTempDir("chart-saved") + "/" + name;
        EXPECT_TRUE(chart->SaveSeriesText(QString::fromStdString(file)));
        return ReadBytes(file);
    }
    void ExpectOneMessage(const QString& text, const QString& caption)
    {
        ASSERT_EQ(script.messages.size(), 1u);
        EXPECT_EQ(script.messages[0].text, text);
        EXPECT_EQ(script.messages[0].caption, caption);
        script.messages.clear();
    }

    platform::DialogScript script;
    RoboCupFileT* log = nullptr;
    TMDIChartChild* chart = nullptr;
};

