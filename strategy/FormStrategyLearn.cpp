#include "strategy/FormStrategy.h"

// Not built yet: the command does nothing.

void TFormStrategy::LearnNodeRules(const TNodeExamples& /*unused*/)
{
}

void TFormStrategy::EvaluateOwnRule(const TNodeExamples& /*unused*/)
{
}

void TFormStrategy::BtnEvaluateRuleClick()
{
}
