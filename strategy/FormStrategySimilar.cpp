#include "strategy/FormStrategy.h"

// Not built yet: the command does nothing.

void TFormStrategy::btnUpdateSimilarClick()
{
}

void TFormStrategy::btnFindStartClick()
{
}

void TFormStrategy::btnStoreTestClick()
{
}

void TFormStrategy::btnFindTestClick()
{
}

void TFormStrategy::BtnEraseTestClick()
{
}

void TFormStrategy::btnSetFilterClick()
{
}

void TFormStrategy::btnGenerateTestGraphClick()
{
}

void TFormStrategy::btnClearTestClick()
{
}
