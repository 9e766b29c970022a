// The main window's time: the current cycle and the range around it from the
// two sliders of the top bar, remembered per log and pushed to the windows of
// the current log through the time source.
#include "ui/main.h"

#include "ui/FormControls.h"
#include "ui/OpenLogs.h"
#include "ui/TimeSource.h"
#include "core/model/RoboCupFile.h"

#include <QLineEdit>
#include <QSlider>

void TMainForm::TrackBar1Change(QObject* Sender)
{
    (void)Sender;
    const int p = TrackBar1->value();
    const int r = TrackBar2->value();
    const int last = TrackBar1->maximum();
    // A start of 0 or below shows as 0; the end is capped at the last cycle.
    const int from = p - r >= 1 ? p - r : 0;
    const int to = p + r + 1 < last ? p + r + 1 : last;
    TrackBar1->SetSelStart(from);
    TrackBar1->SetSelEnd(to);
    EditStartTime->setText(QString::number(from));
    EditEndTime->setText(QString::number(to));
    RoboCupFileT* log = Logs->Current();
    if (log && !FileSwitching)
        log->currentCycle = p;
    TimeSource().Push(log, p, from, to);
}

void TMainForm::ChangeTimeWindow(int window)
{
    // Changing the averaging window comes with time navigation.
    (void)window;
}
