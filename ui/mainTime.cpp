// The main window's time: the current cycle and the range around it from the
// two sliders of the top bar, typed into the two edits or stepped by the
// playback controls (cycle by cycle or mark by mark), remembered per log and
// pushed to the windows of the current log through the time source.
#include "ui/main.h"

#include "ui/Application.h"
#include "ui/FormControls.h"
#include "ui/MDIChild.h"
#include "ui/OpenLogs.h"
#include "ui/TimeSource.h"
#include "core/model/Common.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdint>

void TMainForm::ConnectTimeHandlers()
{
    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(TrackBar1); });
    connect(TrackBar2, &QSlider::valueChanged, this, [this] { TrackBar2Change(TrackBar2); });
    connect(BtnSetTimeRange, &QPushButton::clicked, this, [this] { BtnSetTimeRangeClick(BtnSetTimeRange); });
    connect(EditStartTime, &QLineEdit::returnPressed, this, [this] { BtnSetTimeRangeClick(EditStartTime); });
    connect(EditEndTime, &QLineEdit::returnPressed, this, [this] { BtnSetTimeRangeClick(EditEndTime); });
    connect(sbFRew, &QToolButton::clicked, this, [this] { sbFRewClick(); });
    connect(sbRev, &QToolButton::clicked, this, [this] { sbRevClick(); });
    connect(sbPrev, &QToolButton::clicked, this, [this] { sbPrevClick(sbPrev); });
    connect(sbStop, &QToolButton::clicked, this, [this] { sbStopClick(); });
    connect(sbNext, &QToolButton::clicked, this, [this] { sbNextClick(sbNext); });
    connect(sbFwd, &QToolButton::clicked, this, [this] { sbFwdClick(); });
    connect(sbFFwd, &QToolButton::clicked, this, [this] { sbFFwdClick(); });
    connect(sbTimeSpeed, &QScrollBar::valueChanged, this, [this] { sbTimeSpeedChange(); });
    connect(Timer, &QTimer::timeout, this, [this] { TimerTimer(); });
}

// ---- The time change -----------------------------------------------------------

void TMainForm::TrackBar1Change(QObject* Sender)
{
    (void)Sender;
    const int p = TrackBar1->value();
    const int r = TrackBar2->value();
    RoboCupFileT* log = Logs->Current();
    // The end is exclusive: it may reach one past the last record (the slider's
    // maximum), so that a range at the last record holds it.
    const int records = log ? std::max(0, log->cycles) : 0;
    // In 64 bits: p + r + 1 must not wrap whatever the sliders hold.
    const std::int64_t start = std::int64_t(p) - r;
    const std::int64_t end = std::int64_t(p) + r + 1;
    const int from = start >= 1 ? static_cast<int>(start) : 0;
    const int to = end < records ? static_cast<int>(end) : records;
    TrackBar1->SetSelStart(from);
    TrackBar1->SetSelEnd(to);
    EditStartTime->setText(QString::number(from));
    EditEndTime->setText(QString::number(to));
    if (log && !FileSwitching)
        log->currentCycle = p;
    TimeSource().Push(log, p, from, to);
}

void TMainForm::TrackBar2Change(QObject* Sender)
{
    RoboCupFileT* log = Logs->Current();
    if (log && !FileSwitching)
        log->timeRange = TrackBar2->value();
    TrackBar1Change(Sender);
}

void TMainForm::BtnSetTimeRangeClick(QObject* Sender)
{
    std::int64_t s = 0, e = 0;
    try {
        s = StrToIntTrim(EditStartTime->text().toStdString());
        e = StrToIntTrim(EditEndTime->text().toStdString());
    } catch (const EConvertError& error) {
        // Reported as the application reports any conversion error; the range stays.
        ShowException(QString::fromUtf8(error.what()));
        return;
    }
    if (Sender == EditStartTime)
        e = s + 1;
    if (e < s)
        e = s + 1;
    // Shown until the sliders say otherwise: when neither position changes the
    // typed range stays as it is.
    TrackBar1->SetSelStart(static_cast<int>(std::clamp<std::int64_t>(s, INT32_MIN, INT32_MAX)));
    TrackBar1->SetSelEnd(static_cast<int>(std::clamp<std::int64_t>(e, INT32_MIN, INT32_MAX)));
    TrackBar1->setEnabled(false);
    TrackBar2->setEnabled(false);
    // Each position is clamped to its slider; each change runs the time change.
    auto toSlider = [](const QSlider* bar, std::int64_t v) {
        return static_cast<int>(std::clamp<std::int64_t>(v, bar->minimum(), bar->maximum()));
    };
    TrackBar2->setValue(toSlider(TrackBar2, (e - s) / 2));
    TrackBar1->setValue(toSlider(TrackBar1, (s + e) / 2));
    TrackBar1->setEnabled(true);
    TrackBar2->setEnabled(true);
}

// ---- Playback --------------------------------------------------------------------

void TMainForm::sbFwdClick()
{
    PlayStep = 1;
    Timer->start();
}

void TMainForm::sbFFwdClick()
{
    PlayStep = 10;
    Timer->start();
}

void TMainForm::sbRevClick()
{
    PlayStep = -1;
    Timer->start();
}

void TMainForm::sbFRewClick()
{
    PlayStep = -10;
    Timer->start();
}

void TMainForm::sbStopClick()
{
    Timer->stop();
    // Also when playback stops by itself: the buttons show that it stands.
    sbStop->setChecked(true);
}

void TMainForm::sbTimeSpeedChange() { Timer->setInterval(sbTimeSpeed->value()); }

void TMainForm::TimerTimer()
{
    if (!cbUseTimeMarks->isChecked()) {
        // At either end the slider stays where it is; the timer keeps running.
        TrackBar1->setValue(TrackBar1->value() + PlayStep);
        return;
    }
    for (int i = 0; i < PlayStep; ++i)
        sbNextClick(nullptr);
    for (int i = 0; i < -PlayStep; ++i)
        sbPrevClick(nullptr);
}

int TMainForm::MarkIndex() const
{
    const QListWidgetItem* item = lbMarks->currentItem();
    return item && item->isSelected() ? lbMarks->row(item) : -1;
}

void TMainForm::JumpToMark(int index)
{
    if (index < 0 || index >= lbMarks->count())
        return;
    lbMarks->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    int cycle = 0;
    try {
        cycle = StrToIntTrim(lbMarks->item(index)->text().toStdString());
    } catch (const EConvertError& error) {
        // Playback would meet the same item again at every tick.
        sbStopClick();
        ShowException(QString::fromUtf8(error.what()));
        return;
    }
    TrackBar1->setValue(cycle);
}

void TMainForm::sbNextClick(QObject* Sender)
{
    if (Sender)
        Timer->stop();
    if (!cbUseTimeMarks->isChecked()) {
        TrackBar1->setValue(TrackBar1->value() + 1);
        return;
    }
    const int n = lbMarks->count();
    int i = MarkIndex();
    if (i >= 0 && i != n - 1)
        ++i;
    else if (cbStopAtLastMark->isChecked())
        sbStopClick();
    else
        i = 0;
    JumpToMark(i);
}

void TMainForm::sbPrevClick(QObject* Sender)
{
    if (Sender)
        Timer->stop();
    if (!cbUseTimeMarks->isChecked()) {
        TrackBar1->setValue(TrackBar1->value() - 1);
        return;
    }
    const int n = lbMarks->count();
    int i = MarkIndex();
    if (i > 0)
        --i;
    else if (cbStopAtLastMark->isChecked())
        sbStopClick();
    else
        i = n - 1;
    JumpToMark(i);
}

// ---- The averaging time window ------------------------------------------------------

void TMainForm::ChangeTimeWindow(int window)
{
    if (NoCurrentLog())
        return;
    RoboCupFileT* log = Logs->Current();
    if (!log->stream)
        return;
    if (platform::MessageBox(this,
                             "Changing time window will update the current log's values in all windows, charts "
                             "included. Do you want to change it?",
                             "Warning", platform::Buttons::OkCancel) != platform::Answer::Ok)
        return;
    log->stream->SetTimeWindow(window);
    for (const QPointer<QMdiSubWindow>& w : GuardedChildren()) {
        if (auto* child = qobject_cast<TMDIChild*>(w.data()))
            child->TimeWindowChanged();
    }
}
