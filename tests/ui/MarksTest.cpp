// The "Marks" page driven through its real controls, offscreen, on a real log:
// what lbMarks and lNumMarks show, the clipboard, the beeps and messages of
// commands that cannot run, and jumping to a mark.
#include "MainFormFixture.h"
#include "UiTestMain.h"

#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"
#include "support/TestData.h"
#include "ui/FormControls.h"
#include "ui/childFieldWin.h"
#include "ui/OpenLogs.h"
#include "ui/main.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const char* const kShort = "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg";

class MarksTest : public MainFormFixture {
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        platform::SetBeepCounter(&beeps);
    }
    void TearDown() override
    {
        platform::SetBeepCounter(nullptr);
        MainFormFixture::TearDown();
    }
    void OpenShortMatch() { form->OpenLogFiles({QString::fromStdString(GunzippedTestFile(kShort))}); }
    QStringList Items() const
    {
        QStringList items;
        for (int i = 0; i < form->lbMarks->count(); ++i)
            items << form->lbMarks->item(i)->text();
        return items;
    }
    void Type(const QString& text) { form->MemoMarksFunction->setPlainText(text); }
    void Select(int row) { form->lbMarks->setCurrentRow(row); }

    platform::DialogScript script;
    int beeps = 0;
};

}  // namespace

TEST_F(MarksTest, TypedCyclesAreAddedOnceAndCounted)
{
    OpenShortMatch();
    Type(" 42\n");
    form->BtnAddMarks->click();
    form->BtnAddMarks->click();
    Type("7");
    form->BtnAddMarks->click();
    EXPECT_EQ(Items(), QStringList({"     7", "    42"}));
    EXPECT_EQ(form->lNumMarks->text(), "2");
    EXPECT_EQ(form->lbMarks->font().family(), "Courier New");

    Type("4 2");
    form->BtnAddMarks->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "'4 2' is not a valid integer value.");
    EXPECT_EQ(Items().size(), 2);
}

TEST_F(MarksTest, CopyAndPasteGoThroughTheClipboardAndABadPasteKeepsTheMarks)
{
    form->Marks.Assign({120, 5});
    form->BtnCopyMarks->click();
    EXPECT_EQ(platform::ClipboardText(), "     5    120 ");

    platform::SetClipboardText("7 3  12 7");
    form->btnPasteMarks->click();
    EXPECT_EQ(Items(), QStringList({"     3", "     7", "    12"}));
    EXPECT_EQ(form->lNumMarks->text(), "3");

    platform::SetClipboardText("7\t3");
    form->btnPasteMarks->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "'7\t3' is not a valid integer value.");
    EXPECT_EQ(Items(), QStringList({"     3", "     7", "    12"}));

    form->BtnClearMarks->click();
    form->BtnCopyMarks->click();
    EXPECT_EQ(platform::ClipboardText(), "");
    EXPECT_EQ(form->lNumMarks->text(), "0");
}

TEST_F(MarksTest, AnEmptyOrBlankPasteKeepsTheMarksAndSaysSo)
{
    form->Marks.Assign({5, 120});
    for (const QString& text : {QString(), QString("  \r\n\t ")}) {
        platform::SetClipboardText(text);
        form->btnPasteMarks->click();
        EXPECT_EQ(Items(), QStringList({"     5", "   120"}));
    }
    EXPECT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages.back().text, "The clipboard holds no time marks: the marks are kept");
}

TEST_F(MarksTest, RemoveTakesTheSelectedMarkAndBeepsWithoutOne)
{
    form->Marks.Assign({1, 2, 3});
    Type("2");  // the typed text is not what Remove uses
    form->BtnRemoveMarks->click();
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(Items().size(), 3);
    Select(2);
    form->BtnRemoveMarks->click();
    EXPECT_EQ(Items(), QStringList({"     1", "     2"}));
    EXPECT_EQ(form->lNumMarks->text(), "2");
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(MarksTest, ResetAndInvertNeedALogAndCoverItsCycles)
{
    form->Marks.Assign({5});
    form->BtnResetMarks->click();
    form->btnInvertMarks->click();
    EXPECT_EQ(script.messages.size(), 2u);  // "No log file loaded", each
    EXPECT_EQ(Items(), QStringList({"     5"}));

    OpenShortMatch();
    ASSERT_NE(form->Logs->Current(), nullptr);
    const int cycles = form->Logs->Current()->cycles;
    ASSERT_GT(cycles, 100);
    form->btnInvertMarks->click();
    EXPECT_EQ(form->lNumMarks->text(), QString::number(cycles - 1));
    EXPECT_FALSE(form->Marks.Contains(5));
    form->btnInvertMarks->click();
    EXPECT_EQ(Items(), QStringList({"     5"}));
    form->BtnResetMarks->click();
    EXPECT_EQ(form->lbMarks->count(), cycles);
    EXPECT_EQ(form->lbMarks->item(cycles - 1)->text().trimmed().toInt(), cycles - 1);
    EXPECT_EQ(beeps, 0);
}

TEST_F(MarksTest, TheListAndTheMarksAgreeWhoeverChangesThem)
{
    form->Marks.Add(9);
    EXPECT_EQ(form->lNumMarks->text(), "1");
    // Items put into the list directly are marks too, and the count follows.
    form->lbMarks->addItem("     3");
    EXPECT_EQ(form->lNumMarks->text(), "2");
    EXPECT_EQ(form->Marks.Cycles(), std::vector<int>({3, 9}));
    delete form->lbMarks->takeItem(0);  // the 9
    EXPECT_EQ(form->Marks.Cycles(), std::vector<int>({3}));
    EXPECT_EQ(form->lNumMarks->text(), "1");
    // The next change shows the marks in order again.
    form->lbMarks->addItem("    12");
    form->Marks.Add(7);
    EXPECT_EQ(Items(), QStringList({"     3", "     7", "    12"}));
    // Remove and a click go by the selected item's cycle.
    form->lbMarks->clear();
    form->lbMarks->addItems({"    40", "    20"});
    form->TrackBar1->setMaximum(100);
    Select(0);
    form->lbMarksClick();
    EXPECT_EQ(form->TrackBar1->value(), 40);
    form->BtnRemoveMarks->click();
    EXPECT_EQ(form->Marks.Cycles(), std::vector<int>({20}));
    EXPECT_EQ(beeps, 0);
}

TEST_F(MarksTest, MarksStayWhenAnotherLogBecomesCurrent)
{
    const std::string dir = MakeTempDir("marks-logs");
    const std::string copy = dir + "/other.rcg";
    std::filesystem::copy_file(GunzippedTestFile(kShort), copy);
    OpenShortMatch();
    form->Marks.Assign({3, 30, 300});
    form->OpenLogFiles({QString::fromStdString(copy)});
    ASSERT_EQ(static_cast<std::size_t>(form->Logs->Count()), 2u);
    EXPECT_EQ(form->Logs->Current()->fileName, copy);
    EXPECT_EQ(Items(), QStringList({"     3", "    30", "   300"}));
}

TEST_F(MarksTest, AClickJumpsToTheMarkAndADoubleClickAlsoOpensAFieldWindowThatStaysThere)
{
    OpenShortMatch();
    form->Marks.Assign({17, 250});
    form->lbMarksClick();  // nothing selected: nothing happens
    EXPECT_EQ(form->TrackBar1->value(), 0);
    Select(1);
    form->lbMarksClick();
    EXPECT_EQ(form->TrackBar1->value(), 250);

    Select(0);
    form->lbMarksDblClick();
    EXPECT_EQ(form->TrackBar1->value(), 17);
    ASSERT_EQ(form->MdiArea->subWindowList().size(), 1);
    auto* field = qobject_cast<TMDIFieldChild*>(form->MdiArea->subWindowList().front());
    ASSERT_NE(field, nullptr);
    EXPECT_FALSE(field->cbDynamicTimeRange->isChecked());
    EXPECT_EQ(field->ChartPanel->maximumWidth(), 5);  // its panel folded away
    EXPECT_EQ(field->Cycle, 17);
}

TEST_F(MarksTest, CriteriaMarkAndUnmarkEveryCycleWhereTheyHold)
{
    form->cbUseCriteriaFunction->setChecked(true);
    Type("Ball.pos.x > 0");
    form->BtnAddMarks->click();  // no log yet
    EXPECT_EQ(script.messages.size(), 1u);  // "No log file loaded"
    script.messages.clear();
    EXPECT_EQ(form->Marks.Count(), 0);

    OpenShortMatch();
    ASSERT_NE(form->Logs->Current(), nullptr);
    const TimeChannel* ballX = form->Logs->Current()->stream->FindChannel("Ball.pos.x");
    ASSERT_NE(ballX, nullptr);
    std::vector<int> positive, beyondHalf;
    for (int c = 0; c < form->Logs->Current()->cycles; ++c) {
        if (ballX->GetValue(c) > 0)
            positive.push_back(c);
        if (ballX->GetValue(c) > 0.5)
            beyondHalf.push_back(c);
    }
    ASSERT_FALSE(positive.empty());
    ASSERT_LT(beyondHalf.size(), positive.size());  // the decimal threshold matters

    form->BtnAddMarks->click();
    EXPECT_EQ(form->Marks.Cycles(), positive);
    // Cycles marked already stay marked once.
    form->BtnAddMarks->click();
    EXPECT_EQ(form->Marks.Cycles(), positive);
    EXPECT_EQ(form->lNumMarks->text(), QString::number(positive.size()));
    form->BtnRemoveMarks->click();
    EXPECT_TRUE(form->Marks.Empty());

    Type("Ball.pos.x > 0.5");
    form->BtnClearMarks->click();
    form->BtnAddMarks->click();
    EXPECT_EQ(form->Marks.Cycles(), beyondHalf);

    form->Marks.Reset(21);
    Type("cycle < 10");
    form->BtnRemoveMarks->click();
    EXPECT_EQ(form->Marks.At(0), 10);
    EXPECT_EQ(form->Marks.Count(), 11);

    Type("Ball.pos.x >");
    form->BtnAddMarks->click();
    form->BtnRemoveMarks->click();
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[0].caption, "Function evaluation error !");
    EXPECT_FALSE(script.messages[0].text.isEmpty());
    EXPECT_EQ(form->Marks.Count(), 11);
    EXPECT_EQ(beeps, 0);
}

TEST_F(MarksTest, PlaybackOverCriteriaMarksVisitsEachMarkOnceAndStopsAtTheLast)
{
    OpenShortMatch();
    form->cbUseCriteriaFunction->setChecked(true);
    Type("Ball.pos.x > 2 & Ball.pos.y < 0");
    form->BtnAddMarks->click();
    const std::vector<int> marks = form->Marks.Cycles();
    ASSERT_GT(marks.size(), 3u);
    form->BtnAdd2dClick();
    auto* field = qobject_cast<TMDIFieldChild*>(form->MdiArea->subWindowList().back());
    ASSERT_NE(field, nullptr);

    form->cbUseTimeMarks->setChecked(true);
    form->cbStopAtLastMark->setChecked(true);
    Select(0);
    std::vector<int> visited;
    QObject::connect(form->TrackBar1, &QSlider::valueChanged, [&visited](int v) { visited.push_back(v); });
    form->sbFwd->click();
    for (std::size_t tick = 0; tick < marks.size() + 2 && form->Timer->isActive(); ++tick)
        form->TimerTimer();
    EXPECT_FALSE(form->Timer->isActive());
    EXPECT_EQ(visited, std::vector<int>(marks.begin() + 1, marks.end()));
    EXPECT_EQ(field->Cycle, marks.back());  // the windows followed
    EXPECT_TRUE(script.messages.empty());
}
