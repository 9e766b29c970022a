// The chart window and "Add chart series" on a real log, offscreen: channel and
// expression series, the series list and its commands, the derived series, the
// axes and the time.
#include "ChartWindowFixture.h"

#include <QStyle>
#include <QStyleOptionFrame>
#include <tuple>

TEST_F(ChartWindowTest, ListedLeavesOrAFilteredCompositeBecomeOneSeriesPerLeaf)
{
    form->pcDataView->setCurrentWidget(form->tsList);
    form->ListView->clearSelection();
    for (const char* name : {"Ball.pos.x", "Lplayer1.pos.y", "Ball.vel.dx"}) {
        const auto found = form->ListView->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name;
        found.front()->setSelected(true);
    }
    form->rgSeriesType->SetItemIndex(kSeriesDots);
    form->BtnAddTimeRange->click();
    EXPECT_EQ(Titles(), QStringList({"Ball.pos.x", "Ball.vel.dx", "Lplayer1.pos.y"}));  // in list order
    auto* dots = qobject_cast<QCPGraph*>(ChartSeries(chart->Chart, 0));
    ASSERT_NE(dots, nullptr);
    EXPECT_EQ(dots->lineStyle(), QCPGraph::lsNone);
    EXPECT_EQ(dots->scatterStyle().shape(), QCPScatterStyle::ssCircle);
    EXPECT_EQ(Values(0), Channel("Ball.pos.x"));
    EXPECT_EQ(ComboItems(), Titles());
    EXPECT_EQ(chart->cbSeries->currentIndex(), 0);

    // The tree page takes the selected node: the composite Ball with the plus word pos.
    form->pcDataView->setCurrentWidget(form->tsTree);
    form->TreeView->clearSelection();
    form->BtnAddTimeRange->click();
    ExpectOneMessage("No data parameter selected", "Warning");
    QTreeWidgetItem* ball = nullptr;
    for (int i = 0; i < form->TreeView->topLevelItemCount(); ++i)
        if (form->TreeView->topLevelItem(i)->text(0) == "Ball")
            ball = form->TreeView->topLevelItem(i);
    ASSERT_NE(ball, nullptr);
    ball->setSelected(true);
    // The plus word is a part of the name: "pos" also takes Ball.possessor.*.
    form->MemoGoodFields->setPlainText("pos");
    form->rgSeriesType->SetItemIndex(kSeriesBars);
    form->BtnAddTimeRange->click();
    EXPECT_EQ(Titles().mid(3), QStringList({"Ball.pos.x", "Ball.pos.y", "Ball.possessor.l_team",
                                            "Ball.possessor.r_team"}));
    form->MemoBadFields->setPlainText("possessor\ny");
    form->BtnAddTimeRange->click();
    EXPECT_EQ(Titles().mid(7), QStringList({"Ball.pos.x"}));
    EXPECT_NE(qobject_cast<QCPBars*>(ChartSeries(chart->Chart, 4)), nullptr);
    EXPECT_EQ(Values(4), Channel("Ball.pos.y"));
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(ChartWindowTest, AnExpressionGivesOnePointPerCycleOrPerMark)
{
    AddFunction("Ball.pos.x * 2");
    std::vector<double> x;
    const std::vector<double> y = Values(0, &x);
    ASSERT_EQ(static_cast<int>(y.size()), log->cycles);
    const std::vector<double> ballX = Channel("Ball.pos.x");
    for (int c = 0; c < log->cycles; c += 37) {
        EXPECT_EQ(x[static_cast<std::size_t>(c)], c);
        EXPECT_DOUBLE_EQ(y[static_cast<std::size_t>(c)], 2 * ballX[static_cast<std::size_t>(c)]);
    }

    form->Marks.Assign({30, 10, 20});
    form->cbUseTimeMarks->setChecked(true);
    form->rgSeriesType->SetItemIndex(kSeriesDots);
    AddFunction("cycle + 0.5");
    EXPECT_EQ(Values(1, &x), std::vector<double>({10.5, 20.5, 30.5}));
    EXPECT_EQ(x, std::vector<double>({10, 20, 30}));
    EXPECT_EQ(Titles(), QStringList({"Ball.pos.x * 2", "cycle + 0.5"}));

    AddFunction("Ball.pos.x >");
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].caption, "Error !");
    EXPECT_FALSE(script.messages[0].text.isEmpty());
    EXPECT_EQ(Titles().back(), "Ball.pos.x >");
    EXPECT_TRUE(Values(2).empty());
}

TEST_F(ChartWindowTest, OnlyAnActiveChartWindowTakesSeries)
{
    // The list offers the current log's channels: a chart of another log takes none.
    const std::string other = MakeTempDir("chart-other") + "/other.rcg";
    std::filesystem::copy_file(GunzippedTestFile(kShort), other);
    form->OpenLogFiles({QString::fromStdString(other)});
    form->pcDataView->setCurrentWidget(form->tsList);
    form->ListView->findItems("Ball.pos.y", Qt::MatchExactly).front()->setSelected(true);
    form->BtnAddTimeRange->click();
    ExpectOneMessage("Wrong chart window selected - log file mismatch", "Warning");
    EXPECT_EQ(ChartSeriesCount(chart->Chart), 0);
    form->BtnAdd2d->click();
    form->MdiArea->setActiveSubWindow(form->MdiArea->subWindowList().back());
    AddFunction("cycle");
    ExpectOneMessage("No chart window selected", "Warning");
    EXPECT_EQ(ChartSeriesCount(chart->Chart), 0);
}

TEST_F(ChartWindowTest, HideShowDeleteAndTheDerivedSeriesOfTheChosenOne)
{
    TChartSeriesSink sink(chart->Chart);
    sink.AddXYSeries(kSeriesLines, "A", {0, 1, 2, 3, 4, 5, 6}, {4, -2, 6, 1, 1, 9, 3});
    sink.AddXYSeries(kSeriesLines, "B", {0, 1}, {1, 2});
    chart->FormActivate();
    ASSERT_EQ(ComboItems(), QStringList({"A", "B"}));

    chart->cbSeries->setCurrentIndex(1);
    chart->BtnHideShowSeries->click();
    EXPECT_FALSE(ChartSeries(chart->Chart, 1)->visible());
    EXPECT_EQ(chart->cbSeries->currentIndex(), 0);
    chart->cbSeries->setCurrentIndex(1);
    chart->BtnHideShowSeries->click();
    EXPECT_TRUE(ChartSeries(chart->Chart, 1)->visible());
    EXPECT_EQ(Values(1), std::vector<double>({1, 2}));

    form->TrackBar2->setMaximum(100);
    form->TrackBar2->setValue(3);
    chart->cbSeries->setCurrentIndex(0);
    chart->btnAverage->click();
    chart->btnMin->click();
    chart->btnMax->click();
    EXPECT_EQ(Titles(), QStringList({"A", "B", "Average(A)", "Min(A)", "Max(A)"}));
    std::vector<double> x;
    EXPECT_EQ(Values(3, &x), std::vector<double>({-2, 1, 3}));
    EXPECT_EQ(x, std::vector<double>({1, 4, 6}));
    EXPECT_EQ(Values(4), std::vector<double>({6, 9, 3}));
    form->TrackBar2->setValue(0);
    chart->btnMax->click();
    EXPECT_EQ(Values(5), std::vector<double>({9}));

    chart->cbSeries->setCurrentIndex(1);
    chart->btnDeleteSeries->click();
    EXPECT_EQ(ComboItems(), QStringList({"A", "Average(A)", "Min(A)", "Max(A)", "Max(A)"}));
    EXPECT_EQ(chart->cbSeries->currentIndex(), 0);
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(ChartWindowTest, AxesLegendPanelAndTheTime)
{
    TChartSeriesSink(chart->Chart).AddXYSeries(kSeriesLines, "A", {0, 1}, {-3, 8});
    TChartSeriesSink(chart->Chart).AddXYSeries(kSeriesDots, "B", {0, 1, 2}, {NAN, INFINITY, 2});  // no finite extremes
    chart->cbAutomaticYAxis->click();  // off: the two edits
    EXPECT_EQ(chart->Chart->yAxis->range(), QCPRange(-55, 55));
    chart->cbAutomaticYAxis->click();  // on: from the data, a twentieth of the span added
    const QCPRange fitted(-3 - 11.0 / 20, 8 + 11.0 / 20);
    EXPECT_EQ(chart->Chart->yAxis->range(), fitted);
    EXPECT_EQ(chart->EditMinY->text() + " " + chart->EditMaxY->text(), "-3.55 8.55");  // the axis in use
    chart->EditMinY->setText("x");
    chart->cbAutomaticYAxis->click();  // off with a bad number: told, limits kept
    ExpectOneMessage("'x' is not a valid floating point value.", "VeloTrask");
    EXPECT_EQ(chart->Chart->yAxis->range(), fitted);
    EXPECT_FALSE(chart->cbAutomaticYAxis->isChecked());

    chart->cbLegend->click();
    EXPECT_FALSE(chart->Chart->legend->visible());

    TimeSource().Push(log, 120, 20, 221);
    EXPECT_EQ(chart->CurrentCycle, 120);
    EXPECT_EQ(chart->Chart->xAxis->range(), QCPRange(20, 221));
    EXPECT_EQ(chart->Cursor->point1->key(), 120);
    EXPECT_EQ(chart->Cursor->pen().style(), Qt::DotLine);
    EXPECT_EQ(Values(0), std::vector<double>({-3, 8}));

    chart->PanelShowHide->clicked();
    EXPECT_EQ(chart->ChartPanel->maximumWidth(), 5);
    EXPECT_TRUE(chart->cbSeries->isHidden() || !chart->cbSeries->isVisibleTo(chart->ChartPanel));
    chart->PanelShowHide->clicked();
    EXPECT_EQ(chart->ChartPanel->maximumHeight(), 53);
    EXPECT_TRUE(chart->cbSeries->isVisibleTo(chart->ChartPanel));
}

// A range the chart cannot take (bounds or a span of 1e250 and more) is cut
// to one it takes: the edits say the range the axis has, automatic or typed.
TEST_F(ChartWindowTest, TheAxisEditsSayTheRangeTheAxisTook)
{
    const auto expectEditsSayTheAxis = [&](const char* what) {
        const QCPRange axis = chart->Chart->yAxis->range();
        EXPECT_NEAR(chart->EditMinY->text().toDouble(), axis.lower, 1e-5 * std::abs(axis.lower)) << what;
        EXPECT_NEAR(chart->EditMaxY->text().toDouble(), axis.upper, 1e-5 * std::abs(axis.upper)) << what;
    };
    AddFunction("Ball.pos.x*1e306");
    expectEditsSayTheAxis("automatic");
    chart->EditMinY->setText("-1e300");
    chart->EditMaxY->setText("1e300");
    chart->cbAutomaticYAxis->click();  // off: the limits typed
    expectEditsSayTheAxis("typed");
    EXPECT_GT(chart->Chart->yAxis->range().upper, 1e249);
    EXPECT_TRUE(script.messages.empty());
}

// Series of an expression channel, of an expression over it and of its blocks
// are drawn and saved from what the channel holds now, and go with it.
TEST_F(ChartWindowTest, SeriesFollowTheirChannelsComputedAgainAndGoWithThem)
{
    form->SetFieldRows({{"d9", "dist(Lplayer9, Ball, cycle)"}});
    form->BtnAddFunctionSeries->click();
    form->pcDataView->setCurrentWidget(form->tsList);
    form->ListView->clearSelection();
    for (const char* name : {"Ball.pos.y", "user.d9"})
        form->ListView->findItems(name, Qt::MatchExactly).front()->setSelected(true);
    form->BtnAddTimeRange->click();
    AddFunction("user.d9 + 0");
    form->TrackBar2->setMaximum(1000);
    form->TrackBar2->setValue(100);
    chart->cbSeries->setCurrentIndex(1);
    chart->btnAverage->click();
    ASSERT_EQ(Titles(), QStringList({"Ball.pos.y", "user.d9", "user.d9 + 0", "Average(user.d9)"}));

    form->SetFieldRows({{"d9", "Ball.pos.x"}});
    form->BtnAddFunctionSeries->click();
    const std::vector<double> ballX = Channel("Ball.pos.x"), ballY = Channel("Ball.pos.y");
    std::vector<double> x;
    EXPECT_EQ(Values(1, &x), ballX);
    EXPECT_EQ(Values(2), ballX);
    EXPECT_EQ(Values(3), BlockFunction(SeriesFunction::Average, x, ballX, 100).y);
    std::vector<double> blockX;
    const std::vector<double> blocks = Values(3, &blockX);
    EXPECT_EQ(Saved("new.txt"), SeriesText({{"Ball.pos.y", ballY, x}, {"user.d9", ballX, x}, {"user.d9 + 0", ballX, x},
                                            {"Average(user.d9)", blocks, blockX}}));

    ASSERT_TRUE(log->stream->DeleteChannel(log->stream->FindChannel("user.d9")));
    EXPECT_EQ(Saved("gone.txt"), SeriesText({{"Ball.pos.y", ballY}}));
    EXPECT_EQ(ComboItems(), QStringList({"Ball.pos.y"}));
}

// A value whose evaluation fails is no number: no bar (QCPBars would draw it
// over the whole height), "NAN" in the saved series, left out of the blocks (a
// block without any other value is none).
TEST_F(ChartWindowTest, AFailedEvaluationIsNoNumberInBarsBlocksAndSaves)
{
    AddFunction("1/(Ball.pos.x - Ball.pos.x)");
    form->rgSeriesType->SetItemIndex(kSeriesBars);
    AddFunction("sqrt(Ball.pos.x + 20)");
    form->TrackBar2->setMaximum(1000);
    form->TrackBar2->setValue(50);
    chart->cbSeries->setCurrentIndex(1);
    chart->btnAverage->click();
    const std::vector<double> ballX = Channel("Ball.pos.x"), inverse = Values(0), roots = Values(1),
                              averages = Values(2);
    ASSERT_EQ(averages.size(), (ballX.size() + 49) / 50);
    for (std::size_t b = 0; b < averages.size(); ++b) {
        double sum = 0;
        int count = 0;
        for (std::size_t c = 50 * b; c < std::min(ballX.size(), 50 * b + 50); ++c) {
            EXPECT_TRUE(std::isnan(inverse[c]) && std::isnan(roots[c]) == (ballX[c] < -20)) << c;
            sum += ballX[c] < -20 ? 0 : std::sqrt(ballX[c] + 20);
            count += ballX[c] >= -20;
        }
        EXPECT_DOUBLE_EQ(std::isnan(averages[b]) ? -1 : averages[b], count > 0 ? sum / count : -1) << b;
    }
    const int bars = qobject_cast<QCPBars*>(ChartSeries(chart->Chart, 1))->data()->size();
    EXPECT_EQ(bars, std::count_if(roots.begin(), roots.end(), [](double v) { return std::isfinite(v); }));
    // Each series with its cycles, as the blocks stand at other cycles.
    const auto below = std::find_if(ballX.begin(), ballX.end(), [](double v) { return v < -20; });
    ASSERT_NE(below, ballX.end());
    const std::string c = std::to_string(below - ballX.begin());
    EXPECT_NE(Saved("nan.txt").find("\n" + c + ", NAN, " + c + ", NAN, "), std::string::npos);
}

// The typed Y limits are the axis' whatever the box showed when they were
// typed: clearing the box applies them, checking it shows the automatic range
// meanwhile, and a second click brings them back. The edits show the longest
// number the axis takes whole.
TEST_F(ChartWindowTest, TypedYLimitsAreAppliedAsTyped)
{
    TChartSeriesSink(chart->Chart).AddXYSeries(kSeriesLines, "A", {0, 1}, {-3, 8});
    const QCPRange fitted(-3 - 11.0 / 20, 8 + 11.0 / 20), typed(-2, 2);
    const std::tuple<const char*, bool, int, QCPRange, const char*> cases[] = {  // start checked, clicks
        {"unchecked, clicked twice", false, 2, typed, "-2 2"},
        {"checked, cleared", true, 1, typed, "-2 2"},
        {"checked, clicked three times", true, 3, typed, "-2 2"},
        {"unchecked, checked", false, 1, fitted, "-3.55 8.55"},
    };
    for (const auto& [what, startChecked, clicks, axis, edits] : cases) {
        if (chart->cbAutomaticYAxis->isChecked() != startChecked)
            chart->cbAutomaticYAxis->click();
        chart->EditMinY->setText("-2");
        chart->EditMaxY->setText("2");
        for (int i = 0; i < clicks; ++i)
            chart->cbAutomaticYAxis->click();
        EXPECT_EQ(chart->Chart->yAxis->range(), axis) << what;
        EXPECT_EQ(chart->EditMinY->text() + " " + chart->EditMaxY->text(), edits) << what;
    }
    EXPECT_TRUE(script.messages.empty());
    // The room the edit gives its text: its contents less the text margins.
    const QLineEdit* edit = chart->EditMinY;
    QStyleOptionFrame frame;
    frame.initFrom(edit);
    frame.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, edit);
    const int room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &frame, edit).width() -
                     edit->textMargins().left() - edit->textMargins().right() - 4;
    for (const char* shown : {"-58.6226", "-5e+249", "-5.55556e+249"})
        EXPECT_LE(edit->fontMetrics().horizontalAdvance(shown), room) << shown;
}
