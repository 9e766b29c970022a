// The main window's time marks as the child windows reach them: the marks
// themselves, the "Use Time Marks" box and the list that shows the marks (whose
// changes tell a window to repaint). The main window fills it when it is built;
// every member is null before that, and tests may fill it with their own.
#pragma once

class QCheckBox;
class QListWidget;
class TimeMarks;

struct TimeMarksLink {
    TimeMarks* marks = nullptr;
    QCheckBox* useMarks = nullptr;
    QListWidget* list = nullptr;

    // "Use Time Marks" is there and checked.
    bool InUse() const;
};

extern TimeMarksLink g_timeMarks;
