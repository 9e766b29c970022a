// The open logs: the records in the order they were opened, owned here, and the
// current one. Whoever needs to know when a log comes, goes or becomes current
// listens to Added, Removed and CurrentChanged. As a list model it backs the
// main window's file list: row i is log i, its text the file name without the
// folder, LogRole the record.
#pragma once

#include <QAbstractListModel>

#include <memory>
#include <string>
#include <vector>

class RoboCupFileT;

class TOpenLogs : public QAbstractListModel {
    Q_OBJECT
public:
    // The record of a row (RoboCupFileT*, never null for a row of the list).
    static constexpr int LogRole = Qt::UserRole + 1;

    explicit TOpenLogs(QObject* parent = nullptr);
    ~TOpenLogs() override;

    int Count() const { return static_cast<int>(logs_.size()); }
    bool Empty() const { return logs_.empty(); }
    RoboCupFileT* At(int i) const;          // null outside 0..Count()-1
    int IndexOf(const RoboCupFileT* log) const;  // -1 when not open
    // The first open log of exactly that file name, or null.
    RoboCupFileT* Find(const std::string& fileName) const;
    RoboCupFileT* Current() const { return current_; }

    // Appends the log (Added) and returns it; it does not become current.
    RoboCupFileT* Add(std::unique_ptr<RoboCupFileT> log);
    // Puts the log back at position at (clamped to the list), as Add otherwise.
    RoboCupFileT* Insert(int at, std::unique_ptr<RoboCupFileT> log);
    // Takes the log out of the list and hands it to the caller; when it was the
    // current log no log is current afterwards (CurrentChanged before Removed).
    // Null when the log is not open.
    std::unique_ptr<RoboCupFileT> Take(const RoboCupFileT* log);
    // Makes an open log (or null: none) current; CurrentChanged when it changed.
    // A log that is not open changes nothing.
    void SetCurrent(RoboCupFileT* log);
    // The log's row shows new teams or scores.
    void Changed(const RoboCupFileT* log);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

signals:
    void Added(RoboCupFileT* log);
    // The log has left the list; it is still alive while this runs.
    void Removed(RoboCupFileT* log);
    void CurrentChanged(RoboCupFileT* log);

private:
    std::vector<std::unique_ptr<RoboCupFileT>> logs_;
    RoboCupFileT* current_ = nullptr;
};
