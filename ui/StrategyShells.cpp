#include "ui/StrategyShells.h"

TFormSaveData* FormSaveData = nullptr;
