#include "ui/MainServices.h"

#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"
#include "ui/FormControls.h"
#include "ui/OpenLogs.h"
#include "ui/main.h"

#include <QCheckBox>
#include <QListWidget>
#include <QMdiArea>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidget>

#include <algorithm>
#include <memory>

bool TMainFormServices::UseTimeMarks() const { return form_.cbUseTimeMarks->isChecked(); }

std::vector<int> TMainFormServices::TimeMarkCycles() const { return form_.Marks.Cycles(); }

bool TMainFormServices::IsTimeMark(int cycle) const { return form_.Marks.Contains(cycle); }

void TMainFormServices::AddTimeMarks(const std::vector<int>& cycles) { form_.Marks.AddAll(cycles); }

int TMainFormServices::CurrentCycle() const { return form_.TrackBar1->value(); }

void TMainFormServices::SetCurrentCycle(int cycle)
{
    {
        // One push, whether or not the slider reports its move itself.
        const QSignalBlocker quiet(form_.TrackBar1);
        form_.TrackBar1->setValue(cycle);
    }
    form_.TrackBar1Change(form_.TrackBar1);
}

bool TMainFormServices::ChosenChannels(std::vector<TimeChannel*>& leaves) const
{
    const std::vector<std::string> good = form_.GoodWords();
    const std::vector<std::string> bad = form_.BadWords();
    if (form_.pcDataView->currentWidget() == form_.tsTree) {
        const QList<QTreeWidgetItem*> selected = form_.TreeView->selectedItems();
        TimeChannel* channel = selected.isEmpty() ? nullptr : TMainForm::ChannelOf(selected.front());
        if (!channel)
            return false;
        channel->CollectFiltered(leaves, good, bad);
        return true;
    }
    if (form_.ListView->currentRow() < 0)
        return false;
    for (int i = 0; i < form_.ListView->count(); ++i) {
        const QListWidgetItem* item = form_.ListView->item(i);
        if (item->isSelected())
            if (TimeChannel* channel = TMainForm::ChannelOf(item))
                channel->CollectFiltered(leaves, good, bad);
    }
    return true;
}

int TMainFormServices::ChildWindowCount() const { return static_cast<int>(form_.MdiArea->subWindowList().size()); }

TMDIActionChild* TMainFormServices::NewActionGraphWindow(RoboCupFileT* log) { return form_.NewActionGraphWindow(log); }

void TMainFormServices::TileWindows() { form_.btnTileHClick(); }

std::vector<RoboCupFileT*> TMainFormServices::OpenLogs() const
{
    std::vector<RoboCupFileT*> logs;
    for (int i = 0; i < form_.Logs->Count(); ++i)
        logs.push_back(form_.Logs->At(i));
    return logs;
}

RoboCupFileT* TMainFormServices::CurrentLog() const { return form_.Logs->Current(); }

RoboCupFileT* TMainFormServices::SelectCurrentFile(const std::string& fileName)
{
    return form_.SelectCurrentFile(QString::fromStdString(fileName), false);
}

void TMainFormServices::RemoveLog(RoboCupFileT* log)
{
    if (form_.Logs->IndexOf(log) < 0)
        return;
    // The remove command removes the current log: make this one current.
    form_.Logs->SetCurrent(log);
    form_.BtnRemoveFileClick();
}

RoboCupFileT* TMainFormServices::MergeFiles(const std::string& name, const std::string& team,
                                            const std::vector<RoboCupFileT*>& logs)
{
    return form_.MergeFiles(QString::fromStdString(name), QString::fromStdString(team), logs);
}

namespace {
IMainWindowServices* g_installed = nullptr;
}

IMainWindowServices* MainServices()
{
    if (g_installed)
        return g_installed;
    static TMainForm* adapted = nullptr;
    static std::unique_ptr<TMainFormServices> services;
    if (!MainForm)
        return nullptr;
    if (adapted != MainForm) {
        services = std::make_unique<TMainFormServices>(*MainForm);
        adapted = MainForm;
    }
    return services.get();
}

IMainWindowServices* SetMainServices(IMainWindowServices* services)
{
    IMainWindowServices* previous = g_installed;
    g_installed = services;
    return previous;
}
