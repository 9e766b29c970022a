// The action-graph window's mark buttons on a real match: the cycles of nodes,
// connections and the chosen path become the main window's time marks.
#include "MainFormFixture.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/ExampleClasses.h"
#include "actiongraph/childActionWin.h"
#include "core/model/Format.h"
#include "platform/qt/Dialogs.h"
#include "support/TestData.h"
#include "ui/OpenLogs.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>

#include <set>

namespace {

class ActionGraphMarks : public MainFormFixture {
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        MainForm = form.get();  // the windows reach the main window through it
        form->OpenLogFiles({QString::fromStdString(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"))});
        form->btnAnalyze->click();
        QCoreApplication::processEvents();
        const QList<QMdiSubWindow*> windows = form->MdiArea->subWindowList();
        ASSERT_EQ(windows.size(), 1);
        window = qobject_cast<TMDIActionChild*>(windows.front());
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        MainForm = nullptr;
        MainFormFixture::TearDown();
    }
    // The marks list shows exactly the cycles, each once, and counts them.
    void ExpectMarks(const std::set<int>& cycles) const
    {
        ASSERT_EQ(form->lbMarks->count(), static_cast<int>(cycles.size()));
        int i = 0;
        for (int t : cycles)
            EXPECT_EQ(form->lbMarks->item(i++)->text().toStdString(), FormatInt6(t));
        EXPECT_EQ(form->lNumMarks->text(), QString::number(cycles.size()));
    }

    platform::DialogScript script;
    TMDIActionChild* window = nullptr;
};

}  // namespace

TEST_F(ActionGraphMarks, NodeEdgeAndPathMarksAreAddedOnce)
{
    const TGraph& g = *window->Graph;
    std::set<int> expected;
    for (int t : NodeMarkCycles(g, nullptr, nullptr))
        expected.insert(t);
    ASSERT_GT(expected.size(), 10u);
    window->BtnSaveNodeMarks->click();
    ExpectMarks(expected);
    window->BtnSaveNodeMarks->click();  // nothing new the second time
    ExpectMarks(expected);

    const std::string filter = g.GetNode(0)->GetName();
    window->EditFilter->setText(QString::fromStdString(filter));
    for (int t : EdgeMarkCycles(g, filter))
        expected.insert(t);
    window->btnSaveEdgesMark->click();
    ExpectMarks(expected);

    window->BtnSavePathMarks->click();  // no path chosen
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Please select a path first !");
    EXPECT_EQ(script.messages[0].caption, "Warning");
    ExpectMarks(expected);

    window->cbPathFunc->setCurrentIndex(0);
    window->FindPaths(window->Graph, 1, window->Paths);
    ASSERT_GT(window->cbPaths->count(), 1);
    window->cbPaths->setCurrentIndex(1);
    for (int t : PathMarkCycles(*window->PathAt(1)))
        expected.insert(t);
    window->BtnSavePathMarks->click();
    ExpectMarks(expected);
    EXPECT_EQ(script.messages.size(), 1u);
}
