#include "WorkedExampleWindow.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/PathObject.h"
#include "actiongraph/childActionWin.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"
#include "ui/FormControls.h"
#include "ui/MDIChild.h"
#include "ui/StringGrid.h"
#include "platform/qt/Dialogs.h"

#include "support/FilledRecord.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QComboBox>

#include <qcustomplot.h>

#include <gtest/gtest.h>

#include "support/EndChunk.h"
#include "support/GuiApp.h"

#include <memory>

namespace {

using StrategyWindow = WorkedExampleWindow;

}  // namespace

TEST_F(StrategyWindow, StartsUnattached)
{
    EXPECT_EQ(form->windowTitle(), "Strategy");
    EXPECT_EQ(form->size(), QSize(1150, 598));
    EXPECT_EQ(form->fileType, 1);
    EXPECT_EQ(form->dataFileName, "");
    EXPECT_EQ(form->target, nullptr);
    EXPECT_EQ(form->graph, nullptr);
    EXPECT_EQ(form->testGraph, nullptr);
    EXPECT_EQ(form->actionChild, nullptr);
    EXPECT_EQ(form->testChild, nullptr);
    EXPECT_TRUE(form->chunks.empty());
    EXPECT_TRUE(form->testChunks.empty());
    EXPECT_EQ(form->sgStrategy->ColCount(), 4);
    EXPECT_EQ(form->sgStrategy->RowCount(), 3);
}

TEST_F(StrategyWindow, ShowsThePathAsGridAndChunks)
{
    form->Attach(child, nullptr);
    EXPECT_EQ(form->graph, child->Graph);
    child->EditValue->setText("2.5");
    ASSERT_TRUE(form->ShowStrategy(path, form->chunks));
    const TStringGrid& grid = *form->sgStrategy;
    ASSERT_EQ(grid.ColCount(), 4);
    EXPECT_EQ(grid.ColWidth(0), 64);
    const char* want[3][4] = {{"Role", "LTeam.LC-MF", "LTeam.L-FW", "LTeam.L-FW"},
                              {"Action", "To-player", "Speed-dribble", "Speed-dribble (end)"},
                              {"Position", "", "", ""}};
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 4; ++col)
            EXPECT_EQ(grid.Cell(col, row), want[row][col]) << col << "," << row;
    EXPECT_EQ(grid.Cell(0, 2), "Position");
    EXPECT_EQ(grid.Cell(1, 2).front(), '(');
    ASSERT_EQ(form->chunks.size(), 3u);
    EXPECT_EQ(form->chunks[0]->GetValue(), 2.5);
    EXPECT_TRUE(IsEndChunk(*form->chunks[2]));
}

// The grid names as the window it is attached to does, whatever depths another
// graph window on the same log applied since.
TEST_F(StrategyWindow, TheGridNamesAtTheAttachedWindowsDepths)
{
    const auto at3 = [](ConceptObject* node) {  // its ancestor on the third level
        while (node->GetLevel() > 2)
            node = node->GetParent();
        return ConceptObject::GetPathName(node);
    };
    child->sbSimilarityDepth->setValue(3);
    child->sbSimilarityDepth2->setValue(3);
    child->btnDepth->click();
    ASSERT_EQ(child->Graph->ConnectionCount(), 3);
    path.Connections() = {child->Graph->GetConnection(2), child->Graph->GetConnection(0)};
    TMDIActionChild other(nullptr, &record.File());
    TMDIChild::SelectAllPlayers(other.lbPlayers);
    other.btnDepth->click();
    form->Attach(child, nullptr);
    ASSERT_TRUE(form->ShowStrategy(path, form->chunks));
    ASSERT_EQ(form->sgStrategy->ColCount(), 4);
    const std::string want[2][3] = {{at3(coLCMF[0]), at3(coLFW[0]), at3(coLFW[0])},
                                    {at3(coToPlayer), at3(coSpeedDribble), at3(coSpeedDribble) + " (end)"}};
    EXPECT_TRUE(want[0][0] != "LTeam.LC-MF" && want[1][1] != "Speed-dribble");  // the depth cuts both
    for (int row = 0; row < 2; ++row)
        for (int col = 1; col < 4; ++col)
            EXPECT_EQ(form->sgStrategy->Cell(col, row), want[row][col - 1]) << col << "," << row;
    ASSERT_EQ(form->chunks.size(), 3u);
    EXPECT_EQ(form->chunks[1]->GetName(), want[1][1]);
}

TEST_F(StrategyWindow, LetsGoOfTheClosingWindow)
{
    form->Attach(child, nullptr);
    ASSERT_TRUE(form->ShowStrategy(path, form->chunks));
    child->close();  // frees itself
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(child.isNull());
    EXPECT_EQ(form->actionChild, nullptr);
    EXPECT_EQ(form->graph, nullptr);
    // The chunks stay; a new strategy needs a window.
    EXPECT_EQ(form->chunks.size(), 3u);
    TPathObject none;
    EXPECT_FALSE(form->ShowStrategy(none, form->chunks));
    EXPECT_EQ(hooks.beeps, 1);
    EXPECT_EQ(form->chunks.size(), 3u);
}

TEST_F(StrategyWindow, ControlDefaultsAndSmallHandlers)
{
    EXPECT_EQ(form->EditThreshold->text(), "85");
    EXPECT_EQ(form->EditMinConf->text(), "0");
    EXPECT_EQ(form->EditMaxDist->text(), "16");
    EXPECT_EQ(form->EditSampling->text(), "100");
    EXPECT_EQ(form->EditParameterL->text(), "1");
    EXPECT_EQ(form->EditNumFeatures->text(), "5");
    EXPECT_TRUE(form->EditFName->text().endsWith("/test.data"));
    EXPECT_TRUE(form->cbStrictTimes->isChecked());
    EXPECT_TRUE(form->cbNoLastNode->isChecked());
    EXPECT_EQ(form->cbVerbose->checkState(), Qt::Checked);
    EXPECT_FALSE(form->cbTestAll->isChecked());
    EXPECT_EQ(form->rgNegativeExamples->ItemIndex(), 1);
    EXPECT_EQ(form->rgDuration->ItemIndex(), 0);
    EXPECT_EQ(form->rgFileType->ItemIndex(), 1);
    EXPECT_EQ(form->saveSuffix, "arff");
    EXPECT_EQ(form->rgFeatureWeight->ItemIndex(), 1);
    EXPECT_EQ(form->rgCopyClassData->ItemIndex(), 0);
    form->rgFileType->SetItemIndex(4);
    form->rgFileTypeClick();
    EXPECT_EQ(form->fileType, 4);
    EXPECT_EQ(form->saveSuffix, "data");
    form->BtnStoreSimilarClick();
    ASSERT_EQ(form->allStrategies.Count(), 1);
    EXPECT_EQ(form->allStrategies.Text(0), "All");
    EXPECT_EQ(form->allStrategies.Path(0), nullptr);
}

TEST_F(StrategyWindow, AttachingCopiesThePathListAndClosingDropsIt)
{
    child->Paths.Add("   2.00 #2 b", std::make_shared<TPathObject>(path));
    child->Paths.Add("   1.00 #2 a", std::make_shared<TPathObject>(path));
    const int items = child->Paths.Count();
    ASSERT_EQ(items, 3);  // with "All"
    form->Attach(child, nullptr);
    EXPECT_EQ(form->lbPath->count(), items);
    EXPECT_EQ(form->lStrategyCount->text(), "#2");  // "All" is no strategy
    EXPECT_EQ(form->allStrategies.Count(), items);
    for (int i = 0; i < items; ++i) {
        EXPECT_EQ(form->lbPath->item(i)->text().toStdString(), child->Paths.Text(i));
        EXPECT_EQ(form->allStrategies.Path(i), child->Paths.Path(i));  // shared, not copied
    }
    delete child.data();
    EXPECT_EQ(form->lbPath->count(), 0);
    EXPECT_EQ(form->allStrategies.Count(), 0);
    EXPECT_EQ(form->lStrategyCount->text(), "#0");
}

namespace {

// The window attached to the worked example's graph, its path list holding
// the two-connection strategy (shared) besides "All".
class AttachedWindow : public StrategyWindow {
protected:
    void SetUp() override
    {
        StrategyWindow::SetUp();
        shared = std::make_shared<TPathObject>(path);
        child->Paths.Add("   2.00 #2 pass dribble", shared);
        form->Attach(child, nullptr);
        ASSERT_EQ(form->pathItems.Count(), 2);
        row = form->pathItems.IndexOfPath(shared.get());
        // What "Generate all" keeps in the private folder stays in the test's own.
        qputenv("TMPDIR", QByteArray::fromStdString(MakeTempDir("attached-tmp")));
    }
    void TearDown() override
    {
        hadTmp_ ? qputenv("TMPDIR", previousTmp_) : qunsetenv("TMPDIR");
        StrategyWindow::TearDown();
    }
    TPathPtr shared;
    int row = -1;
    platform::DialogScript script;
    const bool hadTmp_ = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray previousTmp_ = qgetenv("TMPDIR");
};

}  // namespace

TEST_F(AttachedWindow, InitShowsModallyOrRunsWithoutAWindow)
{
    form->Init(child, false, nullptr);
    EXPECT_EQ(script.modals, std::vector<QString>{"Strategy"});
    EXPECT_EQ(form->lbPath->count(), 2);
    // Batch: only "Find test", nothing shown, even with "Test all".
    child->cbTestAll->setChecked(true);
    form->Init(child, true, nullptr);
    EXPECT_EQ(script.modals.size(), 1u);
    // "Generate all": shown without waiting, compact output.
    child->cbTestAll->setChecked(false);
    child->cbGenerateAll->setChecked(true);
    form->Init(child, false, nullptr);
    EXPECT_EQ(script.modals.size(), 1u);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->cbComputerOutput->isChecked());
    form->hide();
}

TEST_F(AttachedWindow, InitFindsTheStoredTestStrategy)
{
    form->lbPath->setCurrentRow(row);
    form->btnStoreTestClick();
    ASSERT_EQ(form->testChunks.size(), 3u);
    form->chunks.clear();
    form->lbPath->setCurrentRow(-1);
    form->Init(child, true, nullptr);
    EXPECT_EQ(form->lbPath->currentRow(), row);
    EXPECT_EQ(form->chunks.size(), 3u);
    // Node weights 0: the strategy is similar to itself; the window draws it alone.
    ASSERT_EQ(form->similarItems.Count(), 1);
    EXPECT_EQ(form->similarItems.Text(0), "      0.00 - 0 -    2.00 #2 pass dribble");
    ASSERT_EQ(child->Paths.Count(), 1);
    EXPECT_EQ(child->Paths.Text(0), "");
    EXPECT_EQ(child->Paths.Path(0), shared);
    EXPECT_TRUE(script.modals.empty());
    // With nothing stored, nothing is found.
    form->BtnEraseTestClick();
    form->btnFindTestClick();
    EXPECT_EQ(form->lbPath->currentRow(), -1);
}

TEST_F(AttachedWindow, InitFindsTheStrategyStartingAtTheCycle)
{
    form->EditStartCycle->setText("110");  // the second node's cycle: none starts there
    form->Init(child, false, nullptr);
    EXPECT_EQ(form->lbPath->currentRow(), 0);
    EXPECT_EQ(form->similarItems.Count(), 0);
    form->EditStartCycle->setText("100");
    form->Init(child, false, nullptr);
    EXPECT_EQ(form->lbPath->currentRow(), row);
    EXPECT_EQ(form->lSimilarCount->text(), "#1");
    EXPECT_EQ(form->lbSimilar->currentRow(), 0);
    EXPECT_EQ(script.modals.size(), 2u);
    form->EditStartCycle->setText("1x");
    form->btnFindStartClick();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].caption, "Error");
}

TEST_F(AttachedWindow, SimilarStrategiesGuardsAndSharedPaths)
{
    form->lbPath->setCurrentRow(-1);
    form->btnUpdateSimilarClick();
    form->lbPath->setCurrentRow(1 - row);  // "All"
    form->btnUpdateSimilarClick();
    form->lbPath->setCurrentRow(row);
    form->cbUseTest->setChecked(true);
    form->btnUpdateSimilarClick();
    form->cbUseTest->setChecked(false);
    form->EditThreshold->setText("8 5");
    form->btnUpdateSimilarClick();
    ASSERT_EQ(script.messages.size(), 4u);
    EXPECT_EQ(script.messages[0].text, "Select a non-empty strategy !");
    EXPECT_EQ(script.messages[0].caption, "Warning !");
    EXPECT_EQ(script.messages[1].text, "Select a non-empty strategy !");
    EXPECT_EQ(script.messages[2].text, "Please assign test graph !");
    EXPECT_EQ(script.messages[3].caption, "Error");
    EXPECT_EQ(form->lbSimilar->count(), 0);
    form->EditThreshold->setText("85");
    form->btnUpdateSimilarClick();
    ASSERT_EQ(form->lbSimilar->count(), 1);
    EXPECT_EQ(child->Paths.Path(0), shared);
    EXPECT_EQ(shared.use_count(), 5);  // held by child, lbPath, all strategies, similar list, the test
    // A click with nothing selected does nothing.
    form->lbSimilar->setCurrentRow(-1);
    form->lbSimilarClick();
    EXPECT_EQ(child->Paths.Count(), 1);
}

TEST_F(AttachedWindow, FilterAndPathClick)
{
    // The count follows the filter and counts strategies: neither "All" nor
    // "All paths" is one.
    child->AddAllPathsItem(child->Paths);
    form->Attach(child, nullptr);
    EXPECT_EQ(form->lStrategyCount->text(), "#1");
    form->EditFilter->setText("All");
    form->btnSetFilterClick();
    EXPECT_EQ(form->lbPath->count(), 2);
    EXPECT_EQ(form->lStrategyCount->text(), "#0");
    form->EditFilter->setText("dribble");
    form->btnSetFilterClick();
    ASSERT_EQ(form->lbPath->count(), 1);
    EXPECT_EQ(form->lbPath->currentRow(), 0);
    EXPECT_EQ(form->lStrategyCount->text(), "#1");
    // The click showed the strategy alone in the window, and the grid shows it.
    ASSERT_EQ(child->Paths.Count(), 1);
    EXPECT_EQ(child->Paths.Path(0), shared);
    EXPECT_EQ(form->sgStrategy->Cell(3, 1), "Speed-dribble (end)");
    EXPECT_EQ(form->allStrategies.Count(), 3);
    form->EditFilter->setText("");
    form->btnSetFilterClick();
    EXPECT_EQ(form->lbPath->count(), 3);
    EXPECT_EQ(form->lStrategyCount->text(), "#1");
}

TEST_F(AttachedWindow, RevalidateAllInAnotherWindowShowsThatGraphsStrategiesAlone)
{
    ASSERT_TRUE(form->ShowStrategy(*shared, form->chunks));
    form->MemoRules->setPlainText("rules of the worked example");
    SetStrategyLink(form.get());
    const struct Unlink { ~Unlink() { SetStrategyLink(nullptr); } } unlink;
    const std::unique_ptr<RoboCupFileT> match =
        LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
    TMDIActionChild other(nullptr, match.get());
    TMDIChild::SelectAllPlayers(other.lbPlayers);
    other.BuildActionGraph(other.Graph);
    other.btnRevalidateAllClick();
    ASSERT_EQ(form->actionChild, &other);
    EXPECT_EQ(form->lbPath->count(), other.cbPaths->count());
    EXPECT_TRUE(form->chunks.empty());
    EXPECT_TRUE(form->MemoRules->toPlainText().isEmpty());
    for (int c = 1; c < form->sgStrategy->ColCount(); ++c)
        EXPECT_EQ(form->sgStrategy->Cell(c, 1), "") << c;
}

TEST_F(AttachedWindow, AChangedGraphDropsTheStrategyLists)
{
    form->lbPath->setCurrentRow(row);
    form->btnUpdateSimilarClick();
    ASSERT_EQ(form->similarItems.Count(), 1);
    child->EditValue->setText("1");
    child->btnRemoveEdgesWeightLessThanClick();
    EXPECT_EQ(form->actionChild, child.data());
    EXPECT_EQ(form->lbPath->count(), 0);
    EXPECT_EQ(form->allStrategies.Count(), 0);
    EXPECT_EQ(form->lbSimilar->count(), 0);
    EXPECT_EQ(shared.use_count(), 1);
}

TEST_F(AttachedWindow, TestGraphSetAndCleared)
{
    child->cbPathFunc->setCurrentIndex(0);  // "avg": every path counts
    form->SetTestGraph(child);
    EXPECT_EQ(form->testChild, child.data());
    EXPECT_EQ(form->testGraph, child->Graph);
    EXPECT_GT(form->testStrategies.Count(), 1);
    EXPECT_EQ(form->lbPath->count(), 2);  // the strategy list stays
    form->SetTestGraph(nullptr);
    EXPECT_EQ(form->testGraph, nullptr);
    ASSERT_EQ(form->testStrategies.Count(), 1);
    EXPECT_EQ(form->testStrategies.Text(0), "All");
}

TEST_F(AttachedWindow, GeneratingWithoutTestWindowReattachesToTheRebuiltGraph)
{
    child->cbPathFunc->setCurrentIndex(0);
    form->btnGenerateTestGraphClick();
    EXPECT_EQ(form->testGraph, child->Graph);
    const int n = form->testStrategies.Count();
    ASSERT_GT(n, 1);
    ASSERT_EQ(form->pathItems.Count(), n);
    ASSERT_EQ(child->Paths.Count(), n);
    for (int i = 0; i < n; ++i)
        EXPECT_GE(form->testStrategies.IndexOfPath(form->allStrategies.Path(i).get()), 0) << i;
    EXPECT_EQ(shared.use_count(), 1);  // the old graph's path is held by no list
}

TEST_F(AttachedWindow, ResetAndShowLetsGoAndCommandsWarn)
{
    tTest record;
    form->target = &record;
    form->ResetAndShow();
    EXPECT_EQ(script.modals.size(), 1u);
    EXPECT_EQ(form->actionChild, nullptr);
    EXPECT_EQ(form->target, nullptr);
    EXPECT_EQ(form->lbPath->count(), 0);
    form->BtnSaveRules->click();
    form->BtnRules->click();
    form->btnUpdateSimilar->click();
    ASSERT_EQ(script.messages.size(), 3u);
    for (const auto& m : script.messages) {
        EXPECT_EQ(m.text, "No action graph attached");
        EXPECT_EQ(m.caption, "Warning");
    }
    form->btnClearTestClick();  // before any test graph: just "All"
    EXPECT_EQ(form->testStrategies.Count(), 1);
}

TEST_F(AttachedWindow, DialogsValueAndChart)
{
    script.files.push_back({true, {"/tmp/x.arff"}, 0});
    form->BtnBrowseClick();
    EXPECT_EQ(form->dataFileName, "/tmp/x.arff");
    EXPECT_EQ(form->EditFName->text(), "/tmp/x.arff");
    form->BtnBrowseResultsClick();
    ASSERT_EQ(script.fileDialogs.size(), 2u);
    EXPECT_FALSE(script.fileDialogs[1].save);
    child->EditValue->setText("x");
    ASSERT_TRUE(form->chunks.empty());
    form->lbPath->setCurrentRow(row);
    form->btnStoreTestClick();
    EXPECT_TRUE(form->testChunks.empty());
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].caption, "Error");
    EXPECT_EQ(form->ChartRules->xAxis->range(), QCPRange(-0.1, 1.1));
    EXPECT_EQ(form->ChartRules->yAxis->range(), QCPRange(-0.1, 1.1));
    EXPECT_EQ(form->ChartRules->xAxis->label(), "FP rate");
    EXPECT_EQ(form->ChartRules->yAxis->label(), "TP rate");
    SetStrategyLink(form.get());
    form.reset();
    EXPECT_EQ(StrategyLink(), nullptr);
}

TEST_F(AttachedWindow, TestChunksAreOwnCopies)
{
    form->lbPath->setCurrentRow(row);
    form->btnStoreTestClick();
    ASSERT_EQ(form->testChunks.size(), 3u);
    TChunkList source;
    source.push_back(std::make_unique<StrategyChunk>("a", nullptr, nullptr, 1, 2, 3, true));
    source[0]->AddRule(std::make_unique<RuleObject>(false));
    form->SetTestChunks(source);
    ASSERT_EQ(form->testChunks.size(), 1u);
    EXPECT_NE(form->testChunks[0].get(), source[0].get());
    source.clear();  // the copies own their rules (sanitizers)
    EXPECT_EQ(form->testChunks[0]->GetName(), "a");
    ASSERT_EQ(form->testChunks[0]->GetRules().size(), 1u);
    EXPECT_FALSE(form->testChunks[0]->GetRules()[0]->IsPositive());
}
