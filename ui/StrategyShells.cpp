#include "ui/StrategyShells.h"

TFormSaveData* FormSaveData = nullptr;
TFormStrategy* FormStrategy = nullptr;

TFormSaveData::TFormSaveData(QWidget* parent) : QDialog(parent) { setObjectName("FormSaveData"); }

TFormStrategy::TFormStrategy(QWidget* parent) : QWidget(parent, Qt::Window) { setObjectName("FormStrategy"); }
