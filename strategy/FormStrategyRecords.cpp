// The test record of the action-graph window's join-value test: the graph
// window cannot make or read a tTest (it sits below this layer), so it asks
// the strategy window through its link.
#include "strategy/FormStrategy.h"

#include "strategy/model/TestRecords.h"

#include <string>
#include <vector>

tTest* TFormStrategy::NewTestRecord()
{
    return new tTest;
}

void TFormStrategy::StoreTestChunks(tTest* record, double value)
{
    if (record)
        record->SetChunks(chunks, value);
}

void TFormStrategy::WriteTestResults(tTest* record)
{
    // Nothing tested, nothing to tabulate: a header without rows would read
    // as a table.
    if (!record || record->Results().empty())
        return;
    std::vector<std::string> lines;
    tTest::WriteHeader(lines);
    record->MergeEqualResults();
    record->WriteResults(lines);
    for (const std::string& line : lines)
        AppendMemo(line);
}

void TFormStrategy::FreeTestRecord(tTest* record)
{
    // No later rule test may report into a freed record.
    if (target == record)
        target = nullptr;
    delete record;
}
