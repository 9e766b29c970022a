#include "strategy/FormStrategy.h"

#include "actiongraph/Actiongraph.h"
#include "actiongraph/PathObject.h"
#include "actiongraph/childActionWin.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "ui/FormControls.h"
#include "ui/MDIChild.h"
#include "ui/StringGrid.h"

#include "support/FilledRecord.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>

#include <gtest/gtest.h>

#include <memory>

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "strategy_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
            return existing;
        return new QApplication(argc, argv);
    }();
    return *app;
}

// An action-graph window on the builder's worked example.
class StrategyWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        form = std::make_unique<TFormStrategy>();
        CreateConceptHierarchies();
        Role(3, coLCMF[0]);
        Role(7, coLFW[0]);
        Event(coToPlayer, 3, 100, 100, 0, 109, 7);
        Event(coAttackSupport, 7, 100, 109, 7, 109, -1);
        Event(coSpeedDribble, 7, 110, 120, 7, 120, -1);
        child = new TMDIActionChild(nullptr, &record.File());
        TMDIChild::SelectAllPlayers(child->lbPlayers);
        child->BuildActionGraph(child->Graph);
        ASSERT_EQ(child->Graph->ConnectionCount(), 3);
        path.Connections() = {child->Graph->GetConnection(2), child->Graph->GetConnection(0)};
    }
    void TearDown() override
    {
        delete child.data();
        form.reset();
        FreeConceptHierarchies();
    }
    void Role(int object, ConceptObject* role)
    {
        for (auto& v : record.File().roleChannel[static_cast<std::size_t>(object)]->GetValues())
            v = ConceptHandle(role);
    }
    void Event(ConceptObject* action, int player, int first, int last, int other, int otherEnd, int partner)
    {
        record.File().events[static_cast<std::size_t>(player)].push_back(
            std::make_unique<ActionEvent>(ActionEvent{action, player, first, last, other, otherEnd, partner}));
    }

    InTempDir dir_{"strategy-window"};
    FilledRecord record{300};
    QPointer<TMDIActionChild> child;
    TPathObject path;
    std::unique_ptr<TFormStrategy> form;
    RecordingHooks hooks;
};

}  // namespace

TEST_F(StrategyWindow, StartsUnattached)
{
    EXPECT_EQ(form->windowTitle(), "Strategy");
    EXPECT_EQ(form->size(), QSize(1150, 598));
    EXPECT_EQ(form->fileType, 4);
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
    EXPECT_TRUE(form->chunks[2]->IsEnd());
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
    EXPECT_EQ(form->rgFileType->ItemIndex(), 4);
    EXPECT_EQ(form->rgFeatureWeight->ItemIndex(), 1);
    EXPECT_EQ(form->rgCopyClassData->ItemIndex(), 0);
    form->rgFileType->SetItemIndex(1);
    form->rgFileTypeClick();
    EXPECT_EQ(form->fileType, 1);
    EXPECT_EQ(form->saveSuffix, "arff");
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
    EXPECT_EQ(form->lStrategyCount->text(), "#" + QString::number(items));
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
