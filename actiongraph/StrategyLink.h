// The action-graph window hands paths to the strategy window and makes itself
// its test graph, yet the strategy window sits in a layer above it. The
// strategy window installs itself here at program start; until then (and in
// tests that want no strategy window) the link is null and the graph window's
// commands that need it do nothing beyond their own work.
#pragma once

#include <string>

class TMDIActionChild;
class tTest;  // a batch test record; the graph window only passes it on

class TStrategyLink {
public:
    virtual ~TStrategyLink() = default;
    // Attaches the strategy window to child and runs it: shown modally unless
    // batch; target is the batch test's record or null.
    virtual void Init(TMDIActionChild* child, bool batch, tTest* target) = 0;
    // Makes child the test graph, or clears the test graph when child is null.
    virtual void SetTestGraph(TMDIActionChild* child) = 0;
    // Appends one line to the strategy window's rule memo.
    virtual void AppendMemo(const std::string& line) = 0;
    // Whether a test graph is set, on which the rules of "Test all" can be
    // tested: without one the series would join the graph for nothing.
    virtual bool HasTestGraph() const { return false; }
    // Whether the strategy window has a strategy to look for in the joined
    // graphs of "Test all" (a stored test strategy, or a start cycle): without
    // one each step would only wait for the user.
    virtual bool HasTestStrategy() const { return false; }

    // A series of runs ("Revalidate all" with "Generate all" or "Test all")
    // is one command to the learners, held open from BeginSeries to
    // EndSeries: Cancel in any of its learner runs, or a learner that failed,
    // stops it (SeriesStopped), and the series runs no further step.
    virtual void BeginSeries() {}
    virtual void EndSeries() {}
    virtual bool SeriesStopped() const { return false; }
    // Cancel in a step of the series that is no learner's (a join): the series
    // ends as by the learners' own Cancel, and says so when it ends.
    virtual void CancelSeries() {}
    // The series ended (done, cancelled or failed) and child has its whole
    // graph and path list again: the user is told how it ended, in a window
    // that shows.
    virtual void SeriesEnded(TMDIActionChild* /*child*/, const std::string& /*series*/) {}

    // The join-value test of "Revalidate all" records its runs in a test record
    // that only the strategy window can make, fill and read. Until the strategy
    // window offers them, no record is made and the test runs without one.
    // A new, empty record (null: none); the caller frees it with FreeTestRecord.
    virtual tTest* NewTestRecord();
    // Stores copies of the strategy window's current chunks in record, with value.
    virtual void StoreTestChunks(tTest* record, double value);
    // Appends record's results to the rule memo as a table: the header line,
    // then one line per setting (equal settings merged).
    virtual void WriteTestResults(tTest* record);
    // Deletes record; a strategy window that still targets it lets go first.
    virtual void FreeTestRecord(tTest* record);
};

TStrategyLink* StrategyLink();
void SetStrategyLink(TStrategyLink* link);
