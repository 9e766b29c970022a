// The strategy window when a log it was built on is removed in the main
// window: the window of that log is let go of at once, the strategy read from
// the log goes with it, and every command then says that there is no graph.
#include "strategy/FormStrategy.h"

#include "actiongraph/childActionWin.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "ui/OpenLogs.h"
#include "ui/StringGrid.h"
#include "ui/main.h"

#include "support/GuiApp.h"
#include "support/TestData.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>

// Readable QStrings in failure messages.
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

const char* const kShort = "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg";
// "avg, len=3": strategies of three connections.
constexpr int kPathFunction = 15;

// Two copies of a real match in the main window, an action-graph window on
// each: the strategy window attached to the first (a strategy shown), the
// second its test window.
class StrategyLogRemoved : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApp();
        RegisterActionGraphWindow();
        TMainForm::AboutBoxRunner() = [] {};
        main = std::make_unique<TMainForm>();
        main->FirstActivation = false;
        const std::string dir = MakeTempDir("strategy-log-removed");
        for (const char* name : {"learn.rcg", "test.rcg"}) {
            const std::string path = dir + "/" + name;
            std::filesystem::copy_file(GunzippedTestFile(kShort), path);
            main->OpenLogFiles({QString::fromStdString(path)});
        }
        ASSERT_EQ(main->Logs->Count(), 2);
        learnLog = main->Logs->At(0);
        testLog = main->Logs->At(1);
        learn = Analyze(learnLog);
        test = Analyze(testLog);
        ASSERT_TRUE(learn && test);
        learn->cbPathFunc->setCurrentIndex(kPathFunction);
        learn->FindPaths(learn->Graph, 1, learn->Paths);
        form = std::make_unique<TFormStrategy>();
        form->Attach(learn, nullptr);
        form->SetTestGraph(test);
        form->show();
        for (int i = 0; i < form->pathItems.Count() && row < 0; ++i)
            if (form->pathItems.Path(i))
                row = i;
        ASSERT_GE(row, 0);
        form->lbPath->setCurrentRow(row);
        ASSERT_TRUE(form->ShowStrategy(*form->pathItems.Path(row), form->chunks));
        ASSERT_GT(form->sgStrategy->ColCount(), 2);
        ASSERT_GT(form->lbFeatures->count(), 0);
        form->MemoRules->setPlainText("kept");
    }
    void TearDown() override
    {
        form.reset();
        main.reset();
        TMainForm::AboutBoxRunner() = &TMainForm::ShowAboutBox;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    TMDIActionChild* Analyze(RoboCupFileT* log)
    {
        main->SelectCurrentFile(QString::fromStdString(log->fileName), true);
        main->btnAnalyzeClick();
        return qobject_cast<TMDIActionChild*>(main->MdiArea->subWindowList().back());
    }
    void Remove(RoboCupFileT* log)
    {
        main->SelectCurrentFile(QString::fromStdString(log->fileName), true);
        main->BtnRemoveFileClick();
    }
    bool GridEmpty() const
    {
        for (int c = 0; c < form->sgStrategy->ColCount(); ++c)
            for (int r = 0; r < form->sgStrategy->RowCount(); ++r)
                if (!form->sgStrategy->Cell(c, r).empty())
                    return false;
        return true;
    }

    InTempDir dir_{"strategy-log-removed"};
    std::unique_ptr<TMainForm> main;
    RoboCupFileT* learnLog = nullptr;
    RoboCupFileT* testLog = nullptr;
    QPointer<TMDIActionChild> learn, test;
    std::unique_ptr<TFormStrategy> form;
    int row = -1;
    platform::DialogScript script;
};

}  // namespace

TEST_F(StrategyLogRemoved, TheWindowIsEmptiedAndEveryCommandSaysThereIsNoGraph)
{
    Remove(learnLog);
    // At once, while the closed window is not yet freed.
    ASSERT_FALSE(learn.isNull());
    EXPECT_EQ(form->actionChild, nullptr);
    EXPECT_EQ(form->graph, nullptr);
    EXPECT_TRUE(form->chunks.empty());
    EXPECT_EQ(form->sgStrategy->ColCount(), 4);
    EXPECT_TRUE(GridEmpty());
    EXPECT_EQ(form->lbPath->count(), 0);
    EXPECT_EQ(form->lbSimilar->count(), 0);
    EXPECT_EQ(form->lbFeatures->count(), 0);
    EXPECT_EQ(form->lStrategyCount->text(), "#0");
    // The test window shows another log: it stays.
    EXPECT_EQ(form->testChild, test.data());
    EXPECT_TRUE(script.messages.empty());

    const char* const noGraph = "No action graph attached";
    const char* const noGraphHere = "No action graph attached !";
    const struct Command {
        const char* name;
        std::function<void(TFormStrategy&)> run;
        const char* says;
    } commands[] = {
        {"Generate rules", [](TFormStrategy& f) { f.BtnRules->click(); }, noGraph},
        {"Save rules", [](TFormStrategy& f) { f.BtnSaveRules->click(); }, noGraph},
        {"Check rules", [](TFormStrategy& f) { f.BtnCheckRules->click(); }, noGraph},
        {"All rules", [](TFormStrategy& f) { f.btnAllRules->click(); }, noGraph},
        {"Update similar", [](TFormStrategy& f) { f.btnUpdateSimilar->click(); }, noGraph},
        {"Find start", [](TFormStrategy& f) { f.btnFindStart->click(); }, noGraph},
        {"Store test", [](TFormStrategy& f) { f.btnStoreTest->click(); }, noGraph},
        {"Find test", [](TFormStrategy& f) { f.btnFindTest->click(); }, noGraph},
        {"Set filter", [](TFormStrategy& f) { f.btnSetFilter->click(); }, noGraph},
        {"similar double click", [](TFormStrategy& f) { f.lbSimilarDblClick(); }, noGraph},
        {"Test rules", [](TFormStrategy& f) { f.BtnTestRules->click(); }, noGraphHere},
        {"Whole test", [](TFormStrategy& f) { f.BtnWholeTestRules->click(); }, noGraphHere},
        {"grid double click", [](TFormStrategy& f) { emit f.sgStrategy->DoubleClicked(); }, noGraphHere},
        {"grid right press",
         [](TFormStrategy& f) {
             emit f.sgStrategy->MouseDown(Qt::RightButton, 1, 1, QPoint());
             QCoreApplication::processEvents();
         },
         noGraph},
    };
    // Before and after the closed window is freed.
    for (const bool freed : {false, true}) {
        if (freed) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            ASSERT_TRUE(learn.isNull());
        }
        for (const Command& c : commands) {
            SCOPED_TRACE(testing::Message() << c.name << (freed ? ", window freed" : ""));
            script.messages.clear();
            c.run(*form);
            EXPECT_EQ(script.messages.size(), 1u);
            if (!script.messages.empty()) {
                EXPECT_EQ(script.messages[0].text, c.says);
                EXPECT_EQ(script.messages[0].caption, "Warning");
            }
            // Nothing was evaluated, tested or swept.
            EXPECT_EQ(form->MemoRules->toPlainText(), "kept");
            EXPECT_TRUE(form->chunks.empty());
            EXPECT_TRUE(GridEmpty());
        }
    }
}

TEST_F(StrategyLogRemoved, TheTestLogGoingLetsGoOfTheTestWindowOnly)
{
    const std::size_t chunks = form->chunks.size();
    ASSERT_GT(chunks, 1u);
    Remove(testLog);
    EXPECT_EQ(form->testChild, nullptr);
    EXPECT_EQ(form->testGraph, nullptr);
    // The strategy was read from the log that stays.
    EXPECT_EQ(form->actionChild, learn.data());
    EXPECT_EQ(form->chunks.size(), chunks);
    EXPECT_FALSE(GridEmpty());
    EXPECT_GT(form->lbPath->count(), 0);
    form->BtnTestRules->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Please assign test graph !");
}
