// The open logs as a model, without a window: order, ownership, the current
// log and what is announced, and the rows a list shows.
#include "ui/OpenLogs.h"

#include "core/model/RoboCupFile.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Everything the model announces, in order, as "<what> <file name>".
struct Announcements {
    explicit Announcements(TOpenLogs& logs)
    {
        auto name = [](RoboCupFileT* log) { return log ? log->fileName : std::string("none"); };
        QObject::connect(&logs, &TOpenLogs::Added, [this, name](RoboCupFileT* l) { said.push_back("added " + name(l)); });
        QObject::connect(&logs, &TOpenLogs::Removed,
                         [this, name](RoboCupFileT* l) { said.push_back("removed " + name(l)); });
        QObject::connect(&logs, &TOpenLogs::CurrentChanged,
                         [this, name](RoboCupFileT* l) { said.push_back("current " + name(l)); });
        QObject::connect(&logs, &QAbstractItemModel::rowsInserted,
                         [this](const QModelIndex&, int first, int) { said.push_back("row+ " + std::to_string(first)); });
        QObject::connect(&logs, &QAbstractItemModel::rowsRemoved,
                         [this](const QModelIndex&, int first, int) { said.push_back("row- " + std::to_string(first)); });
    }
    std::vector<std::string> said;
};

std::unique_ptr<RoboCupFileT> NewLog(const std::string& name) { return std::make_unique<RoboCupFileT>(name); }

}  // namespace

TEST(OpenLogsModel, AddsTakesAndMakesCurrentAnnouncingEachChange)
{
    TOpenLogs logs;
    Announcements heard(logs);
    RoboCupFileT* a = logs.Add(NewLog("/logs/a.rcg"));
    RoboCupFileT* b = logs.Add(NewLog("/logs/b.rcg"));
    EXPECT_EQ(logs.Current(), nullptr);  // adding makes nothing current
    logs.SetCurrent(b);
    logs.SetCurrent(b);  // no change, nothing said
    EXPECT_EQ(heard.said, (std::vector<std::string>{"row+ 0", "added /logs/a.rcg", "row+ 1", "added /logs/b.rcg",
                                                    "current /logs/b.rcg"}));
    heard.said.clear();

    // Taking the current log: it stops being current before it leaves, and the
    // caller gets it alive.
    std::unique_ptr<RoboCupFileT> taken = logs.Take(b);
    EXPECT_EQ(taken.get(), b);
    EXPECT_EQ(logs.Current(), nullptr);
    EXPECT_EQ(heard.said, (std::vector<std::string>{"current none", "row- 1", "removed /logs/b.rcg"}));
    heard.said.clear();

    // Put back where it stood; a log that is not open is neither taken nor made current.
    EXPECT_EQ(logs.Insert(0, std::move(taken)), b);
    EXPECT_EQ(logs.At(0), b);
    EXPECT_EQ(logs.At(1), a);
    RoboCupFileT stranger("/logs/x.rcg");
    EXPECT_EQ(logs.Take(&stranger), nullptr);
    logs.SetCurrent(&stranger);
    EXPECT_EQ(logs.Current(), nullptr);
    EXPECT_EQ(heard.said, (std::vector<std::string>{"row+ 0", "added /logs/b.rcg"}));
    // Taking a log that is not current leaves the current one.
    logs.SetCurrent(b);
    logs.Take(a).reset();
    EXPECT_EQ(logs.Current(), b);
    EXPECT_EQ(logs.Count(), 1);
}

TEST(OpenLogsModel, RowsShowTheFileNameAndCarryTheLog)
{
    TOpenLogs logs;
    RoboCupFileT* a = logs.Add(NewLog("/some/folder/a.rcg"));
    RoboCupFileT* twin = logs.Add(NewLog("/other/a.rcg"));
    logs.Add(NewLog("/some/folder/a.rcg"));
    ASSERT_EQ(logs.rowCount(), 3);
    EXPECT_EQ(logs.index(1).data().toString(), "a.rcg");
    EXPECT_EQ(logs.index(1).data(TOpenLogs::LogRole).value<void*>(), twin);
    EXPECT_FALSE(logs.index(3).data().isValid());
    // The first of the same name, names compared exactly.
    EXPECT_EQ(logs.Find("/some/folder/a.rcg"), a);
    EXPECT_EQ(logs.Find("a.rcg"), nullptr);
    EXPECT_EQ(logs.IndexOf(twin), 1);
    EXPECT_EQ(logs.IndexOf(nullptr), -1);
    EXPECT_EQ(logs.At(-1), nullptr);
    EXPECT_EQ(logs.At(3), nullptr);
}
