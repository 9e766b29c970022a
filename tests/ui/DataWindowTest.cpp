// The data window through the real main window on a real match: adding series
// and its warnings, the time push, marks by double click, the column menu,
// marked rows and saving.
#include "MainFormFixture.h"
#include "UiTestMain.h"

#include "core/expr/UserChannels.h"
#include "core/model/Format.h"
#include "core/model/RoboCupFile.h"
#include "core/model/TimeMarks.h"
#include "core/model/timestream.h"
#include "platform/qt/Dialogs.h"
#include "support/SaveFailure.h"
#include "support/TestData.h"
#include "ui/FormControls.h"
#include "ui/OpenLogs.h"
#include "ui/StringGrid.h"
#include "ui/childDataWin.h"
#include "ui/main.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

namespace {

const char* const kShort = "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg";

class DataWindowTest : public MainFormFixture {
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        form->OpenLogFiles({QString::fromStdString(GunzippedTestFile(kShort))});
        log = form->Logs->Current();
        ASSERT_NE(log, nullptr);
    }
    TMDIDataChild* NewDataWindow()
    {
        form->BtnAddDataClick();
        auto* child = qobject_cast<TMDIDataChild*>(form->MdiArea->subWindowList().back());
        form->MdiArea->setActiveSubWindow(child);
        return child;
    }
    TimeChannel* Channel(const char* name) { return log->stream->FindChannel(name); }
    // The channel browser's tree node of the current log's channel, made current.
    void SelectInTree(const std::string& fullName)
    {
        form->pcDataView->setCurrentWidget(form->tsTree);
        for (QTreeWidgetItemIterator it(form->TreeView); *it; ++it)
            if (TMainForm::ChannelOf(*it)->GetFullName() == fullName)
                form->TreeView->setCurrentItem(*it);
        ASSERT_EQ(TMainForm::ChannelOf(form->TreeView->currentItem())->GetFullName(), fullName);
    }
    std::vector<std::string> Row0(const TMDIDataChild* w) const
    {
        std::vector<std::string> names;
        for (int c = 1; c < w->dataGrid->ColCount(); ++c)
            names.push_back(w->dataGrid->Cell(c, 0));
        return names;
    }
    void ExpectWarning(const char* text)
    {
        ASSERT_EQ(script.messages.size(), 1u);
        EXPECT_EQ(script.messages[0].text.toStdString(), text);
        EXPECT_EQ(script.messages[0].caption, "Warning");
        script.messages.clear();
    }

    platform::DialogScript script;
    RoboCupFileT* log = nullptr;
};

}  // namespace

TEST_F(DataWindowTest, StartsWithFourHeaderRowsAndTheSavingChoices)
{
    TMDIDataChild* w = NewDataWindow();
    EXPECT_EQ(w->dataGrid->RowCount(), 5);
    EXPECT_EQ(w->dataGrid->ColCount(), 1);
    EXPECT_EQ(w->dataGrid->FixedRows(), 4);
    EXPECT_EQ(w->dataGrid->Row(), 4);
    EXPECT_EQ(w->dataGrid->Cell(0, 3), "type");
    EXPECT_EQ(w->dataGrid->ColWidth(0), 35);
    EXPECT_EQ(w->rgUseMarks->ItemIndex(), 0);
    EXPECT_EQ(w->rgUseMarks->title(), "  When saving data:  ");
    // A time push before any series has no row to go to.
    w->SetTimeRange(40, 0, 100);
    EXPECT_EQ(w->dataGrid->Row(), 4);
    EXPECT_EQ(w->CurrentCycle, 40);
}

TEST_F(DataWindowTest, AddingSeriesWarnsWithoutAMatchingDataWindowOrChannel)
{
    form->btnAddDataSeriesClick();
    ExpectWarning("No window selected");
    form->BtnAdd1dClick();
    form->MdiArea->setActiveSubWindow(form->MdiArea->subWindowList().back());
    form->btnAddDataSeriesClick();
    ExpectWarning("No data window selected");
    TMDIDataChild* w = NewDataWindow();
    form->btnAddDataSeriesClick();
    ExpectWarning("No data parameter selected");
    form->pcDataView->setCurrentWidget(form->tsList);
    form->btnAddDataSeriesClick();
    ExpectWarning("No data parameter selected");
    // Another log current: the window's log no longer matches.
    const std::string dir = MakeTempDir("datawin");
    const std::string other = dir + "/other.rcg";
    std::filesystem::copy_file(GunzippedTestFile(kShort), other);
    form->OpenLogFiles({QString::fromStdString(other)});
    ASSERT_NE(form->Logs->Current(), log);
    form->MdiArea->setActiveSubWindow(w);
    form->Logs->SetCurrent(form->Logs->At(1));
    SelectInTree("Ball.pos.x");
    form->btnAddDataSeriesClick();
    ExpectWarning("Wrong data window selected - log file mismatch");
    EXPECT_EQ(w->dataGrid->ColCount(), 1);
}

TEST_F(DataWindowTest, TreeNodeAddsItsFilteredLeavesAndListItemsAddInListOrder)
{
    TMDIDataChild* w = NewDataWindow();
    form->MemoBadFields->setPlainText("vel\n");
    SelectInTree("Ball");
    form->btnAddDataSeriesClick();
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(Row0(w), (std::vector<std::string>{"Ball\r\npos\r\nx", "Ball\r\npos\r\ny", "Ball\r\npossessor\r\nl_team",
                                                 "Ball\r\npossessor\r\nr_team", "Ball\r\ngoal_distance\r\nl_team",
                                                 "Ball\r\ngoal_distance\r\nr_team", "Ball\r\ncalculated\r\nkick_event"}));
    EXPECT_EQ(w->dataGrid->RowCount(), log->cycles + 4);
    EXPECT_EQ(w->dataGrid->FixedCols(), 1);
    EXPECT_EQ(w->dataGrid->Cell(0, 4 + 17), "17");
    // Fitting: three name lines make row 0 higher than a data row.
    EXPECT_GT(w->dataGrid->RowHeight(0), 2 * w->dataGrid->RowHeight(4));

    form->MemoBadFields->clear();
    form->pcDataView->setCurrentWidget(form->tsList);
    form->ListView->clearSelection();
    for (const char* name : {"Ball.pos.x", "play_mode"}) {
        QListWidgetItem* item = form->ListView->findItems(name, Qt::MatchExactly).front();
        form->ListView->setCurrentItem(item, QItemSelectionModel::NoUpdate);
        item->setSelected(true);
    }
    form->btnAddDataSeriesClick();
    ASSERT_EQ(w->dataGrid->ColCount(), 10);
    // List order, not the order of selecting; the same channel again is a column again.
    EXPECT_EQ(w->dataGrid->Cell(8, 0), "play_mode");
    EXPECT_EQ(w->dataGrid->Cell(9, 0), "Ball\r\npos\r\nx");
}

TEST_F(DataWindowTest, TimePushDoubleClickAndColumnMenu)
{
    TMDIDataChild* w = NewDataWindow();
    w->AddChannels({Channel("Ball.pos.x"), Channel("Ball.pos.y"), Channel("play_mode")});
    w->SetTimeRange(42, 0, 100);
    EXPECT_EQ(w->dataGrid->Row(), 46);
    EXPECT_EQ(w->dataGrid->TopRow(), 46);
    const TStringGrid::GridRect s = w->dataGrid->Selection();
    EXPECT_EQ(s.left, 1);
    EXPECT_EQ(s.right, 3);
    EXPECT_EQ(s.top, 46);
    w->SetTimeRange(log->cycles, 0, 100);  // no such row: nothing moves
    EXPECT_EQ(w->dataGrid->Row(), 46);

    // A double click marks the current row's cycle; on a marked row it
    // changes nothing.
    w->dataGridDblClick();
    w->dataGridDblClick();
    EXPECT_EQ(form->Marks.Cycles(), (std::vector<int>{42}));
    EXPECT_EQ(form->lNumMarks->text(), "1");

    // Right click on column 2, then "Delete column".
    w->dataGridMouseDown(Qt::RightButton, 2, 7, QPoint(10, 10));
    EXPECT_EQ(w->dataGrid->Selection().left, 2);
    EXPECT_EQ(w->dataGrid->Selection().bottom, log->cycles + 3);
    w->PopupMenu->hide();
    w->Deletecolumn1->trigger();
    EXPECT_EQ(Row0(w), (std::vector<std::string>{"Ball\r\npos\r\nx", "play_mode"}));
    // Column 0 and clicks outside the cells delete nothing.
    w->dataGridMouseDown(Qt::RightButton, 0, 7, QPoint(10, 10));
    w->PopupMenu->hide();
    w->Deletecolumn1->trigger();
    w->dataGridMouseDown(Qt::RightButton, -1, -1, QPoint(10, 10));
    w->Deletecolumn1->trigger();
    EXPECT_EQ(w->dataGrid->ColCount(), 3);
    w->Filter1->trigger();
    EXPECT_TRUE(w->FilterEnabled);
    EXPECT_TRUE(w->Filter1->isChecked());
}

TEST_F(DataWindowTest, MarkedRowsAreDrawnOnlyWhileTimeMarksAreUsed)
{
    TMDIDataChild* w = NewDataWindow();
    w->AddChannels({Channel("Ball.pos.x")});
    form->Marks.Add(10);
    const QColor highlight = w->palette().color(QPalette::Highlight);
    auto highlighted = [&](int row) {
        QImage image(60, 16, QImage::Format_RGB32);
        QPainter p(&image);
        w->dataGrid->PaintCell(p, image.rect(), 1, row, {});
        p.end();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == highlight)
                    return true;
        return false;
    };
    form->cbUseTimeMarks->setChecked(false);
    EXPECT_FALSE(highlighted(4 + 10));
    form->cbUseTimeMarks->setChecked(true);
    EXPECT_TRUE(highlighted(4 + 10));
    EXPECT_FALSE(highlighted(4 + 11));
}

TEST_F(DataWindowTest, SavesInTheFormatOfTheExtensionOnly)
{
    TMDIDataChild* w = NewDataWindow();
    w->AddChannels({Channel("Ball.possessor.l_team")});
    form->Marks.Add(3);
    w->rgUseMarks->SetItemIndex(2);
    const std::string dir = MakeTempDir("datasave");
    auto save = [&](const std::string& name, int selectedType = 0) {
        platform::FileDialogResult r;
        r.accepted = true;
        r.files = {QString::fromStdString(dir + "/" + name)};
        r.filterIndex = selectedType;
        script.files.push_back(r);
        w->BtnSaveClick();
        return dir + "/" + name;
    };
    EXPECT_EQ(ReadBytes(save("a.txt")).substr(0, 27), "Ball_possessor_l_team=0\r\nBa");
    EXPECT_EQ(ReadBytes(save("a.arff")).substr(0, 19), "@relation RoboCup\r\n");
    save("c.names");
    EXPECT_EQ(ReadBytes(dir + "/c.data"), "0\r\n");  // only the marked cycle
    EXPECT_EQ(ReadBytes(dir + "/c.names").substr(0, 25), "Ball\\.possessor\\.l_team. ");
    save("b.TXT");
    save("b.data", 2);  // an extension of its own decides, whatever type is selected
    save("d3", 2);      // none: the type selected, "ARFF format (*.arff)"
    save("c.data");  // there, but of no kind it writes: not asked whether to replace it
    EXPECT_FALSE(std::filesystem::exists(dir + "/b.TXT"));
    EXPECT_FALSE(std::filesystem::exists(dir + "/b.data"));
    EXPECT_EQ(ReadBytes(dir + "/d3.arff").substr(0, 19), "@relation RoboCup\r\n");
    EXPECT_EQ(script.fileDialogs.size(), 7u);
    ASSERT_EQ(script.messages.size(), 3u);  // one for each kind it does not write
    EXPECT_EQ(script.messages.back().text, "Unknown file type! Nothing was saved. ");
}

// An expression channel with no finite value: the dataset saves write it as
// missing and say so once per save; the plain text keeps the value and says nothing.
TEST_F(DataWindowTest, ValuesThatAreNoNumberAreToldOncePerDatasetSave)
{
    ASSERT_EQ(CreateUserChannels(*log, {{"huge", "10^400"}}).computed, 1);
    TMDIDataChild* w = NewDataWindow();
    w->AddChannels({Channel("Ball.pos.x"), Channel("user.huge")});
    w->rgUseMarks->SetItemIndex(0);
    const std::string dir = MakeTempDir("datasave-inf");
    for (const char* name : {"a.arff", "a.names", "a.txt"}) {
        platform::FileDialogResult r;
        r.accepted = true;
        r.files = {QString::fromStdString(dir + "/" + name)};
        script.files.push_back(r);
        w->BtnSaveClick();
    }
    ASSERT_EQ(script.messages.size(), 2u);
    for (const platform::ShownMessage& m : script.messages)
        EXPECT_EQ(m.text.toStdString(), std::to_string(log->cycles) +
                                            " values are no finite number (INF or NAN) and were written as missing (?).");
    EXPECT_EQ(ReadBytes(dir + "/a.data").find("INF"), std::string::npos);
    EXPECT_NE(ReadBytes(dir + "/a.txt").find("user_huge=INF"), std::string::npos);
}

// A save that fails midway (a full disk, a folder where the second file of
// ".names" + ".data" goes, a ".data" that is a link to its ".names") leaves
// the old files byte for byte, no temporary file, and says which file it
// could not write.
TEST_F(DataWindowTest, AFailedSaveLeavesTheOldFiles)
{
    TMDIDataChild* w = NewDataWindow();
    w->AddChannels({Channel("Ball.possessor.l_team")});
    struct Case {
        const char* chosen;
        const char* blocked;  // a folder stands there
        rlim_t limit;
        const char* reported;
        const char* reason;
        const char* linkTo = nullptr;  // a link to this file stands in blocked's place, not a folder
    };
    const Case cases[] = {
        {"a.txt", nullptr, 64, "a.txt", "File too large"},
        {"a.arff", nullptr, 64, "a.arff", "File too large"},
        {"c.names", "c.data", RLIM_INFINITY, "c.data", "it is not a regular file (a folder)"},
        {"c.names", "c.data", RLIM_INFINITY, "c.data", "it leads to the same file as ", "c.names"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        const std::string dir = MakeTempDir("datasave-fail");
        const std::string old(500, 'o');
        for (const char* name : {"a.txt", "a.arff", "c.names"})
            std::ofstream(dir + "/" + name, std::ios::binary) << old;
        if (c.linkTo)
            std::filesystem::create_symlink(c.linkTo, dir + "/" + c.blocked);
        else if (c.blocked)
            std::filesystem::create_directory(dir + "/" + c.blocked);
        const std::vector<std::string> before = FolderEntries(dir);
        platform::FileDialogResult r;
        r.accepted = true;
        r.files = {QString::fromStdString(dir + "/" + c.chosen)};
        script.files.push_back(r);
        {
            FileSizeLimit disk(c.limit);
            w->BtnSaveClick();
        }
        for (const char* name : {"a.txt", "a.arff", "c.names"})
            EXPECT_EQ(ReadBytes(dir + "/" + name), old) << name;
        EXPECT_EQ(FolderEntries(dir), before);
        // Asked first whether to replace it, but a refusal comes at once, unasked.
        ASSERT_EQ(script.messages.size(), c.blocked ? 1u : 2u);
        EXPECT_EQ(script.messages.back().text.toStdString(),
                  "Cannot write the file " + dir + "/" + c.reported + ": " + c.reason +
                      (c.linkTo ? dir + "/" + c.linkTo : std::string()));
        script.messages.clear();
    }
}

namespace {

std::string Fixed(double v) { return FormatFloatFixed(v, 8, 4); }

// Saves the window as that ".arff" file and gives its line of cycle 100.
std::string SavedCycle100(TMDIDataChild* w, const std::string& path)
{
    EXPECT_TRUE(w->SaveData(QString::fromStdString(path)));
    const std::string text = ReadBytes(path);
    std::size_t at = text.find("@data\r\n") + 7;
    for (int c = 0; c < 100; ++c)
        at = text.find("\r\n", at) + 2;
    return text.substr(at, text.find("\r\n", at) - at);
}

}  // namespace

// A column follows its expression channel computed again, min and max too, and
// goes with the channel.
TEST_F(DataWindowTest, AColumnFollowsItsChannelComputedAgainAndGoesWithIt)
{
    TMDIDataChild* w = NewDataWindow();
    const std::string dir = MakeTempDir("datafollow");
    form->SetFieldRows({{"d9", "dist(Lplayer9, Ball, cycle)"}});
    form->BtnAddFunctionSeries->click();
    w->AddChannels({Channel("Ball.pos.y"), Channel("user.d9")});
    form->SetFieldRows({{"d9", "Ball.pos.x"}});
    form->BtnAddFunctionSeries->click();
    const auto& x = dynamic_cast<const DataTimeChannel<double>&>(*Channel("Ball.pos.x"));
    EXPECT_EQ(Fixed(x.GetMin()) + Fixed(x.GetMax()), w->dataGrid->Cell(2, 1) + w->dataGrid->Cell(2, 2));
    EXPECT_EQ(w->dataGrid->Cell(2, 4 + 100), Fixed(x.GetValue(100)));
    const std::string y = Fixed(Channel("Ball.pos.y")->GetValue(100));
    EXPECT_EQ(SavedCycle100(w, dir + "/a.arff"), y + ", " + Fixed(x.GetValue(100)));
    ASSERT_TRUE(log->stream->DeleteChannel(Channel("user.d9")));
    EXPECT_EQ(SavedCycle100(w, dir + "/b.arff"), y);
    EXPECT_EQ(w->dataGrid->ColCount(), 2);
}

TEST_F(DataWindowTest, MinAndMaxAreThoseOfTheValuesShown)
{
    log->stream->SetTimeWindow(40);  // averaged ones too
    TMDIDataChild* w = NewDataWindow();
    w->AddChannels({Channel("Ball.pos.x")});
    std::set<double> shown;
    for (int row = 4; row < w->dataGrid->RowCount(); ++row)
        shown.insert(std::stod(w->dataGrid->Cell(1, row)));
    EXPECT_EQ(w->dataGrid->Cell(1, 1) + w->dataGrid->Cell(1, 2), Fixed(*shown.begin()) + Fixed(*shown.rbegin()));
}

// Failed evaluations show as "NAN", stay out of min and max, save as "?" and
// are counted; the channel's other values are as ever.
TEST_F(DataWindowTest, FailedValuesShowAsNanAndSaveAsMissing)
{
    ASSERT_EQ(CreateUserChannels(*log, {{"inv", "1/(Ball.pos.x - Ball.pos.x)"}, {"root", "sqrt(-1 - cycle)"},
                                        {"ln", "log(cycle - cycle)"}, {"some", "log(cycle)"}})
                  .computed,
              4);
    TMDIDataChild* w = NewDataWindow();
    w->AddChannels({Channel("user.inv"), Channel("user.root"), Channel("user.ln"), Channel("user.some")});
    for (int col = 1; col <= 3; ++col)
        for (int row : {1, 2, 4, 4 + 100})
            EXPECT_EQ(w->dataGrid->Cell(col, row), "NAN") << col << " " << row;
    EXPECT_EQ(Fixed(0) + Fixed(std::log(log->cycles - 1)) + "NAN",
              w->dataGrid->Cell(4, 1) + w->dataGrid->Cell(4, 2) + w->dataGrid->Cell(4, 4));
    EXPECT_EQ(SavedCycle100(w, MakeTempDir("datanan") + "/a.arff"), "?, ?, ?, " + Fixed(std::log(100)));
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text.toStdString(),
              std::to_string(3 * log->cycles + 1) + " values are no finite number (INF or NAN) and were written as missing (?).");
}

// With its last column deleted, the window writes no file and says so.
TEST_F(DataWindowTest, AWindowWithoutAColumnSavesNothing)
{
    TMDIDataChild* w = NewDataWindow();
    const std::string dir = MakeTempDir("dataempty");
    w->AddChannels({Channel("Ball.pos.x")});
    w->dataGridMouseDown(Qt::RightButton, 1, 7, QPoint(10, 10));
    w->PopupMenu->hide();
    w->Deletecolumn1->trigger();
    EXPECT_FALSE(w->SaveData(QString::fromStdString(dir + "/a.arff")));
    w->BtnSave->click();
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[1].text, "The data window holds nothing to save: add a data series first");
    EXPECT_TRUE(script.fileDialogs.empty());
    EXPECT_TRUE(FolderEntries(dir).empty());
}
