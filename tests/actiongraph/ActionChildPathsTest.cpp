#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/PathObject.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/model/RoboCupFile.h"

#include "PassScenario.h"
#include "support/FilledRecord.h"
#include "support/TestData.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class ActionChildPaths : public PassScenarioWindow {
protected:
    ActionChildPaths() : PassScenarioWindow("action-child-paths") {}
    std::vector<std::string> Items() const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < window->cbPaths->count(); ++i)
            texts.push_back(window->cbPaths->itemText(i).toStdString());
        return texts;
    }
};

}  // namespace

TEST_F(ActionChildPaths, FoundPathsAreListedInTextOrderWithAllStillChosen)
{
    ASSERT_EQ(window->Graph->ConnectionCount(), 3);
    window->cbPathFunc->setCurrentIndex(14);  // "avg, len=2"
    window->FindPaths(window->Graph, 1, window->Paths);
    // The paths are read below: a wrong list ends the test here.
    ASSERT_EQ(Items(), (std::vector<std::string>{"   1.00 #2 LTeam.L-FW:Attack-support LTeam.L-FW:Speed-dribble",
                                                 "   1.00 #2 LTeam.LC-MF:To-player LTeam.L-FW:Speed-dribble", "All"}));
    // Both paths sort before "All", which stays the choice: no path restricts the drawing.
    EXPECT_EQ(window->cbPaths->currentText(), "All");
    EXPECT_EQ(window->PathAt(window->cbPaths->currentIndex()), nullptr);
    TGraph& g = *window->Graph;
    ASSERT_NE(window->PathAt(1), nullptr);
    EXPECT_EQ(window->PathAt(1)->Connections(), (std::vector<TConnection*>{g.GetConnection(2), g.GetConnection(0)}));

    // A chosen path stays chosen while more paths are listed in front of it.
    window->cbPaths->setCurrentIndex(1);
    TPathObject* chosen = window->PathAt(1);
    window->cbPathFunc->setCurrentIndex(0);  // "avg": five more, all "   1.00 #1 ..." or "#2"
    window->FindPaths(window->Graph, 1, window->Paths);
    ASSERT_EQ(window->cbPaths->count(), 8);
    EXPECT_EQ(window->PathAt(window->cbPaths->currentIndex()), chosen);
    EXPECT_NE(window->cbPaths->currentIndex(), 1);

    // "All paths": the values summed, the last item by text.
    window->AddAllPathsItem(window->Paths);
    EXPECT_EQ(window->cbPaths->itemText(8), "All paths");
    ASSERT_NE(window->PathAt(8), nullptr);
    EXPECT_DOUBLE_EQ(window->PathAt(8)->Value(), 3 * 1.0 + 4 * 1.0);
    EXPECT_EQ(window->PathAt(8)->Connections().size(), 3u + 2u * 4u);

    // The default "avg, len=3" lists nothing on this graph.
    window->ClearPaths();
    window->cbPathFunc->setCurrentIndex(15);
    window->FindPaths(window->Graph, 1, window->Paths);
    EXPECT_EQ(Items(), (std::vector<std::string>{"All"}));
}

TEST_F(ActionChildPaths, APathOutlivesTheClearedListWhileAnotherListHoldsIt)
{
    window->cbPathFunc->setCurrentIndex(0);
    window->FindPaths(window->Graph, 1, window->Paths);
    ASSERT_EQ(window->cbPaths->count(), 6);
    // Another list (as the strategy window's) takes the paths of the window's.
    TPathList strategies(false);
    window->ClearPaths(strategies);
    EXPECT_EQ(strategies.Count(), 1);
    for (int i = 0; i < window->cbPaths->count(); ++i)
        if (TPathPtr p = window->SharedPathAt(i))
            strategies.Add(window->cbPaths->itemText(i).toStdString(), p);
    ASSERT_EQ(strategies.Count(), 6);
    std::weak_ptr<TPathObject> watch = strategies.Path(1);
    window->ClearPaths();
    EXPECT_EQ(window->cbPaths->count(), 1);
    ASSERT_FALSE(watch.expired());
    EXPECT_EQ(watch.lock()->Value(), 1.0);
    EXPECT_EQ(watch.lock()->Connections().size(), 1u);
    strategies.Clear();
    EXPECT_TRUE(watch.expired());

    // EvaluatePath and ExtendPath list into any list; the window's own keeps "All" chosen.
    TGraph& g = *window->Graph;
    auto single = std::make_shared<TPathObject>();
    single->Connections().push_back(g.GetConnection(2));
    window->EvaluatePath(single, window->Paths);
    EXPECT_EQ(single->Value(), 1.0);
    window->ExtendPath(window->Paths, g.GetConnection(2)->From(), {110}, *single, 1);
    EXPECT_EQ(window->cbPaths->count(), 4);
    EXPECT_EQ(window->cbPaths->currentText(), "All");
}

TEST_F(ActionChildPaths, ChoosingAPathRedrawsAndTheMinimumLabelFollowsItsBar)
{
    window->cbPathFunc->setCurrentIndex(0);
    window->FindPaths(window->Graph, 1, window->Paths);
    window->EditNumNodes->setText("-");
    window->FindPaths(window->Graph, 1, window->Paths);  // no choice of the user's: no redraw
    EXPECT_EQ(window->EditNumNodes->text(), "-");
    window->cbPaths->setCurrentIndex(2);
    EXPECT_EQ(window->EditNumNodes->text(), "4");
    window->sbMinConnected->setValue(50);
    EXPECT_EQ(window->LabelNumConn->text(), "50 conn");
    window->sbMinConnected->setValue(1);
    EXPECT_EQ(window->LabelNumConn->text(), "1 conn");
}
