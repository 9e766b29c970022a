#include "ui/MarksLink.h"

#include <QCheckBox>

TimeMarksLink g_timeMarks;

bool TimeMarksLink::InUse() const { return useMarks != nullptr && useMarks->isChecked(); }
