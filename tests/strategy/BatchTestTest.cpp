// The batch test's run over two real short logs of one team, with a stand-in
// strategy window that records what the run asks of it: the merged logs and
// their names, the join values, the records and their table, and the user's
// logs left open.
#include "strategy/BatchTest.h"

#include "strategy/FormStrategy.h"
#include "strategy/model/TestRecords.h"

#include "actiongraph/childActionWin.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "ui/MainServices.h"
#include "ui/OpenLogs.h"
#include "ui/Program.h"
#include "ui/StringGrid.h"
#include "ui/TeamDlg.h"
#include "ui/main.h"

#include "LearnerStandIn.h"

#include "support/GuiApp.h"
#include "support/RcgWriter.h"
#include "support/TestData.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QCheckBox>
#include <QMdiArea>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>

namespace {

const char kShort[] = "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg";

// The short match with its team names exchanged: HELIOS_A plays on the right.
std::string ExchangedShortMatch()
{
    std::string bytes = ReadBytes(GunzippedTestFile(kShort));
    for (auto [from, to] : {std::pair{"HELIOS_A", "HELIOS_#"}, {"HELIOS_B", "HELIOS_A"}, {"HELIOS_#", "HELIOS_B"}}) {
        const std::string f = from, t = to;
        for (std::size_t at = bytes.find(f); at != std::string::npos; at = bytes.find(f, at + t.size()))
            bytes.replace(at, f.size(), t);
    }
    return SaveTempFile("exchanged.rcg", bytes);
}

std::string BaseName(const RoboCupFileT* log) { return std::filesystem::path(log->fileName).filename().string(); }

// Stands in for the strategy window: the first modal run stores a one-chunk
// test strategy (unless told not to); a batch run shows a strategy named after
// the level; a run with a record adds the sweep's twelve results to it.
class FakeStrategy : public TBatchStrategy {
public:
    struct Call {
        std::string log;
        std::string value;
        bool batch;
        tTest* target;
        std::string testLog;
        // The first chunk's name of the record reported to.
        std::string targetChunk;
    };
    void Init(TMDIActionChild* child, bool batch, tTest* target) override
    {
        calls.push_back({BaseName(child->File), child->EditValue->text().toStdString(), batch, target,
                         testChild ? BaseName(testChild->File) : "",
                         target && !target->GetChunks().empty() ? target->GetChunks()[0]->GetName() : ""});
        if (!batch && !target && storeTest)
            SetTestChunks(Chunk("stored"));
        if (batch) {
            found = child->EditValue->text().toStdString() != missingLevel;
            chunks = Chunk(found ? "level " + child->EditValue->text().toStdString() : "shown before");
        }
        if (target)
            for (int run = 0; run < 12; ++run) {
                tTestResults r;
                r.distMin = 8.0 * (run / 4);
                r.distMax = r.distMin + 8.0 * (run % 4 + 1);
                r.abstract = target->GetValue();
                r.rule.tp = 1;
                r.numTests = 1;
                target->AddResult(r);
            }
    }
    void SetTestGraph(TMDIActionChild* child) override { testChild = child; }
    void SetTestChunks(const TChunkList& source) override { testChunks = CopyChunks(source); }
    const TChunkList& TestChunks() const override { return testChunks; }
    const TChunkList& Chunks() const override { return chunks; }
    void SetMemo(const std::vector<std::string>& lines) override { memo = lines; }
    void ForgetTarget() override { ++forgets; }
    void ResetAndShow() override { ++shown; }
    bool StrategyFound() const override { return found; }

    static TChunkList Chunk(const std::string& name)
    {
        TChunkList list;
        list.push_back(std::make_unique<StrategyChunk>(name, nullptr, nullptr, 0.0, 0.0, 0.0, false));
        return list;
    }

    bool storeTest = true;
    // The level at which the stored strategy is not found on the reference.
    std::string missingLevel;
    bool found = true;
    std::vector<Call> calls;
    TMDIActionChild* testChild = nullptr;
    TChunkList testChunks, chunks;
    std::vector<std::string> memo;
    int forgets = 0;
    int shown = 0;
};

// The whole run through "Test" with the program's strategy window: the user
// stores the first strategy of the reference log. The number of times the
// window was shown modally; afterStore acts once the strategy is stored.
int RunWithTheStrategyWindow(TMainForm& form, TFormStrategy& window, platform::DialogScript& script,
                             const std::function<void()>& afterStore = {})
{
    FormStrategy = &window;
    window.cbVerbose->setCheckState(Qt::Unchecked);
    window.EditFName->setText(QString::fromStdString(MakeTempDir("batch-data") + "/test.data"));
    int modals = 0;
    script.whileModal = [&](QDialog*) {
        if (modals++ > 0)
            return;  // the final table
        for (int row = 0; row < window.pathItems.Count(); ++row)
            if (window.pathItems.Path(row)) {
                window.lbPath->setCurrentRow(row);
                window.btnStoreTestClick();
                if (afterStore)
                    afterStore();
                break;
            }
    };
    TChooseTeamDlg::ModalRunner() = [](TChooseTeamDlg& d) {
        d.setResult(QDialog::Rejected);
        d.show();  // lists the teams
        QCoreApplication::processEvents();
        const QList<QListWidgetItem*> found = d.lbTeams->findItems("HELIOS_A", Qt::MatchStartsWith);
        if (found.size() != 1)
            return int(QDialog::Rejected);
        d.lbTeams->setCurrentItem(found.front());
        d.OKBtnClick();
        d.hide();
        return d.result();
    };
    RegisterBatchTest();
    form.BtnTestFiles->click();
    SetBatchTestRunner(nullptr);
    TChooseTeamDlg::ModalRunner() = [](TChooseTeamDlg& d) { return d.exec(); };
    FormStrategy = nullptr;
    return modals;
}

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApp();
        RegisterActionGraphWindow();
        TMainForm::AboutBoxRunner() = [] {};
        form = std::make_unique<TMainForm>();
        form->FirstActivation = false;
        form->OpenLogFiles({QString::fromStdString(GunzippedTestFile(kShort)),
                            QString::fromStdString(ExchangedShortMatch())});
        ASSERT_EQ(form->Logs->Count(), 2);
        own = std::make_unique<TMainFormServices>(*form);
        services = own.get();
        before = services->OpenLogs();
    }
    void TearDown() override
    {
        own.reset();
        form.reset();
        TMainForm::AboutBoxRunner() = &TMainForm::ShowAboutBox;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    InTempDir dir_{"batch-test"};
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TMainFormServices> own;
    IMainWindowServices* services = nullptr;
    std::vector<RoboCupFileT*> before;
    FakeStrategy strategy;
    platform::DialogScript script;
};

TEST_F(BatchTest, RecordsFourLevelsAndTestsEachLogLeftOut)
{
    const std::string team = "HELIOS_A";
    RunBatchTest(*services, strategy, &team, "x");

    // The stored strategy's modal run on the reference, the four levels found
    // there, then per left-out log one sweep per level on its learn log.
    ASSERT_EQ(strategy.calls.size(), 1u + 4u + 2u * 4u);
    EXPECT_EQ(strategy.calls[0].log, "HELIOS_Ax_reference-Others.rcg");
    EXPECT_EQ(strategy.calls[0].testLog, "HELIOS_Ax_reference-Others.rcg");
    EXPECT_FALSE(strategy.calls[0].batch);
    const char* levels[] = {"10", "12", "14", "16"};
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(strategy.calls[1 + k].batch);
        EXPECT_EQ(strategy.calls[1 + k].value, levels[k]);
    }
    for (int i = 0; i < 2; ++i)
        for (int k = 0; k < 4; ++k) {
            const FakeStrategy::Call& c = strategy.calls[5 + 4 * i + k];
            EXPECT_EQ(c.log, "HELIOS_Ax_learn" + std::to_string(i) + "-Others.rcg");
            EXPECT_EQ(c.testLog, "HELIOS_Ax_test" + std::to_string(i) + "-Others.rcg");
            EXPECT_EQ(c.value, levels[k]);
            ASSERT_NE(c.target, nullptr);
            EXPECT_FALSE(c.batch);
        }
    // The table: one header and twelve rows per level, each summed over both logs.
    ASSERT_EQ(strategy.memo.size(), 1u + 4u * 12u);
    EXPECT_EQ(strategy.memo[1].rfind("0\t0\t0\t8\t10\t", 0), 0u) << strategy.memo[1];
    EXPECT_EQ(strategy.memo[48].rfind("0\t0\t16\t48\t16\t", 0), 0u) << strategy.memo[48];
    for (std::size_t row = 1; row < strategy.memo.size(); ++row)
        EXPECT_EQ(strategy.memo[row].substr(strategy.memo[row].size() - 2), "\t2") << strategy.memo[row];
    // The test strategy holds the last level's copies; the window reports to no record.
    ASSERT_EQ(strategy.testChunks.size(), 1u);
    EXPECT_EQ(strategy.testChunks[0]->GetName(), "level 16");
    EXPECT_GE(strategy.forgets, 1);
    EXPECT_EQ(strategy.shown, 1);
    // The user's logs are open as before; the merged ones and their windows are gone.
    EXPECT_EQ(services->OpenLogs(), before);
    EXPECT_EQ(services->ChildWindowCount(), 0);
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(BatchTest, NoStoredStrategyWarnsAndLeavesNothingBehind)
{
    strategy.storeTest = false;
    const std::string team = "HELIOS_A";
    RunBatchTest(*services, strategy, &team, "");
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "No test strategy stored");
    EXPECT_EQ(script.messages[0].caption, "Warning");
    EXPECT_EQ(strategy.calls.size(), 1u);
    EXPECT_TRUE(strategy.memo.empty());
    EXPECT_EQ(strategy.shown, 0);
    EXPECT_EQ(services->OpenLogs(), before);
    EXPECT_EQ(services->ChildWindowCount(), 0);
}

TEST_F(BatchTest, TestStrategyKeptFromEarlierDoesNotPassAsStored)
{
    strategy.testChunks = FakeStrategy::Chunk("earlier");
    strategy.storeTest = false;
    const std::string team = "HELIOS_A";
    RunBatchTest(*services, strategy, &team, "");
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "No test strategy stored");
    EXPECT_EQ(strategy.calls.size(), 1u);
    EXPECT_TRUE(strategy.memo.empty());
    EXPECT_EQ(services->OpenLogs(), before);
    EXPECT_EQ(services->ChildWindowCount(), 0);
}

TEST_F(BatchTest, CancelledChooserRunsAndShowsNothing)
{
    strategy.memo = {"old"};
    RunBatchTest(*services, strategy, nullptr, "");
    EXPECT_TRUE(strategy.calls.empty());
    EXPECT_EQ(strategy.memo, std::vector<std::string>{"old"});
    EXPECT_EQ(strategy.shown, 0);
    EXPECT_EQ(services->OpenLogs(), before);
}

TEST_F(BatchTest, TestOnTheMainWindowWithACancelledChooserOpensNothing)
{
    TFormStrategy window;
    FormStrategy = &window;
    window.MemoRules->setPlainText("old");
    TChooseTeamDlg::ModalRunner() = [](TChooseTeamDlg&) { return int(QDialog::Rejected); };
    RegisterBatchTest();
    form->BtnTestFiles->click();
    SetBatchTestRunner(nullptr);
    TChooseTeamDlg::ModalRunner() = [](TChooseTeamDlg& d) { return d.exec(); };
    FormStrategy = nullptr;
    EXPECT_EQ(window.MemoRules->toPlainText(), "old");
    EXPECT_TRUE(script.modals.empty());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(services->OpenLogs(), before);
}

// The whole run with the in-house learner.
TEST_F(BatchTest, WholeRunWithTheStrategyWindow)
{
    TFormStrategy window;
    window.cbHomeRules->setChecked(true);
    const int modals = RunWithTheStrategyWindow(*form, window, script);

    EXPECT_EQ(modals, 2);
    ASSERT_FALSE(window.testChunks.empty());
    // One header and twelve rows per level (the strategy is found on both
    // learn graphs at every level here), each summed over the logs it was found in.
    const QStringList lines = window.MemoRules->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 1 + 4 * 12);
    EXPECT_TRUE(lines[0].startsWith("conf\tdiff\tdistMin"));
    for (int row = 1; row < lines.size(); ++row) {
        const QStringList cells = lines[row].split('\t');
        ASSERT_EQ(cells.size(), 26) << row;
        EXPECT_GE(cells.back().toInt(), 1);
        EXPECT_LE(cells.back().toInt(), 2);
    }
    EXPECT_EQ(window.target, nullptr);
    EXPECT_EQ(window.actionChild, nullptr);
    EXPECT_EQ(window.testChild, nullptr);
    EXPECT_EQ(services->OpenLogs(), before);
    EXPECT_EQ(services->ChildWindowCount(), 0);
}

// A learner that fails at once, as callweka does without Java: told once
// for the whole run, and no row of the table comes from it.
TEST_F(BatchTest, AFailingLearnerIsToldOnceAndGivesNoRows)
{
    const std::string folder = MakeTempDir("batch-learner");
    std::ofstream(folder + "/callweka") << "#!/bin/sh\necho run >> \"" + folder +
                                                "/runs\"\necho 'callweka: no Java runtime (java)' >&2\nexit 3\n";
    std::filesystem::permissions(folder + "/callweka", std::filesystem::perms::owner_all);
    TFormStrategy window;
    window.learnerFolder = QString::fromStdString(folder);
    // Weka, the window's first choice of learner.
    const int modals = RunWithTheStrategyWindow(*form, window, script);

    EXPECT_EQ(modals, 2);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Call failed !");
    EXPECT_TRUE(script.messages[0].detail.contains("no Java runtime")) << script.messages[0].detail.toStdString();
    EXPECT_EQ(ReadBytes(folder + "/runs"), "run\n");
    const QStringList lines = window.MemoRules->toPlainText().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("conf\tdiff\tdistMin"));
    for (int row = 1; row + 1 < lines.size(); ++row)
        EXPECT_NE(lines[row].split('\t').size(), 26) << lines[row].toStdString();
    EXPECT_TRUE(lines.last().startsWith("Left out: ")) << lines.last().toStdString();
    EXPECT_TRUE(lines.last().contains("failed runs (learner failed: callweka exit code 3 (callweka: no Java runtime"));
    EXPECT_EQ(services->OpenLogs(), before);
    EXPECT_EQ(services->ChildWindowCount(), 0);
}

// A learner that refuses every node's data, as JRip does with too few
// examples: the line under the table counts the runs with a node not learnt.
TEST_F(BatchTest, RunsWithANodeNotLearntAreCountedUnderTheTable)
{
    const std::string folder = MakeTempDir("batch-refusing");
    std::ofstream(folder + "/callweka") << "#!/bin/sh\necho 'weka.core.WekaException: too few' > \"$2\"\n";
    std::filesystem::permissions(folder + "/callweka", std::filesystem::perms::owner_all);
    TFormStrategy window;
    window.learnerFolder = QString::fromStdString(folder);
    RunWithTheStrategyWindow(*form, window, script);
    EXPECT_TRUE(script.messages.empty());
    const QString last = window.MemoRules->toPlainText().section('\n', -1);
    EXPECT_TRUE(last.startsWith("Left out: ") && !last.startsWith("Left out: 0 ") &&
                last.endsWith(" runs with a node not learnt (weka.core.WekaException: too few)"))
        << last.toStdString();
}

// Cancel in "Generate rules" while the user stores the strategy ends only
// that run; Cancel in a leave-one-out sweep ends the whole run.
TEST_F(BatchTest, CancelEndsTheRunButNotWhileTheStrategyIsStored)
{
    const std::string folder = MakeTempDir("batch-cancel");
    standin::WriteSleepingLearner(folder, "1|4");
    TFormStrategy window;
    window.learnerFolder = QString::fromStdString(folder);
    standin::User user(folder);
    RunWithTheStrategyWindow(*form, window, script, [&] { window.BtnSaveRules->click(); });

    EXPECT_EQ(user.cancels, 2);
    EXPECT_EQ(standin::Runs(folder), 4);
    const QStringList lines = window.MemoRules->toPlainText().split('\n');
    EXPECT_EQ(lines.filter("ancel").size(), 1) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.last(), "Cancelled: the table holds only the runs made before.");
    standin::ExpectNoneRunning(user);
    EXPECT_EQ(services->OpenLogs(), before);
    EXPECT_EQ(services->ChildWindowCount(), 0);
}

TEST_F(BatchTest, ALevelWithoutTheStoredStrategyIsLeftOutWithOneLine)
{
    strategy.missingLevel = "12";
    const std::string team = "HELIOS_A";
    RunBatchTest(*services, strategy, &team, "");
    // Per left-out log a sweep at the three other levels only: nothing opens
    // the window for the missing one.
    ASSERT_EQ(strategy.calls.size(), 1u + 4u + 2u * 3u);
    for (std::size_t k = 5; k < strategy.calls.size(); ++k) {
        EXPECT_NE(strategy.calls[k].value, "12");
        ASSERT_NE(strategy.calls[k].target, nullptr);
        EXPECT_EQ(strategy.calls[k].targetChunk, "level " + strategy.calls[k].value);
    }
    ASSERT_EQ(strategy.memo.size(), 1u + 3u * 12u + 1u);
    EXPECT_EQ(strategy.memo.back(),
              "Level 12: the stored strategy was not found on the learning merge; the level is left out.");
    const char* levels[] = {"10", "14", "16"};
    for (std::size_t row = 1; row <= 36; ++row) {
        const std::string& line = strategy.memo[row];
        // The fifth column is the level the row was recorded at.
        EXPECT_EQ(QString::fromStdString(line).split('\t').value(4).toStdString(), levels[(row - 1) / 12]) << line;
        EXPECT_EQ(line.substr(line.size() - 2), "\t2") << line;
    }
    EXPECT_TRUE(script.messages.empty());
    EXPECT_TRUE(script.modals.empty());
    EXPECT_EQ(services->ChildWindowCount(), 0);
}

TEST_F(BatchTest, AStrategyWindowWhoseLogIsRemovedIsEmptiedAndEveryCommandSaysThereIsNoGraph)
{
    QPointer<TMDIActionChild> learn, test;
    for (QPointer<TMDIActionChild>* child : {&test, &learn}) {
        form->SelectCurrentFile(QString::fromStdString(form->Logs->At(child == &test)->fileName), true);
        form->btnAnalyzeClick();
        ASSERT_TRUE(*child = qobject_cast<TMDIActionChild*>(form->MdiArea->subWindowList().back()));
    }
    learn->FindPaths(learn->Graph, 1, learn->Paths);
    TFormStrategy window;
    window.Attach(learn, nullptr);
    window.SetTestGraph(test);
    ASSERT_TRUE(learn->Paths.Path(0) && window.ShowStrategy(*learn->Paths.Path(0), window.chunks));
    window.MemoRules->setPlainText("kept");
    form->BtnRemoveFileClick();
    EXPECT_EQ(window.actionChild, nullptr);
    std::vector<std::function<void()>> commands = {[&] {
        emit window.sgStrategy->MouseDown(Qt::RightButton, 1, 1, QPoint());
        QCoreApplication::processEvents();
    }};
    for (QPushButton* button : {window.BtnRules, window.BtnSaveRules, window.BtnCheckRules, window.btnAllRules,
                                window.btnUpdateSimilar, window.btnFindStart, window.btnStoreTest, window.btnFindTest,
                                window.btnSetFilter, window.BtnTestRules, window.BtnWholeTestRules})
        commands.push_back([button] { button->click(); });
    for (const bool freed : {false, true}) {
        if (freed)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(learn.isNull(), freed);
        for (std::size_t i = 0; i < commands.size(); ++i) {
            SCOPED_TRACE(std::to_string(i) + (freed ? ", window freed" : ""));
            script.messages.clear();
            commands[i]();
            EXPECT_TRUE(script.messages.size() == 1 && script.messages[0].text.startsWith("No action graph attached"));
            EXPECT_EQ(window.MemoRules->toPlainText(), "kept");
            EXPECT_TRUE(window.chunks.empty());
        }
    }
}

TEST(BatchValues, AsTheValueBoxShowsThem)
{
    EXPECT_EQ(BatchValueText(0.1), "0.1");
    EXPECT_EQ(BatchValueText(4.0), "4");
    EXPECT_EQ(BatchValueText(16.0), "16");
}

}  // namespace
