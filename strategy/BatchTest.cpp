#include "strategy/BatchTest.h"

#include "strategy/model/LearnerRecord.h"
#include "strategy/model/TestRecords.h"

#include "actiongraph/childActionWin.h"
#include "platform/qt/Dialogs.h"
#include "ui/FormControls.h"
#include "ui/MainServices.h"
#include "ui/waitFormWin.h"

#include "core/model/RoboCupFile.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>

#include <cstdio>
#include <filesystem>
#include <memory>

std::string BatchValueText(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

namespace {

void Join(TMDIActionChild* window, double value)
{
    window->EditValue->setText(QString::fromStdString(BatchValueText(value)));
    window->BtnJoinNearestClick();
}

void FindAllPaths(TMDIActionChild* window)
{
    window->ClearPaths();
    window->FindPaths(window->Graph, 1, window->Paths);
}

// A window on the log, nothing selected, its paths listed.
TMDIActionChild* OpenWindow(IMainWindowServices& main, RoboCupFileT* log)
{
    TMDIActionChild* window = main.NewActionGraphWindow(log);
    if (window) {
        window->SelectNode(nullptr);
        FindAllPaths(window);
    }
    return window;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A merged log the run itself would make (left from an earlier run that was
// stopped): merging anew would replace it while it is still a source.
bool IsBatchLog(const RoboCupFileT* log, const std::string& stem)
{
    const std::string name = std::filesystem::path(log->fileName).filename().string();
    if (!EndsWith(name, "-Others.rcg"))
        return false;
    for (const char* part : {"_reference", "_test", "_learn"})
        if (name.rfind(stem + part, 0) == 0)
            return true;
    return false;
}

void RemoveLog(IMainWindowServices& main, RoboCupFileT* log)
{
    if (log)
        main.RemoveLog(log);
}

// The table, then what it leaves out and why.
void WriteTable(TBatchStrategy& strategy, std::vector<std::unique_ptr<tTest>>& tests,
                const std::vector<std::string>& notes)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < tests.size(); ++i) {
        if (i == 0)
            tTest::WriteHeader(lines);
        tests[i]->MergeEqualResults();
        tests[i]->WriteResults(lines);
    }
    lines.insert(lines.end(), notes.begin(), notes.end());
    if (strategy.FailedRuns() > 0)
        lines.push_back("Left out: " + std::to_string(strategy.FailedRuns()) +
                        " failed runs (" + OneLine(strategy.RunFailure()) + ")");
    if (strategy.NotLearntRuns() > 0)
        lines.push_back("Left out: " + std::to_string(strategy.NotLearntRuns()) +
                        " runs with a node not learnt (" + OneLine(strategy.NotLearnt()) + ")");
    if (strategy.Cancelled())
        lines.push_back("Cancelled: the table holds only the runs made before.");
    strategy.SetMemo(lines);
}

class BatchCommand {
public:
    explicit BatchCommand(TBatchStrategy& strategy) : strategy_(strategy) { strategy_.BeginCommand(); }
    ~BatchCommand() { strategy_.EndCommand(); }
    BatchCommand(const BatchCommand&) = delete;
    BatchCommand& operator=(const BatchCommand&) = delete;

private:
    TBatchStrategy& strategy_;
};

// Records the strategy the user stores on the reference log at every level
// where it is found. False when no strategy was stored.
bool RecordReference(IMainWindowServices& main, TBatchStrategy& strategy, RoboCupFileT* reference,
                     std::vector<std::unique_ptr<tTest>>& tests, std::vector<std::string>& notes)
{
    QPointer<TMDIActionChild> testWindow = OpenWindow(main, reference);
    QPointer<TMDIActionChild> learnWindow = OpenWindow(main, reference);
    if (!testWindow || !learnWindow)
        return false;
    strategy.SetTestGraph(testWindow);
    // Only a strategy stored on this reference graph can be found at its
    // levels: one kept from an earlier graph must not pass for it.
    strategy.SetTestChunks({});
    // The strategy window, shown for the user to store the strategy, sets
    // the wait window aside meanwhile.
    strategy.Init(learnWindow, false, nullptr);
    if (strategy.TestChunks().empty() || !learnWindow) {
        platform::MessageBox(nullptr, "No test strategy stored", "Warning");
        return false;
    }
    SetWaitText("Recording the strategy ...");
    for (double value : kBatchPreJoins)
        Join(learnWindow, value);
    for (double value : kBatchLevels) {
        Join(learnWindow, value);
        FindAllPaths(learnWindow);
        strategy.Init(learnWindow, true, nullptr);
        // What the window showed before is no record of this level, and a
        // record without chunks would open the window at every log.
        if (!strategy.StrategyFound()) {
            notes.push_back("Level " + BatchValueText(value) +
                            ": the stored strategy was not found on the learning merge; the level is left out.");
            continue;
        }
        auto test = std::make_unique<tTest>();
        test->SetChunks(strategy.Chunks(), value);
        tests.push_back(std::move(test));
    }
    return true;
}

// Learns on the others, tests on the one log, at every level.
void LeaveOneOut(IMainWindowServices& main, TBatchStrategy& strategy, const std::string& team,
                 const std::string& stem, const std::vector<RoboCupFileT*>& logs, std::size_t i,
                 std::vector<std::unique_ptr<tTest>>& tests)
{
    std::vector<RoboCupFileT*> others;
    for (std::size_t j = 0; j < logs.size(); ++j)
        if (j != i)
            others.push_back(logs[j]);
    const std::string number = std::to_string(i);
    SetWaitText(QString::fromStdString("Testing on " + logs[i]->fileName + " ..."));
    RoboCupFileT* testLog = main.MergeFiles(stem + "_test" + number, team, {logs[i]});
    RoboCupFileT* learnLog = others.empty() ? nullptr : main.MergeFiles(stem + "_learn" + number, team, others);
    if (testLog && learnLog) {
        QPointer<TMDIActionChild> learnWindow = OpenWindow(main, learnLog);
        QPointer<TMDIActionChild> testWindow = OpenWindow(main, testLog);
        for (TMDIActionChild* window : {learnWindow.data(), testWindow.data()})
            if (window)
                emit window->PanelShowHide->clicked();
        main.TileWindows();
        // The learn graph is joined through the same values as the reference
        // graph was, so that its levels mean the same.
        if (learnWindow)
            for (double value : kBatchPreJoins)
                Join(learnWindow, value);
        for (const std::unique_ptr<tTest>& test : tests) {
            if (!learnWindow || !testWindow)
                break;
            Join(learnWindow, test->GetValue());
            FindAllPaths(learnWindow);
            learnWindow->cbTestAll->setChecked(true);
            strategy.SetTestChunks(test->GetChunks());
            strategy.SetTestGraph(testWindow);
            strategy.Init(learnWindow, false, test.get());
            if (strategy.Cancelled())
                break;
        }
        strategy.ForgetTarget();
    }
    RemoveLog(main, learnLog);
    RemoveLog(main, testLog);
}

}  // namespace

void RunBatchTest(IMainWindowServices& main, TBatchStrategy& strategy, const std::string* team,
                  const std::string& prefix)
{
    if (!team)
        return;
    std::vector<std::unique_ptr<tTest>> tests;
    std::vector<std::string> notes;
    const BatchCommand command(strategy);
    const std::string stem = *team + prefix;
    bool recorded = false;
    {
        // One wait window from the first merge to the last test, with Cancel.
        const WaitCommand wait("Merging files ...", nullptr, true);
        std::vector<RoboCupFileT*> logs;
        for (RoboCupFileT* log : main.OpenLogs())
            if (!IsBatchLog(log, stem))
                logs.push_back(log);
        RoboCupFileT* reference = logs.empty() ? nullptr : main.MergeFiles(stem + "_reference", *team, logs);
        if (reference) {
            recorded = RecordReference(main, strategy, reference, tests, notes);
            RemoveLog(main, reference);
        }
        if (recorded)
            for (std::size_t i = 0; i < logs.size() && !strategy.Cancelled(); ++i)
                LeaveOneOut(main, strategy, *team, stem, logs, i, tests);
    }
    if (!recorded)
        return;
    WriteTable(strategy, tests, notes);
    strategy.ForgetTarget();
    strategy.ResetAndShow();
}
