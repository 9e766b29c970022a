// The dataset dialog lives for the whole run from program start; the
// action-graph window reaches it.
#pragma once

#include "ui/FormSaveData.h"

// Created at start for the whole run.
extern TFormSaveData* FormSaveData;
