// The data window shows what its channels hold now: an expression channel
// computed again refills its column, a removed one takes its column along, a
// value that is no number shows and saves as such, and a window without a
// column saves nothing.
#include "MainFormFixture.h"
#include "UiTestMain.h"

#include "core/expr/UserChannels.h"
#include "core/model/Format.h"
#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"
#include "platform/qt/Dialogs.h"
#include "support/SaveFailure.h"
#include "support/TestData.h"
#include "ui/OpenLogs.h"
#include "ui/StringGrid.h"
#include "ui/childDataWin.h"
#include "ui/main.h"

#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class DataWindowFollowTest : public MainFormFixture {
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        form->OpenLogFiles({QString::fromStdString(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"))});
        log = form->Logs->Current();
        ASSERT_NE(log, nullptr);
        form->BtnAddDataClick();
        w = qobject_cast<TMDIDataChild*>(form->MdiArea->subWindowList().back());
        ASSERT_NE(w, nullptr);
        dir = MakeTempDir("datafollow");
    }
    void Create(const std::vector<FieldDefinition>& rows)
    {
        form->SetFieldRows(rows);
        form->BtnAddFunctionSeries->click();
    }
    TimeChannel* Channel(const std::string& name) const { return log->stream->FindChannel(name); }
    static std::string Fixed(double v) { return FormatFloatFixed(v, 8, 4); }
    // The ".arff" data line of the cycle.
    std::string ArffLine(const std::string& path, int cycle) const
    {
        const std::string text = ReadBytes(path);
        std::size_t at = text.find("@data\r\n");
        EXPECT_NE(at, std::string::npos);
        at += 7;
        for (int c = 0; c < cycle; ++c)
            at = text.find("\r\n", at) + 2;
        return text.substr(at, text.find("\r\n", at) - at);
    }

    platform::DialogScript script;
    RoboCupFileT* log = nullptr;
    TMDIDataChild* w = nullptr;
    std::string dir;
};

}  // namespace

TEST_F(DataWindowFollowTest, AColumnFollowsItsChannelComputedAgainAndGoesWithIt)
{
    Create({{"d9", "dist(Lplayer9, Ball, cycle)"}});
    w->AddChannels({Channel("Ball.pos.y"), Channel("user.d9")});
    const int row = 4 + 100;
    ASSERT_EQ(w->dataGrid->Cell(2, row), Fixed(Channel("user.d9")->GetValue(100)));
    Create({{"d9", "Ball.pos.x"}});
    const auto& x = dynamic_cast<const DataTimeChannel<double>&>(*Channel("Ball.pos.x"));
    const std::vector<std::string> column = {"user\r\nd9", Fixed(x.GetMin()), Fixed(x.GetMax()), "double"};
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(w->dataGrid->Cell(2, r), column[static_cast<std::size_t>(r)]) << r;
    EXPECT_EQ(w->dataGrid->Cell(2, row), Fixed(x.GetValue(100)));
    EXPECT_TRUE(w->SaveData(QString::fromStdString(dir + "/a.arff")));
    EXPECT_EQ(ArffLine(dir + "/a.arff", 100),
              Fixed(Channel("Ball.pos.y")->GetValue(100)) + ", " + Fixed(x.GetValue(100)));

    // A channel that is gone is saved no more, nor shown.
    ASSERT_TRUE(log->stream->DeleteChannel(Channel("user.d9")));
    EXPECT_TRUE(w->SaveData(QString::fromStdString(dir + "/b.arff")));
    EXPECT_EQ(w->dataGrid->ColCount(), 2);
    EXPECT_EQ(ReadBytes(dir + "/b.arff").find("d9"), std::string::npos);
    EXPECT_EQ(ArffLine(dir + "/b.arff", 100), Fixed(Channel("Ball.pos.y")->GetValue(100)));
    EXPECT_TRUE(script.messages.empty());
}

// A value the evaluation fails on shows as "NAN", saves as "?" and is counted;
// a finite channel of the same run keeps its values.
TEST_F(DataWindowFollowTest, ValuesThatFailedShowAsNanAndSaveAsMissing)
{
    Create({{"inv", "1/(Ball.pos.x - Ball.pos.x)"}, {"root", "sqrt(-1 - cycle)"}, {"ln", "log(cycle - cycle)"},
            {"x2", "2 * Ball.pos.x"}});
    w->AddChannels({Channel("user.inv"), Channel("user.root"), Channel("user.ln"), Channel("user.x2")});
    const std::string x2 = Fixed(2 * Channel("Ball.pos.x")->GetValue(100));
    for (int col = 1; col <= 3; ++col) {
        for (int r : {1, 2, 4, 4 + 100})
            EXPECT_EQ(w->dataGrid->Cell(col, r), "NAN") << col << " " << r;
    }
    EXPECT_EQ(w->dataGrid->Cell(4, 4 + 100), x2);
    EXPECT_TRUE(w->SaveData(QString::fromStdString(dir + "/a.arff")));
    EXPECT_EQ(ArffLine(dir + "/a.arff", 100), "?, ?, ?, " + x2);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text.toStdString(),
              std::to_string(3 * log->cycles) +
                  " values are no finite number (INF or NAN) and were written as missing (?).");
}

// Without a column, whether it never had one or lost its last one, the window
// says once that it holds nothing to save and writes no file.
TEST_F(DataWindowFollowTest, AWindowWithoutAColumnSavesNothing)
{
    const std::string told = "The data window holds nothing to save: add a data series first";
    for (const bool hadOne : {false, true}) {
        if (hadOne) {
            w->AddChannels({Channel("Ball.pos.x")});
            w->dataGridMouseDown(Qt::RightButton, 1, 7, QPoint(10, 10));
            w->PopupMenu->hide();
            w->Deletecolumn1->trigger();
        }
        for (const char* name : {"a.arff", "a.names", "a.txt", "a.raw"}) {
            SCOPED_TRACE(std::string(name) + (hadOne ? " after a column" : ""));
            EXPECT_FALSE(w->SaveData(QString::fromStdString(dir + "/" + name)));
            ASSERT_EQ(script.messages.size(), 1u);
            EXPECT_EQ(script.messages[0].text.toStdString(), told);
            script.messages.clear();
        }
        // The button does not ask for a file it would not write.
        w->BtnSave->click();
        EXPECT_EQ(script.messages.size(), 1u);
        script.messages.clear();
    }
    EXPECT_TRUE(script.fileDialogs.empty());
    EXPECT_TRUE(FolderEntries(dir).empty());
}
