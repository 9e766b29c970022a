// The batch test over logs: how well the rules learnt for one strategy of one
// team carry over to matches the learner has not seen. The team's play in all
// open logs is merged into a reference log on which the user picks the
// strategy; it is recorded at four join values; then, leaving one log out at a
// time, rules are learnt on the merge of the others and tested on that log by
// the strategy window's parameter sweep. The results, summed per level and
// setting, become one table in the strategy window's memo.
#pragma once

#include "strategy/model/StrategyChunks.h"

#include <string>
#include <vector>

class IMainWindowServices;
class TMDIActionChild;
class TMainForm;
class tTest;

// What the batch test uses of the strategy window.
class TBatchStrategy {
public:
    virtual ~TBatchStrategy() = default;
    virtual void Init(TMDIActionChild* child, bool batch, tTest* target) = 0;
    virtual void SetTestGraph(TMDIActionChild* child) = 0;
    virtual void SetTestChunks(const TChunkList& source) = 0;
    virtual const TChunkList& TestChunks() const = 0;
    virtual const TChunkList& Chunks() const = 0;
    // The rules memo's whole text, one line each.
    virtual void SetMemo(const std::vector<std::string>& lines) = 0;
    // The window stops reporting to a test record.
    virtual void ForgetTarget() = 0;
    virtual void ResetAndShow() = 0;
    // Whether the last Init in batch mode found the stored strategy.
    virtual bool StrategyFound() const = 0;
    // The whole run is one command to the learners: a failure is told once,
    // Cancel ends the run.
    virtual void BeginCommand() {}
    virtual void EndCommand() {}
    virtual bool Cancelled() const { return false; }
    // Sweep runs of the command that failed (a learner, a dataset not
    // written: their rows are left out), and the first failure as the
    // command says it ("learner failed: <reason>").
    virtual int FailedRuns() const { return 0; }
    virtual std::string RunFailure() const { return {}; }
    // Sweep runs with a node the learner refused (their rows are left out
    // too), and the first refusal's reason.
    virtual int NotLearntRuns() const { return 0; }
    virtual std::string NotLearnt() const { return {}; }
};

// The levels the strategy is recorded at, and the joins that lead up to the
// first of them.
inline constexpr double kBatchPreJoins[] = {0.1, 1.0, 4.0};
inline constexpr double kBatchLevels[] = {10.0, 12.0, 14.0, 16.0};

// A join value as the value box shows it: "0.1", "4", "16".
std::string BatchValueText(double value);

// The run for the chosen team (null: the chooser was cancelled, so nothing
// runs and nothing is shown). The user's open logs stay open as they were; every
// merged log and the windows on it are gone afterwards. A level at which the
// stored strategy is not found on the reference is left out with a line under
// the table, and so are the runs that failed (counted); Cancel in a
// learner run ends the run with the table of what was done.
void RunBatchTest(IMainWindowServices& main, TBatchStrategy& strategy, const std::string* team,
                  const std::string& prefix);

class TFormStrategy;

// The batch test's strategy through the program's strategy window.
class TWindowBatchStrategy : public TBatchStrategy {
public:
    explicit TWindowBatchStrategy(TFormStrategy& form) : form_(form) {}

    void Init(TMDIActionChild* child, bool batch, tTest* target) override;
    void SetTestGraph(TMDIActionChild* child) override;
    void SetTestChunks(const TChunkList& source) override;
    const TChunkList& TestChunks() const override;
    const TChunkList& Chunks() const override;
    void SetMemo(const std::vector<std::string>& lines) override;
    void ForgetTarget() override;
    void ResetAndShow() override;
    bool StrategyFound() const override;
    void BeginCommand() override;
    void EndCommand() override;
    bool Cancelled() const override;
    int FailedRuns() const override;
    std::string RunFailure() const override;
    int NotLearntRuns() const override;
    std::string NotLearnt() const override;

private:
    TFormStrategy& form_;
};

// The main window's "Test": the team chooser, then RunBatchTest with the
// program's strategy window.
void BatchTestCommand(TMainForm& form);
// Tells the main window how to run its "Test".
void RegisterBatchTest();
