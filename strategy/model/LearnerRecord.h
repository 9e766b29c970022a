// What one command that learns rules ("Generate rules", "All Rules", the
// parameter sweep, the batch test) knows about its outside learner runs.
//
// A learner that failed once fails again for every further node (a missing
// Java, a broken learner), so the command tells its failure once and learns no
// further node with it; each node it leaves out still says why. A run
// cancelled by the user ends the whole command.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

class TLearnerRecord {
public:
    // Commands nest (the batch test runs sweeps, a sweep runs "Generate
    // rules"): only the outermost Begin starts a new record.
    void Begin();
    void End();
    // Called when the outermost command ends, however it ends (stopped by
    // Cancel or a dataset not written as well): where the window tells what
    // the command kept for the user that it has not told yet.
    void SetCommandEnd(std::function<void()> tell) { commandEnd_ = std::move(tell); }
    // A record of no command, which ends commands as this one does.
    TLearnerRecord Fresh() const
    {
        TLearnerRecord fresh;
        fresh.commandEnd_ = commandEnd_;
        return fresh;
    }
    bool Active() const { return depth_ > 0; }
    // A command runs inside another one ("Generate rules" in the sweep).
    bool Nested() const { return depth_ > 1; }
    // Forgets everything (a new command).
    void Reset();

    // One learning of a whole strategy starts: RunFailed tells whether one of
    // its nodes was left without rules by a failed or cancelled learner.
    void BeginRun()
    {
        runFailed_ = false;
        runNotLearnt_.clear();
    }
    bool RunFailed() const { return runFailed_; }
    // A run whose rows were left out of a table because its learner failed.
    void CountFailedRun() { ++failedRuns_; }
    int FailedRuns() const { return failedRuns_; }

    // Notes that the learner (or the step the key names: a dataset, the
    // private folder) failed for the reason; what says how the command's rows
    // and comments name it: "learner failed", "dataset not written". True for
    // its first failure in this command, the one to tell the user about.
    bool Fail(const std::string& learner, const std::string& reason, const std::string& what = kLearnerFailed);
    // Why the learner failed in this command; null while it has not.
    const std::string* Failure(const std::string& learner) const;
    // The reason of the command's first failure ("" when none).
    const std::string& FirstFailure() const { return firstFailure_; }
    // The first failure as the command's rows and comments say it: "<what>:
    // <reason>" ("learner failed: callweka exit code 3 ..."); "" when none.
    const std::string& FirstFailureText() const { return firstFailureText_; }
    static constexpr const char* kLearnerFailed = "learner failed";
    // A node that was not learnt because its learner failed before.
    void NodeLeftOut() { runFailed_ = true; }

    // A learner that ran to its end but refused the node's data (too few
    // examples, one class only): the node has no rules, and the command goes
    // on with the others. RunNotLearnt is the run's first such reason.
    void NodeNotLearnt(const std::string& reason);
    const std::string& RunNotLearnt() const { return runNotLearnt_; }
    int NodesNotLearnt() const { return nodesNotLearnt_; }
    const std::string& FirstNotLearnt() const { return firstNotLearnt_; }
    // A run that left the strategy without rules although no learner refused
    // a node: it stopped before it built the nodes, or its dataset type has
    // no learner. RunNotLearnt says why; no node is counted.
    void StrategyNotLearnt(const std::string& reason);
    // A run left out of a table because one of its nodes was not learnt.
    void CountNotLearntRun() { ++notLearntRuns_; }
    int NotLearntRuns() const { return notLearntRuns_; }

    // Cancel ends the whole command: every loop of it (nodes, strategies,
    // sweep settings, levels, logs) asks Cancelled before its next step, and
    // no learner runs again until the next command.
    void Cancel();
    bool Cancelled() const { return cancelled_; }
    // True once per cancelled command: the one place that tells the user
    // (the cancelled node's line, a sweep row, the export's last line).
    bool TellCancel();
    // True the first time the command would say this: a message that every
    // strategy of "All Rules" would raise again is shown once.
    bool TellOnce(const std::string& what) { return told_.insert(what).second; }

    // Datasets the command wrote for the user rather than for a learner: for
    // no learner (a dataset type no learner reads), or into the command's own
    // folder (the data file in the private folder), said once at the
    // command's end (DatasetsLine); the first folder is kept, the files are
    // counted.
    void DatasetsWritten(const std::string& folder, int files, bool noLearner);
    // DatasetsLine once: datasets told are not told again, and those written
    // after it count from 0.
    std::string TakeDatasetsLine();
    const std::string& DatasetFolder() const { return datasetFolder_; }
    int DatasetFiles() const { return datasetFiles_; }
    bool DatasetsForNoLearner() const { return datasetsForNoLearner_; }

    // Each learning of a whole strategy in the command ("Generate rules" once,
    // the sweep per setting, "All Rules" per strategy) counts from 1, so that
    // its datasets carry its number.
    void BeginStrategy() { ++strategies_; }
    int Strategies() const { return strategies_; }

    // The command's own folder in the private folder, where it keeps files
    // for the user (made when first needed; empty until then).
    void SetCommandFolder(const std::string& folder) { commandFolder_ = folder; }
    const std::string& CommandFolder() const { return commandFolder_; }

    // Apriori's answer whether players go by role, asked once per command.
    // Empty until asked.
    void SetUseRoles(bool useRoles) { useRoles_ = useRoles; }
    const std::optional<bool>& UseRoles() const { return useRoles_; }
    // The user's answer whether the command may replace datasets of theirs
    // already there, asked before it would replace the first. Empty until asked.
    void SetReplaceDatasets(bool replace) { replaceDatasets_ = replace; }
    const std::optional<bool>& ReplaceDatasets() const { return replaceDatasets_; }

    // Nothing more can be learnt in this command: it was cancelled or a
    // learner failed.
    bool Stopped() const { return cancelled_ || !failures_.empty(); }

private:
    int depth_ = 0;
    bool cancelled_ = false;
    bool cancelTold_ = false;
    bool runFailed_ = false;
    int failedRuns_ = 0;
    int nodesNotLearnt_ = 0;
    int notLearntRuns_ = 0;
    std::string runNotLearnt_;
    std::string firstNotLearnt_;
    std::map<std::string, std::string> failures_;
    std::string firstFailure_;
    std::string firstFailureText_;
    std::string datasetFolder_;
    int datasetFiles_ = 0;
    bool datasetsForNoLearner_ = false;
    int strategies_ = 0;
    std::string commandFolder_;
    std::optional<bool> useRoles_;
    std::optional<bool> replaceDatasets_;
    std::set<std::string> told_;
    std::function<void()> commandEnd_;
};

// Holds a command open for the scope.
//
// A window shown modally in the middle of a command (the batch test lets the
// user store a strategy) starts commands of its own: TLearnerPause keeps the
// outer command's record aside for the scope.
class TLearnerCommand {
public:
    explicit TLearnerCommand(TLearnerRecord& record) : record_(record) { record_.Begin(); }
    ~TLearnerCommand() { record_.End(); }
    TLearnerCommand(const TLearnerCommand&) = delete;
    TLearnerCommand& operator=(const TLearnerCommand&) = delete;

private:
    TLearnerRecord& record_;
};

class TLearnerPause {
public:
    explicit TLearnerPause(TLearnerRecord& record) : record_(record), saved_(record) { record_ = record.Fresh(); }
    ~TLearnerPause() { record_ = saved_; }
    TLearnerPause(const TLearnerPause&) = delete;
    TLearnerPause& operator=(const TLearnerPause&) = delete;

private:
    TLearnerRecord& record_;
    TLearnerRecord saved_;
};

// The text as one line of printable characters: CR, LF, tabs and every other
// control character become blanks.
std::string OneLine(std::string text);

// A learner failure's reason in one line: "<learner> <how it ended>", and in
// parentheses the first line of the learner's output that says why: the
// learner's own words (a line naming an exception in any case, an "Error", or
// "error:" in any case; exceptions first) before the script's status line
// ("<learner>:"), else its first line, when it wrote one
// ("callweka exit code 3 (callweka: no Java runtime (java))"); at most about
// 200 characters.
std::string LearnerFailureReason(const std::string& learner, const std::string& ended, const std::string& output);

// Whether JRip's result holds its whole rule list: a "JRIP rules:" line, at
// least one rule ("=>") and then the "Number of Rules" line.
bool WekaListComplete(const std::string& result);
// Why a JRip run that ended well gave no rule list, or "" when it gave its
// whole list (whatever the run said on its streams besides). result is the
// run's result file, output what the run wrote on its streams. The reason is
// the learner's own words (as LearnerFailureReason finds them) in the output,
// else in the result, else the script's "callweka:" line, else what is missing.
std::string WekaRefusal(const std::string& result, const std::string& output);
inline constexpr const char* kWekaEmptyResult = "the learner's result is empty";
// Why a Slipper run that ended well gave no hypothesis: its own words, else
// the first line it wrote, else "no hypothesis from the learner".
std::string SlipperRefusal(const std::string& output);

// The command's last line when nodes were not learnt:
// "// 2 nodes not learnt (first: <reason>)", the reason as CommentText makes
// it; empty when none.
std::string NotLearntLine(int nodes, const std::string& firstReason);

// The command's last line when it wrote datasets for the user (see
// DatasetsWritten): "// Datasets written to <folder>: 12 files, no learner
// reads this dataset type" (the reason only for no learner); empty for no
// folder.
std::string DatasetsLine(const TLearnerRecord& record);

// The text between "/*" and "*/" (or after "//") made safe to stand there:
// one line (OneLine), with "*" + "/", "/" + "*" and "??" broken up by a blank,
// so that the comment ends where it should and nothing in it is a trigraph.
std::string CommentText(std::string text);
