// The concept-usage window through the real main window on a real match: its
// items, the statistics over a range, sorting, showing and marking by rules,
// and pasting items.
#include "MainFormFixture.h"
#include "UiTestMain.h"

#include "core/analysis/ConceptUsage.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "core/model/TimeMarks.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"
#include "support/TestData.h"
#include "ui/ChildUsageWin.h"
#include "ui/OpenLogs.h"
#include "ui/StringGrid.h"
#include "ui/main.h"
#include "ui/waitFormWin.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class UsageWindowTest : public MainFormFixture {
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        form->OpenLogFiles({QString::fromStdString(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"))});
        log = form->Logs->Current();
        ASSERT_NE(log, nullptr);
        form->BtnAddUsageClick();
        w = qobject_cast<TMDIUsageChild*>(form->MdiArea->subWindowList().back());
        ASSERT_NE(w, nullptr);
        platform::SetBeepCounter(&beeps);
    }
    void TearDown() override
    {
        platform::SetBeepCounter(nullptr);
        MainFormFixture::TearDown();
    }
    std::vector<std::string> Column(int col) const
    {
        std::vector<std::string> texts;
        for (int r = 1; r < w->sgConcepts->RowCount(); ++r)
            texts.push_back(w->sgConcepts->Cell(col, r));
        return texts;
    }
    std::vector<QString> Selected() const
    {
        std::vector<QString> labels;
        for (int row : w->SelectedItems())
            labels.push_back(w->lbConcepts->item(row)->text());
        return labels;
    }

    platform::DialogScript script;
    RoboCupFileT* log = nullptr;
    TMDIUsageChild* w = nullptr;
    int beeps = 0;
};

}  // namespace

TEST_F(UsageWindowTest, ItemsForEverySelectedObjectAndTheirStatistics)
{
    const int items = w->lbConcepts->count();
    ASSERT_GT(items, 23);
    EXPECT_EQ(static_cast<int>(w->SelectedItems().size()), items);
    EXPECT_TRUE(w->lbConcepts->item(0)->text().startsWith("Ball:"));
    EXPECT_TRUE(w->lbConcepts->item(items / 23)->text().startsWith("Lplayer1:"));
    EXPECT_EQ(w->sgConcepts->RowCount(), items + 1);
    EXPECT_EQ(w->sgConcepts->ColCount(), 12);
    EXPECT_EQ(w->sgConcepts->Cell(11, 0), "TF*IDF");
    EXPECT_EQ(w->sgConcepts->Cell(7, 0), "Range to Marks ratio");

    // The whole log as range, no marks.
    w->SetTimeRange(10, 0, log->cycles);
    const std::vector<std::string> ratios = Column(4);
    EXPECT_EQ(std::count(ratios.begin(), ratios.end(), "999.990"), items);
    for (int r = 1; r <= items; r += 17) {
        const UsageItem& item = w->Item(r - 1);
        const int count = item.feature < 0 ? 0 : log->features->GetCount(item.feature);
        EXPECT_EQ(w->sgConcepts->Cell(1, r), std::to_string(count)) << item.label;
        EXPECT_EQ(w->sgConcepts->Cell(11, r), count == 0 ? "-999.990" : "0.000") << item.label;
    }
    // The column of labels is as wide as the widest of them.
    EXPECT_GT(w->sgConcepts->ColWidth(0), 82);

    // A click on the objects list rebuilds the items for the objects selected, all selected.
    w->lbConcepts->item(0)->setSelected(false);
    for (int p = 1; p < 23; ++p)
        w->lbPlayers->item(p)->setSelected(false);
    w->lbPlayersClick();
    EXPECT_EQ(w->lbConcepts->count(), items / 23);
    EXPECT_EQ(static_cast<int>(w->SelectedItems().size()), items / 23);
}

TEST_F(UsageWindowTest, DraggingAColumnToTheFirstPlaceSortsByItDescending)
{
    w->SetTimeRange(10, 0, log->cycles);
    w->sgConcepts->horizontalHeader()->moveSection(4, 0);  // "Clean count" to the first place
    EXPECT_EQ(w->sgConcepts->Cell(1, 0), "Clean count");
    std::vector<double> counts;
    for (const std::string& t : Column(1))
        counts.push_back(std::stod(t));
    EXPECT_TRUE(std::is_sorted(counts.rbegin(), counts.rend()));
    EXPECT_GT(counts.front(), counts.back());
    // Each label still stands beside its own counts.
    const int r = 1;
    const QString label = w->sgConcepts->CellText(0, r);
    for (int i = 0; i < w->lbConcepts->count(); ++i) {
        if (w->lbConcepts->item(i)->text() == label && w->Item(i).feature >= 0) {
            const UsageStats s = [&] {
                UsageCounter counter(log->features.get());
                return ComputeUsage(counter, w->Item(i).feature, 0, log->cycles, {});
            }();
            EXPECT_EQ(w->sgConcepts->Cell(1, r), std::to_string(s.cleanCount));
        }
    }
}

TEST_F(UsageWindowTest, PastedWordsSelectExactlyTheItemsOfTheirLabels)
{
    const QString a = w->lbConcepts->item(3)->text();
    const QString b = w->lbConcepts->item(40)->text();
    platform::SetClipboardText(a + " " + b);
    w->BtnPasteRulesClick();
    EXPECT_EQ(Selected(), (std::vector<QString>{a, b}));
    EXPECT_TRUE(script.messages.empty());
    platform::SetClipboardText(a.toLower() + " " + b);
    w->BtnPasteRulesClick();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Not Found '" + a.toLower() + "'");
    EXPECT_EQ(script.messages[0].caption, "word");
    EXPECT_EQ(Selected(), (std::vector<QString>{b}));
}

TEST_F(UsageWindowTest, ShowMarksAndMarkRules)
{
    const QString a = w->lbConcepts->item(0)->text();
    const QString b = w->lbConcepts->item(60)->text();
    platform::SetClipboardText(a + " " + b);
    w->BtnPasteRulesClick();
    form->Marks.Assign({5, 100, 101, 5000});

    form->cbUseTimeMarks->setChecked(false);
    w->BtnShowMarksClick();
    EXPECT_EQ(beeps, 1);
    ASSERT_EQ(w->sgConcepts->ColCount(), 3 + 2);  // the mark outside the log is skipped
    EXPECT_EQ(w->sgConcepts->Cell(4, 0), "Sum");
    EXPECT_EQ(w->sgConcepts->Cell(2, 0), "100");
    EXPECT_EQ(w->sgConcepts->CellText(0, 2), b);
    for (int r = 1; r <= 2; ++r) {
        const UsageItem& item = w->Item(w->SelectedItems()[static_cast<std::size_t>(r - 1)]);
        int held = 0;
        for (int k = 0; k < 3; ++k) {
            const int t = form->Marks.At(k);
            const bool holds = EvaluateItem(item, *log, t);
            held += holds;
            const std::string bit = log->features->GetBit(item.feature, t) ? "1" : "0";
            EXPECT_EQ(w->sgConcepts->Cell(k + 1, r), (holds ? "1/" : "0/") + bit);
        }
        EXPECT_EQ(w->sgConcepts->Cell(4, r), std::to_string(held));
    }

    // Marks where at least half of the two items hold.
    w->EditMarkRatio->setText("50");
    w->BtnMarkSelectedClick();
    std::vector<int> expected;
    const std::vector<int> rows = w->SelectedItems();
    for (int t = 0; t < log->cycles; ++t)
        if (EvaluateItem(w->Item(rows[0]), *log, t) || EvaluateItem(w->Item(rows[1]), *log, t))
            expected.push_back(t);
    EXPECT_EQ(form->Marks.Cycles(), expected);
    EXPECT_TRUE(form->cbUseTimeMarks->isChecked());
    EXPECT_EQ(w->sgConcepts->ColCount(), log->cycles + 1);
    EXPECT_EQ(w->sgConcepts->CellText(0, 3), "Ratio");
    const QStringList memo = w->MemoClusters->toPlainText().split('\n');
    ASSERT_EQ(memo.size(), 4);
    EXPECT_TRUE(memo[0].startsWith("*** Generating timeline concepts ") && memo[0].endsWith(" ***"));
    EXPECT_TRUE(memo[2].startsWith("Start time:"));
    EXPECT_TRUE(memo[3].startsWith("End time:"));

    // Nothing selected: a beep, the marks stay.
    w->lbConcepts->clearSelection();
    w->BtnMarkSelectedClick();
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(form->Marks.Cycles(), expected);
}

TEST_F(UsageWindowTest, ManyUnknownWordsGiveOneMessageThatListsTheFirst)
{
    const QString known = w->lbConcepts->item(3)->text();
    QStringList words;
    for (int i = 0; i < 5000; ++i)
        words << "foreign" + QString::number(i);
    words.insert(2500, known);
    platform::SetClipboardText(words.join(' '));
    w->BtnPasteRulesClick();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Not Found 'foreign0', 'foreign1', 'foreign2', 'foreign3', 'foreign4', "
                                       "'foreign5', 'foreign6', 'foreign7', 'foreign8', 'foreign9' "
                                       "and 4990 more (5000 words)");
    EXPECT_EQ(script.messages[0].caption, "word");
    EXPECT_EQ(Selected(), (std::vector<QString>{known}));
}

TEST_F(UsageWindowTest, MarkRulesThatDoNotFinishGiveTheUsersMarksBack)
{
    // Runs what once the run is under way (the marks cleared), from the events it lets through.
    QTimer watch;
    std::function<void()> what;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (WaitForm && WaitForm->LabelText->text().startsWith("Evaluating concepts")) {
            watch.stop();
            what();
        }
    });
    form->Marks.Assign({5, 100, 101});
    w->EditMarkRatio->setText("50");
    w->MemoClusters->setPlainText("earlier");  // Cancel, offered in the wait window: the marks and the memo stay
    bool offered = false;
    what = [&] { offered = WaitForm->CancelButton->isVisible(); WaitForm->CancelButton->click(); };
    watch.start();
    w->BtnMarkSelectedClick();
    EXPECT_TRUE(offered);
    EXPECT_EQ(form->Marks.Cycles(), (std::vector<int>{5, 100, 101}));
    EXPECT_EQ(w->MemoClusters->toPlainText(), "earlier");
    // The log goes.
    what = [this] { w->ForgetFile(log); };
    watch.start();
    w->BtnMarkSelectedClick();
    EXPECT_FALSE(watch.isActive());
    EXPECT_EQ(form->Marks.Cycles(), (std::vector<int>{5, 100, 101}));

    // The window itself goes: nothing of it may be touched afterwards.
    form->BtnAddUsageClick();
    QPointer<TMDIUsageChild> other = qobject_cast<TMDIUsageChild*>(form->MdiArea->subWindowList().back());
    ASSERT_TRUE(other);
    other->EditMarkRatio->setText("50");
    what = [&other] { delete other.data(); };
    watch.start();
    other->BtnMarkSelectedClick();
    EXPECT_FALSE(other);
    EXPECT_EQ(form->Marks.Cycles(), (std::vector<int>{5, 100, 101}));
}

// A new window shows both lists and every column of its table where the
// workspace has the room.
TEST_F(UsageWindowTest, OpensLargeEnoughForItsListsAndEveryColumn)
{
    QMdiArea area;
    area.resize(2400, 1400);
    area.show();
    auto* usage = new TMDIUsageChild(&area, log);
    usage->show();
    QApplication::processEvents();
    int columns = 0;
    for (int c = 0; c < 12; ++c)
        columns += usage->sgConcepts->ColWidth(c);
    EXPECT_GE(usage->sgConcepts->verticalHeader()->width() + usage->sgConcepts->viewport()->width(), columns);
    EXPECT_LE(usage->sgConcepts->x(), 65 + 176 + 2 * usage->Splitter1->handleWidth());
}

// In a main window filling a 1600 x 1000 screen every column shows, its header
// whole; the narrow list gives the concept names as tool tips.
TEST_F(UsageWindowTest, AtItsFirstSizeEveryHeaderIsWhole)
{
    form->show();  // laid out: what its panels take from the screen
    QApplication::processEvents();
    QMdiArea area;
    area.resize(QSize(1600, 1000) - (form->size() - form->MdiArea->size()));
    area.show();
    auto* usage = new TMDIUsageChild(&area, log);
    usage->show();
    QApplication::processEvents();
    TStringGrid* grid = usage->sgConcepts;
    EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0);
    for (int c = 1; c < grid->ColCount(); ++c) {
        const QSize header = grid->WrappedTextSize(grid->CellText(c, 0), grid->ColWidth(c) - 1);
        EXPECT_TRUE(header.width() < grid->ColWidth(c) && header.height() <= grid->RowHeight(0) - 2) << c;
    }
    EXPECT_EQ(usage->lbConcepts->item(0)->toolTip(), usage->lbConcepts->item(0)->text());
}
