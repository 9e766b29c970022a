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
