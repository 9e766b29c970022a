// The main window's open logs: opening and loading them, the file list, the
// current log and the caption, removing logs, the commands on the windows of
// the selected log, "Use player roles", and the new windows on the current log.
#include "ui/main.h"

#include "ui/ChildUsageWin.h"
#include "core/io/Convertlog.h"
#include "ui/FileList.h"
#include "ui/FormControls.h"
#include "ui/MDIChild.h"
#include "ui/OpenLogs.h"
#include "ui/TimeSource.h"
#include "ui/common.h"
#include "core/model/RoboCupFile.h"
#include "core/load/LoadLog.h"
#include "core/analysis/Roles.h"
#include "ui/childChartWin.h"
#include "ui/childDataWin.h"
#include "ui/childFieldWin.h"
#include "platform/ReadFile.h"
#include "platform/qt/Dialogs.h"
#include "ui/waitFormWin.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QListView>
#include <QMdiArea>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSlider>
#include <qcustomplot.h>

#include <algorithm>
#include <new>

// ---- The list ------------------------------------------------------------------

QString FileListHeadline(const RoboCupFileT* log)
{
    if (!log)
        return " Deleted ! ";
    if (BeingRead(*log))
        return " ... Loading ... ";
    if (log->isKeepaway)
        return QString::fromStdString(log->leftTeam) + " : " + QString::fromStdString(log->rightTeam) +
               " (Keepaway)";
    return TeamsAndScore(*log);
}

void TFileListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto* log = static_cast<const RoboCupFileT*>(index.data(TOpenLogs::LogRole).value<void*>());
    const bool selected = option.state & QStyle::State_Selected;
    // The selection stays as visible when the list has no focus.
    const QPalette& pal = option.palette;
    painter->save();
    painter->fillRect(option.rect, pal.brush(QPalette::Active, selected ? QPalette::Highlight : QPalette::Base));
    painter->setPen(pal.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text));
    QFont font = option.font;
    font.setBold(true);
    painter->setFont(font);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    painter->drawText(option.rect, flags, FileListHeadline(log));
    font.setBold(false);
    painter->setFont(font);
    painter->drawText(option.rect.adjusted(0, kSecondLine, 0, 0), flags, index.data(Qt::DisplayRole).toString());
    painter->restore();
}

QSize TFileListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight);
}

namespace {

QString DisplayName(const QString& fileName) { return QDir::toNativeSeparators(fileName); }

QString NotEnoughMemory(const QString& fileName)
{
    const auto size = static_cast<std::uint64_t>(QFileInfo(fileName).size());
    return QString::fromStdString(platform::NotEnoughMemoryText(DisplayName(fileName).toStdString(), size));
}

// Why a file gave no cycle, in the words the user gets to read.
QString NoCyclesText(const QString& fileName, const RcgReadResult& read)
{
    // A file refused before reading (a pipe, a folder, too big, not there)
    // says why in the system's words.
    if (!read.refusal.empty())
        return QString::fromStdString(read.refusal);
    // A compressed log is no broken one: say what to do with it.
    if (read.gzipped)
        return DisplayName(fileName) +
               " is compressed (gzip): unpack it first, for example with \"gunzip\", and open the unpacked log";
    QString why;
    if (read.size == 0) {
        why = "the file is empty";
    } else if (read.version == 0) {
        why = "the file is too short for a match log";
    } else if (read.version == 1) {
        why = "no log header";
    } else if (read.version >= '0' && read.version <= '9') {
        // Text logs carry their version as a digit character: "ULG3" is no
        // log of the binary version 3 that this program reads.
        why = "a text log of version " + QString::number(read.version - '0') + "; only binary logs can be read";
    } else {
        why = "log version " + QString::number(read.version);
        if (read.version == 3) {
            if (!read.error.empty())
                why += "; bad record: " + QString::fromStdString(read.error);
            else if (read.truncated)
                why += "; the file ends inside a record";
            else
                why += "; no show records";
        }
    }
    return DisplayName(fileName) + " holds no cycles that this program can read (" + why + ")";
}

}  // namespace

void TMainForm::ConnectFileHandlers()
{
    ConnectClicks({{BtnRemoveFile, &TMainForm::BtnRemoveFileClick},
                   {BtnRestoreWindows, &TMainForm::BtnRestoreWindowsClick},
                   {BtnRemoveWindows, &TMainForm::BtnRemoveWindowsClick},
                   {BtnMinimizeWindows, &TMainForm::BtnMinimizeWindowsClick},
                   {BtnAdd1d, &TMainForm::BtnAdd1dClick},
                   {BtnAdd2d, &TMainForm::BtnAdd2dClick},
                   {BtnAddData, &TMainForm::BtnAddDataClick},
                   {BtnAddUsage, &TMainForm::BtnAddUsageClick}});
    // Only the user's click recomputes the roles, not a change by the program.
    connect(cbUseRoles, &QCheckBox::clicked, this, [this] { cbUseRolesClick(); });
    lbFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    // The list shows the current log selected, whoever made it current.
    connect(Logs, &TOpenLogs::CurrentChanged, this,
            [this](RoboCupFileT* log) { SelectFileItem(Logs->IndexOf(log)); });
    connect(lbFiles->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (selectingFileItem_)
            return;
        // A Ctrl+click on the selected row or a click beside the rows takes
        // the selection away while a log stays current: its row stays selected.
        if (SelectedFileIndex() < 0)
            SelectFileItem(Logs->IndexOf(Logs->Current()));
        else
            lbFilesClick();
    });
    // A click on the row already selected makes its log current again, the
    // sliders included.
    connect(lbFiles, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (Logs->At(index.row()) == Logs->Current())
            lbFilesClick();
    });
    // A name wider than the list is cut at its edge, not scrolled to.
    lbFiles->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Two lines of 13 pixels in each 26-pixel row.
    QFont font = lbFiles->font();
    font.setPixelSize(11);
    lbFiles->setFont(font);
    // Activating a child window makes its log current.
    g_onChildActivated = [this](const std::string& fileName) {
        if (!arrangingFileWindows_)
            SelectCurrentFile(QString::fromStdString(fileName), false);
    };
}

// ---- Opening and loading ---------------------------------------------------------

void TMainForm::btnOpenFileClick()
{
    const platform::FileDialogResult r =
        platform::OpenFileDialog(this, "Open", "RoboCup log files (*.rcg)", true, ".", "rcg");
    if (!r.accepted || r.files.isEmpty())
        return;
    OpenLogFiles(r.files);
}

void TMainForm::OpenLogFiles(const QStringList& files)
{
    for (const QString& fileName : files) {
        // A file that cannot be read as a log (a pipe, a folder, too big, gone)
        // is refused before its name replaces an open log and closes its windows.
        platform::ReadError refused;
        if (!platform::CheckUserFile(fileName.toStdString(), platform::kLogFileLimit, &refused)) {
            platform::MessageBox(this, QString::fromStdString(refused.Message()), "Error", platform::Buttons::Ok);
            continue;
        }
        const QString before = Logs->Current() ? QString::fromStdString(Logs->Current()->fileName) : QString();
        LoadNotice notice;
        {
            // While the wait window is up, user input waits: nobody can remove
            // the log that is being read.
            WaitFormGuard wait("Adding file entry for " + fileName);
            RoboCupFileT* log = nullptr;
            try {
                log = CreateFileEntry(fileName);
                notice = LoadLogFile(fileName);
            } catch (const std::bad_alloc&) {
                // Past the reading too (the derived pass, the features): the
                // file is not to blame, and the open logs stay as they were.
                notice = {LoadNotice::Unusable, NotEnoughMemory(fileName)};
            } catch (...) {
                // Whatever broke the load, no half-read entry stays behind and
                // the log it replaced comes back.
                UndoFileEntry(log, before);
                throw;
            }
            if (notice.kind == LoadNotice::Unusable)
                UndoFileEntry(log, before);
            replacedLog_.reset();
            replacedIndex_ = -1;
        }
        if (notice.kind != LoadNotice::None)
            platform::MessageBox(this, notice.text, notice.kind == LoadNotice::Unusable ? "Error" : "Warning",
                                 platform::Buttons::Ok);
    }
}

void TMainForm::UndoFileEntry(RoboCupFileT* log, const QString& before)
{
    if (log && Logs->IndexOf(log) >= 0)
        RemoveFileEntry(log);
    // The log this file gave before comes back where it stood (its windows were
    // closed); nothing loaded is lost to a bad file.
    if (replacedLog_)
        Logs->Insert(replacedIndex_, std::move(replacedLog_));
    replacedIndex_ = -1;
    // The log current before stays current.
    if (before.isEmpty() || !SelectCurrentFile(before, true))
        SelectFirstFile();
}

RoboCupFileT* TMainForm::CreateFileEntry(const QString& fileName)
{
    // A log opened again replaces the open one, its windows included. The old
    // record is kept aside until the caller knows whether the new read is usable.
    replacedLog_.reset();
    replacedIndex_ = -1;
    // The same file is the same whatever name it was opened by: a link
    // or a hard link to an open log replaces it too.
    const std::string name = fileName.toStdString();
    RoboCupFileT* old = Logs->Find(name);
    for (int i = 0; !old && i < Logs->Count(); ++i)
        if (platform::SameFile(Logs->At(i)->fileName, name))
            old = Logs->At(i);
    if (old) {
        replacedIndex_ = Logs->IndexOf(old);
        replacedLog_ = TakeFileEntry(old);
    }
    return AddCurrentLog(CreateFileRecord(name));
}

RoboCupFileT* TMainForm::AddCurrentLog(std::unique_ptr<RoboCupFileT> record)
{
    RoboCupFileT* log = Logs->Add(std::move(record));
    const QString fileName = QString::fromStdString(log->fileName);
    Logs->SetCurrent(log);
    // A switch of logs: the slider reset must not overwrite the new log's
    // remembered range and cycle.
    FileSwitching = true;
    TrackBar1->setValue(0);
    TrackBar2->setValue(0);
    FileSwitching = false;
    SelectCurrentFile(fileName, true);
    return log;
}

TMainForm::LoadNotice TMainForm::LoadLogFile(const QString& fileName)
{
    // On the road of "Open File" the wait window is up already and keeps its
    // text; called alone, the window shown here goes again at the end.
    struct OwnWait {
        bool shown;
        ~OwnWait()
        {
            if (shown)
                HideWaitForm();
        }
    } wait{ShowWaitForm("Reading file " + fileName)};

    RoboCupFileT* log = Logs->Current();
    if (!log)
        return {};
    RcgReadResult read;
    ReadRcgFile(fileName.toStdString(), *log, &read);
    if (read.outOfMemory)
        return {LoadNotice::Unusable, NotEnoughMemory(fileName)};
    // Made current again, now with its cycles known; the row shows the teams.
    lbFilesClick();
    Logs->Changed(log);
    lbFiles->viewport()->repaint();
    if (log->cycles == 0)
        return {LoadNotice::Unusable, NoCyclesText(fileName, read)};

    // "Computing features ...", the roles as "Use player roles" says, the features.
    ComputeRolesAndFeatures(*log, cbUseRoles->isChecked());

    const QString kept = "the " + QString::number(log->cycles) + " cycles read before it were kept";
    if (!read.error.empty())
        return {LoadNotice::Partial, DisplayName(fileName) + " has a bad record (" +
                                         QString::fromStdString(read.error) + "): " + kept};
    if (read.truncated)
        return {LoadNotice::Partial, DisplayName(fileName) + " ends inside a record: " + kept};
    return {};
}

// ---- The current log ---------------------------------------------------------------

RoboCupFileT* TMainForm::SelectCurrentFile(const QString& fileName, bool force)
{
    const std::string name = fileName.toStdString();
    RoboCupFileT* current = Logs->Current();
    if (current && !force && current->fileName == name)
        return current;
    RoboCupFileT* log = Logs->Find(name);
    if (!log)
        return nullptr;
    FileSwitching = true;
    Logs->SetCurrent(log);
    UpdateCaption("");
    const int last = std::max(0, log->cycles - 1);
    TrackBar2->setRange(0, last);
    TrackBar2->setValue(log->timeRange);
    TrackBar1->setRange(0, last);
    TrackBar1->setValue(log->currentCycle);
    FileSwitching = false;
    TrackBar1Change(this);
    SelectFileItem(Logs->IndexOf(log));
    FillDataTree();
    return log;
}

void TMainForm::lbFilesClick()
{
    RoboCupFileT* log = Logs->At(SelectedFileIndex());
    if (!log)
        return;
    SelectCurrentFile(QString::fromStdString(log->fileName), true);
}

void TMainForm::UpdateCaption(const QString& text)
{
    QString t = text;
    const RoboCupFileT* log = Logs->Current();
    // Of a log being read only the name is worth showing.
    const bool reading = log && BeingRead(*log);
    if (t.isEmpty() && log)
        t = reading ? "Reading " + DisplayName(QString::fromStdString(log->fileName)) : TeamsAndScore(*log);
    setWindowTitle(t.isEmpty() ? QString("RoboCup VeloTrask") : "RoboCup VeloTrask [" + t + "]");
}

RoboCupFileT* TMainForm::CurrentLogOrSay()
{
    RoboCupFileT* log = Logs->Current();
    if (!log)
        platform::MessageBox(this, "No file selected !", "Error", platform::Buttons::Ok);
    return log;
}

int TMainForm::SelectedFileIndex() const
{
    const QModelIndexList selected = lbFiles->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return -1;
    const int row = selected.front().row();
    return Logs->At(row) ? row : -1;
}

void TMainForm::SelectFileItem(int index)
{
    const bool outer = selectingFileItem_;
    selectingFileItem_ = true;
    QItemSelectionModel* selection = lbFiles->selectionModel();
    if (index < 0 || index >= Logs->Count()) {
        selection->clear();
    } else {
        const QModelIndex row = Logs->index(index);
        selection->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
    }
    selectingFileItem_ = outer;
}

// ---- Removing logs -------------------------------------------------------------------

void TMainForm::BtnRemoveFileClick()
{
    RoboCupFileT* log = CurrentLogOrSay();
    if (!log)
        return;
    RemoveFileEntry(log);
    SelectFirstFile();
}

void TMainForm::SelectFirstFile()
{
    if (!Logs->Empty()) {
        SelectCurrentFile(QString::fromStdString(Logs->At(0)->fileName), true);
    } else {
        // No log is left to name.
        UpdateCaption("");
    }
}

void TMainForm::RemoveFileEntry(RoboCupFileT* log) { TakeFileEntry(log).reset(); }

std::unique_ptr<RoboCupFileT> TMainForm::TakeFileEntry(RoboCupFileT* log)
{
    if (!log)
        return nullptr;
    DeleteFileEntry(log);
    // Closing the windows ran their handlers; the log leaves the list and stops
    // being current before it is freed, so that nothing on the way can reach it.
    std::unique_ptr<RoboCupFileT> owned = Logs->Take(log);
    TimeSource().Forget(log);
    return owned;
}

// ---- Windows of the current log -------------------------------------------------------

void TMainForm::BtnRemoveWindowsClick()
{
    RoboCupFileT* log = CurrentLogOrSay();
    if (!log)
        return;
    // The windows that come forward meanwhile do not take the selection away.
    const QScopedValueRollback<bool> arranging(arrangingFileWindows_, true);
    CloseFileWindows(log);
}

void TMainForm::BtnMinimizeWindowsClick()
{
    const RoboCupFileT* log = CurrentLogOrSay();
    if (!log)
        return;
    const QScopedValueRollback<bool> arranging(arrangingFileWindows_, true);
    MinimizeChildren([log](const QMdiSubWindow* w) {
        const auto* child = qobject_cast<const TMDIChild*>(w);
        return child && child->File == log;
    });
}

void TMainForm::BtnRestoreWindowsClick()
{
    const RoboCupFileT* log = CurrentLogOrSay();
    if (!log)
        return;
    const QScopedValueRollback<bool> arranging(arrangingFileWindows_, true);
    QPointer<QMdiSubWindow> lastShown;
    for (const QPointer<QMdiSubWindow>& w : GuardedChildren()) {
        if (!w)
            continue;
        auto* child = qobject_cast<TMDIChild*>(w.data());
        if (child && child->File == log) {
            w->showNormal();
            lastShown = w;
        } else {
            w->showMinimized();
        }
    }
    // The log's windows are the ones in front.
    if (lastShown)
        MdiArea->setActiveSubWindow(lastShown);
}

void TMainForm::cbUseRolesClick() { CalculateRoles(Logs->Current(), !cbUseRoles->isChecked()); }

// ---- New windows on the current log ------------------------------------------------------

bool TMainForm::NoCurrentLog()
{
    if (Logs->Current())
        return false;
    platform::MessageBox(this, "No log file loaded", "Warning", platform::Buttons::Ok);
    return true;
}

QString TMainForm::NewWindowTitle(const QString& kind) const
{
    // Every child window counts, the new one included, whatever log it shows.
    return kind + QString::number(MdiArea->subWindowList().size());
}

void TMainForm::BtnAdd1dClick()
{
    if (NoCurrentLog())
        return;
    auto* child = new TMDIChartChild(MdiArea, Logs->Current());
    child->SetTitle(NewWindowTitle("Chart "));
    child->resize(500, child->height());
    child->CurrentCycle = 0;
    auto* chart = new QCustomPlot;
    chart->setObjectName("Chart");
    chart->legend->setVisible(true);
    chart->setSelectionRectMode(QCP::srmZoom);
    chart->xAxis->setRange(TrackBar1->SelStart(), TrackBar1->SelEnd());
    connect(chart, &QCustomPlot::afterReplot, child, &TMDIChartChild::ChartAfterDraw);
    child->AttachChart(chart);
    child->show();
}

void TMainForm::BtnAdd2dClick()
{
    if (NoCurrentLog())
        return;
    auto* child = new TMDIFieldChild(MdiArea, Logs->Current());
    child->SetTitle(NewWindowTitle("Field "));
    TMDIChild::SelectAllPlayers(child->lbPlayers);
    child->SetTimeRange(TrackBar1->value(), TrackBar1->SelStart(), TrackBar1->SelEnd());
    child->show();
}

void TMainForm::BtnAddDataClick()
{
    if (NoCurrentLog())
        return;
    auto* child = new TMDIDataChild(MdiArea, Logs->Current());
    child->SetTitle(NewWindowTitle("Data "));
    child->SetTimeRange(TrackBar1->value(), TrackBar1->SelStart(), TrackBar1->SelEnd());
    child->show();
}

void TMainForm::BtnAddUsageClick()
{
    if (NoCurrentLog())
        return;
    auto* child = new TMDIUsageChild(MdiArea, Logs->Current());
    child->SetTitle(NewWindowTitle("Concepts "));
    TMDIChild::SelectAllPlayers(child->lbPlayers);
    child->SetTimeRange(TrackBar1->value(), TrackBar1->SelStart(), TrackBar1->SelEnd());
    child->show();
}
