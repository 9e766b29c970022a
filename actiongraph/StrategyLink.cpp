#include "actiongraph/StrategyLink.h"

namespace {
TStrategyLink* installedLink = nullptr;
}

TStrategyLink* StrategyLink()
{
    return installedLink;
}

void SetStrategyLink(TStrategyLink* link)
{
    installedLink = link;
}

tTest* TStrategyLink::NewTestRecord()
{
    return nullptr;
}

void TStrategyLink::StoreTestChunks(tTest*, double) {}

void TStrategyLink::WriteTestResults(tTest*) {}

void TStrategyLink::FreeTestRecord(tTest*) {}
