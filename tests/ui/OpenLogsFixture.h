// The main window with scripted dialogs for the tests of opening logs: the
// real logs of tests/data, "Open File" with chosen files, and what the file
// list and the open logs hold.
#pragma once

#include "MainFormFixture.h"

#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "support/TestData.h"
#include "ui/FileList.h"
#include "ui/OpenLogs.h"
#include "ui/main.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QListView>
#include <QMouseEvent>
#include <QString>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

inline const char* const kShort = "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg";
inline const char* const kFull = "match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg";
inline const char* const kKeepaway = "keepaway-3v2-Keepers-vs-Takers-helios-1500.rcg";

// The real short match under another name, so that several logs can be open.
inline QString CopyOfShortMatch(const std::string& dir, const std::string& name)
{
    const std::string path = dir + "/" + name;
    std::filesystem::copy_file(GunzippedTestFile(kShort), path, std::filesystem::copy_options::overwrite_existing);
    return QString::fromStdString(path);
}

inline QString Q(const std::string& s) { return QString::fromStdString(s); }

class OpenLogsTest : public MainFormFixture {
protected:
    // "Open File" with the files chosen in this order.
    void Open(const QStringList& files)
    {
        platform::FileDialogResult r;
        r.accepted = true;
        r.files = files;
        script.files.push_back(r);
        form->btnOpenFileClick();
    }

    TOpenLogs& logs() const { return *form->Logs; }
    std::size_t NumLogs() const { return static_cast<std::size_t>(logs().Count()); }
    std::vector<RoboCupFileT*> AllLogs() const
    {
        std::vector<RoboCupFileT*> all;
        for (int i = 0; i < logs().Count(); ++i)
            all.push_back(logs().At(i));
        return all;
    }
    int ListCount() const { return form->lbFiles->model()->rowCount(); }
    // The second line of row i: the file name without the folder.
    QString RowText(int i) const { return form->lbFiles->model()->index(i, 0).data().toString(); }
    // What lbFiles shows: the first and second line of every item.
    std::vector<std::pair<QString, QString>> ListShows() const
    {
        std::vector<std::pair<QString, QString>> items;
        for (int i = 0; i < ListCount(); ++i) {
            const auto* log = static_cast<const RoboCupFileT*>(
                form->lbFiles->model()->index(i, 0).data(TOpenLogs::LogRole).value<void*>());
            items.emplace_back(FileListHeadline(log), RowText(i));
        }
        return items;
    }
    int SelectedRow() const
    {
        const QModelIndexList sel = form->lbFiles->selectionModel()->selectedRows();
        return sel.size() == 1 ? sel.front().row() : -1;
    }
    // The user selects row i, as a click on it does.
    void SelectRow(int i)
    {
        form->lbFiles->selectionModel()->setCurrentIndex(form->lbFiles->model()->index(i, 0),
                                                        QItemSelectionModel::ClearAndSelect);
    }
    QPoint RowCentre(int i) const
    {
        return form->lbFiles->visualRect(form->lbFiles->model()->index(i, 0)).center();
    }
    // A click of the left button at that point of the list, with the keys held.
    void ClickList(QPoint at, Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        QWidget* viewport = form->lbFiles->viewport();
        const QPointF global = viewport->mapToGlobal(QPointF(at));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(viewport, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton, Qt::NoButton, keys);
        QCoreApplication::sendEvent(viewport, &release);
    }
    std::vector<std::string> OpenNames() const
    {
        std::vector<std::string> names;
        for (RoboCupFileT* f : AllLogs())
            names.push_back(f ? f->fileName : "<null>");
        return names;
    }
    // A log entry as the list holds it, without reading a file.
    RoboCupFileT* Entry(const std::string& name, const std::string& left, const std::string& right, int ls, int rs)
    {
        RoboCupFileT* log = form->CreateFileEntry(Q(name));
        log->leftTeam = left;
        log->rightTeam = right;
        log->leftScore = ls;
        log->rightScore = rs;
        return log;
    }
    void ExpectOneMessage(const QString& text, const QString& caption)
    {
        ASSERT_EQ(script.messages.size(), 1u) << (script.messages.empty() ? "" : script.messages[0].text.toStdString());
        EXPECT_EQ(script.messages[0].text, text);
        EXPECT_EQ(script.messages[0].caption, caption);
        EXPECT_EQ(script.messages[0].buttons, platform::Buttons::Ok);
        script.messages.clear();
    }

    platform::DialogScript script;
};
