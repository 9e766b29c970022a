// The neighbour strip after the commands that change the graph under the
// selection: it shows what is left, never a removed node or neighbour.
#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/StripPictures.h"
#include "platform/qt/Dialogs.h"

#include "PassScenario.h"

#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

#include <functional>
#include <string>

namespace {

class ActionChildStripFollows : public PassScenarioWindow {
protected:
    ActionChildStripFollows() : PassScenarioWindow("action-child-strip-follows") {}
    void SetUp() override
    {
        PassScenarioWindow::SetUp();
        window->ImageGraph->resize(300, 76);
    }
    // The strip as the window would paint it afresh for that selection.
    QImage Expected(const TNode* selected) const
    {
        const QImage strip = PaintNeighbourStrip(300, 76, window->Graph, selected, false, window->font());
        return QPixmap::fromImage(strip).toImage();
    }
    QImage Shown() const { return window->ImageGraph->pixmap().toImage(); }
    TNode* NodeNamed(const std::string& name) const
    {
        for (int i = 0; i < window->Graph->NodeCount(); ++i)
            if (window->Graph->GetNode(i)->GetName() == name)
                return window->Graph->GetNode(i);
        return nullptr;
    }
    platform::DialogScript script;
};

}  // namespace

TEST_F(ActionChildStripFollows, EveryGraphChangeRedrawsTheStrip)
{
    const std::string pass = "LTeam.LC-MF:To-player";
    const std::string dribble = "LTeam.L-FW:Speed-dribble";
    struct Case {
        const char* command;
        std::string selected;
        const char* value;
        std::function<void(TMDIActionChild&)> run;
        bool selectionStays;
    };
    const Case cases[] = {
        // The pass node has degree 1: it goes, and with it the selection.
        {"Nodes, degree <", pass, "2", [](TMDIActionChild& w) { w.btnRemoveNodesDegreeLessThanClick(); }, false},
        // Growing forward from the dribble drops both nodes leading to it.
        {"Grow", dribble, "1", [](TMDIActionChild& w) { w.BtnGrowClick(); }, true},
        // Every connection goes: the dribble stays, alone.
        {"Edges, weight <", dribble, "5", [](TMDIActionChild& w) { w.btnRemoveEdgesWeightLessThanClick(); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        window->EditValue->setText("1");
        window->BuildActionGraph(window->Graph);
        TNode* node = NodeNamed(c.selected);
        ASSERT_NE(node, nullptr);
        window->SelectNode(node);
        const QImage before = Shown();
        ASSERT_EQ(before, Expected(node));
        window->EditValue->setText(c.value);
        c.run(*window);
        const TNode* left = c.selectionStays ? node : nullptr;
        EXPECT_EQ(window->SelectedNode, left);
        EXPECT_EQ(Shown(), Expected(left));
        EXPECT_NE(Shown(), before);
    }
}
