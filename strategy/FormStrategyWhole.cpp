#include "strategy/FormStrategy.h"

// Not built yet: the command does nothing.

void TFormStrategy::BtnWholeTestRulesClick()
{
}
