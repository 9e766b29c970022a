#include "ui/StrategyShells.h"

TFormSaveData* FormSaveData = nullptr;

TFormSaveData::TFormSaveData(QWidget* parent) : QDialog(parent) { setObjectName("FormSaveData"); }
