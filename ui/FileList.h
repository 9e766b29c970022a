// The owner-drawn list of open logs on the main window's "File" page: row i
// stands for open log i and shows, in two lines of a 26-pixel row, the log's
// teams and score in bold over its file name without the folder.
#pragma once

#include <QString>
#include <QStyledItemDelegate>

class RoboCupFileT;

// The first line of a log's item: " Deleted ! " for no log, " ... Loading ... "
// until a team record has given the scores, "<left> : <right> (Keepaway)" for a
// keepaway log, else TeamsAndScore.
QString FileListHeadline(const RoboCupFileT* log);

class TFileListDelegate : public QStyledItemDelegate {
public:
    static constexpr int kRowHeight = 26;
    static constexpr int kSecondLine = 13;  // pixels from the row's top to the file name

    explicit TFileListDelegate(QObject* parent) : QStyledItemDelegate(parent) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
