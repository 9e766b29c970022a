#include "ui/OpenLogs.h"

#include "core/model/RoboCupFile.h"

#include <QFileInfo>

#include <algorithm>

TOpenLogs::TOpenLogs(QObject* parent) : QAbstractListModel(parent) {}

TOpenLogs::~TOpenLogs() = default;

RoboCupFileT* TOpenLogs::At(int i) const
{
    if (i < 0 || i >= Count())
        return nullptr;
    return logs_[static_cast<std::size_t>(i)].get();
}

int TOpenLogs::IndexOf(const RoboCupFileT* log) const
{
    if (!log)
        return -1;
    for (int i = 0; i < Count(); ++i)
        if (logs_[static_cast<std::size_t>(i)].get() == log)
            return i;
    return -1;
}

RoboCupFileT* TOpenLogs::Find(const std::string& fileName) const
{
    for (const std::unique_ptr<RoboCupFileT>& log : logs_)
        if (log->fileName == fileName)
            return log.get();
    return nullptr;
}

RoboCupFileT* TOpenLogs::Add(std::unique_ptr<RoboCupFileT> log) { return Insert(Count(), std::move(log)); }

RoboCupFileT* TOpenLogs::Insert(int at, std::unique_ptr<RoboCupFileT> log)
{
    if (!log)
        return nullptr;
    at = std::clamp(at, 0, Count());
    RoboCupFileT* raw = log.get();
    beginInsertRows(QModelIndex(), at, at);
    logs_.insert(logs_.begin() + at, std::move(log));
    endInsertRows();
    emit Added(raw);
    return raw;
}

std::unique_ptr<RoboCupFileT> TOpenLogs::Take(const RoboCupFileT* log)
{
    const int at = IndexOf(log);
    if (at < 0)
        return nullptr;
    // The log stops being current before it leaves, so that nobody told of the
    // change can reach it through the current log once it is gone.
    if (current_ == log)
        SetCurrent(nullptr);
    // A listener of CurrentChanged may have changed the list: find it again.
    const int row = IndexOf(log);
    if (row < 0)
        return nullptr;
    beginRemoveRows(QModelIndex(), row, row);
    std::unique_ptr<RoboCupFileT> owned = std::move(logs_[static_cast<std::size_t>(row)]);
    logs_.erase(logs_.begin() + row);
    endRemoveRows();
    emit Removed(owned.get());
    return owned;
}

void TOpenLogs::SetCurrent(RoboCupFileT* log)
{
    if (log && IndexOf(log) < 0)
        return;
    if (log == current_)
        return;
    current_ = log;
    emit CurrentChanged(log);
}

void TOpenLogs::Changed(const RoboCupFileT* log)
{
    const int row = IndexOf(log);
    if (row < 0)
        return;
    const QModelIndex i = index(row);
    emit dataChanged(i, i);
}

int TOpenLogs::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

QVariant TOpenLogs::data(const QModelIndex& index, int role) const
{
    const RoboCupFileT* log = index.isValid() ? At(index.row()) : nullptr;
    if (!log)
        return {};
    if (role == Qt::DisplayRole)
        return QFileInfo(QString::fromStdString(log->fileName)).fileName();
    if (role == LogRole)
        return QVariant::fromValue(static_cast<void*>(const_cast<RoboCupFileT*>(log)));
    return {};
}
