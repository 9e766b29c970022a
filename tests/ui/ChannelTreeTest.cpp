// The channel browser of the main window on a real log: the tree and the list,
// the name a click writes into the expression boxes, All/None, the word filters,
// the double click's routing and warnings, the left panel's strip, and the
// message of a refused expression.
#include "MainFormFixture.h"
#include "UiTestMain.h"

#include "core/expr/Expression.h"
#include "core/io/Convertlog.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"
#include "ui/FormControls.h"
#include "ui/MDIChild.h"
#include "ui/OpenLogs.h"
#include "ui/main.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

class ChannelTreeTest : public MainFormFixture {
protected:

    // The real short match as the current log (read without roles and features).
    RoboCupFileT* OpenShortMatch()
    {
        const QString path = QString::fromStdString(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"));
        RoboCupFileT* log = form->CreateFileEntry(path);
        RecordingHooks quiet;
        ReadRcgFile(log->fileName, *log);
        form->SelectCurrentFile(path, true);
        return log;
    }

    QTreeWidgetItem* Node(QTreeWidgetItem* parent, const QString& name)
    {
        for (int i = 0; i < parent->childCount(); ++i) {
            if (parent->child(i)->text(0) == name)
                return parent->child(i);
        }
        return nullptr;
    }
    QTreeWidgetItem* BallPos(const QString& axis)
    {
        QTreeWidgetItem* ball = form->TreeView->topLevelItem(3);
        QTreeWidgetItem* pos = ball != nullptr ? Node(ball, "pos") : nullptr;
        return pos != nullptr ? Node(pos, axis) : nullptr;
    }
    void ClickTree(QTreeWidgetItem* node)
    {
        form->TreeView->setCurrentItem(node);
        emit form->TreeView->itemClicked(node, 0);
    }
    // A real left click on the list item, as the user gives it.
    void ClickList(int row, Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        form->show();
        form->pcDataView->setCurrentWidget(form->tsList);
        QListWidgetItem* item = form->ListView->item(row);
        form->ListView->scrollToItem(item);
        Click(form->ListView->viewport(), form->ListView->visualItemRect(item).center(), keys);
    }
    static void Click(QWidget* w, QPointF at, Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, keys);
            QCoreApplication::sendEvent(w, &e);
        }
    }

    platform::DialogScript script;
};

TEST_F(ChannelTreeTest, TreeAndListShowTheChannelsOfTheCurrentLog)
{
    RoboCupFileT* log = OpenShortMatch();
    QTreeWidget* tree = form->TreeView;
    ASSERT_EQ(tree->topLevelItemCount(), kSchemaTopLevelChannels);
    const QStringList firstRoots{"time", "play_mode", "score", "Ball", "Lplayer1"};
    for (int i = 0; i < firstRoots.size(); ++i)
        EXPECT_EQ(tree->topLevelItem(i)->text(0), firstRoots[i]);
    EXPECT_EQ(tree->topLevelItem(25)->text(0), "Rplayer11");
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 0);
    QTreeWidgetItem* x = BallPos("x");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(TMainForm::ChannelOf(x), log->stream->FindChannel("Ball.pos.x"));
    EXPECT_EQ(TMainForm::ChannelOf(tree->topLevelItem(4)), log->stream->FindChannel("Lplayer1"));

    QListWidget* list = form->ListView;
    ASSERT_EQ(list->count(), kSchemaLeaves);
    EXPECT_EQ(list->item(0)->text(), "time");
    EXPECT_EQ(list->item(1)->text(), "play_mode");
    EXPECT_EQ(list->item(2)->text(), "score.diff");
    EXPECT_EQ(list->item(kSchemaLeaves - 1)->text(), "Rplayer11.calculated.kick_event");
    for (int i = 0; i < list->count(); ++i)
        ASSERT_EQ(TMainForm::ChannelOf(list->item(i)), log->stream->GetChannel(i)) << i;

    // With the last log gone nothing may point at its channels any more.
    form->BtnRemoveFileClick();
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_EQ(list->count(), 0);
}

TEST_F(ChannelTreeTest, ClickWritesTheFullNameIntoBothMemosSelected)
{
    OpenShortMatch();
    form->MemoTimeRangeFunction->setPlainText("sqr()");
    QTextCursor c = form->MemoTimeRangeFunction->textCursor();
    c.setPosition(4);  // between the parentheses
    form->MemoTimeRangeFunction->setTextCursor(c);

    ClickTree(BallPos("x"));
    EXPECT_EQ(form->MemoTimeRangeFunction->toPlainText(), "sqr(Ball.pos.x)");
    EXPECT_EQ(form->MemoTimeRangeFunction->textCursor().selectedText(), "Ball.pos.x");
    EXPECT_EQ(form->MemoMarksFunction->toPlainText(), "Ball.pos.x");
    EXPECT_EQ(form->MemoMarksFunction->textCursor().selectedText(), "Ball.pos.x");

    // The next name replaces the selected one.
    ClickTree(BallPos("y"));
    EXPECT_EQ(form->MemoTimeRangeFunction->toPlainText(), "sqr(Ball.pos.y)");
    EXPECT_EQ(form->MemoMarksFunction->toPlainText(), "Ball.pos.y");

    ClickList(2);
    EXPECT_EQ(form->MemoTimeRangeFunction->toPlainText(), "sqr(score.diff)");
    EXPECT_EQ(form->MemoMarksFunction->textCursor().selectedText(), "score.diff");

    // Nothing selected: nothing to insert.
    form->TreeView->clearSelection();
    form->TreeViewClick();
    form->ListView->setCurrentItem(nullptr);
    form->ListViewClick();
    EXPECT_EQ(form->MemoTimeRangeFunction->toPlainText(), "sqr(score.diff)");
    EXPECT_EQ(form->MemoMarksFunction->toPlainText(), "score.diff");
}

TEST_F(ChannelTreeTest, AllNoneSelectsEverythingThenNothing)
{
    form->BtnSelAllNone->click();  // empty list: nothing happens
    EXPECT_TRUE(form->ListView->selectedItems().isEmpty());

    OpenShortMatch();
    form->ListView->item(5)->setSelected(true);
    form->BtnSelAllNone->click();
    EXPECT_EQ(form->ListView->selectedItems().size(), kSchemaLeaves);
    form->BtnSelAllNone->click();
    EXPECT_TRUE(form->ListView->selectedItems().isEmpty());
    // A click selects one item, a click with Ctrl adds another: the list selects many.
    ClickList(3);
    ClickList(7, Qt::ControlModifier);
    EXPECT_EQ(form->ListView->selectedItems().size(), 2);
    ClickList(9);
    EXPECT_EQ(form->ListView->selectedItems().size(), 1);
}

TEST_F(ChannelTreeTest, WordFiltersTakeTheMemoLinesCaseSensitively)
{
    form->MemoGoodFields->setPlainText("pos\n");
    form->MemoBadFields->setPlainText("Ball");
    EXPECT_EQ(form->GoodWords(), std::vector<std::string>{"pos"});
    EXPECT_EQ(form->BadWords(), std::vector<std::string>{"Ball"});
    EXPECT_TRUE(PassesWordFilter("Lplayer1.pos.x", form->GoodWords(), form->BadWords()));
    EXPECT_FALSE(PassesWordFilter("Ball.pos.x", form->GoodWords(), form->BadWords()));
    EXPECT_FALSE(PassesWordFilter("Lplayer1.vel.dx", form->GoodWords(), form->BadWords()));
    form->MemoGoodFields->setPlainText("Pos");
    EXPECT_FALSE(PassesWordFilter("Lplayer1.pos.x", form->GoodWords(), form->BadWords()));
    form->MemoGoodFields->setPlainText("vel\npos");
    EXPECT_EQ(form->GoodWords(), (std::vector<std::string>{"vel", "pos"}));

    form->BtnClearFilter->click();
    EXPECT_TRUE(form->GoodWords().empty());
    EXPECT_TRUE(form->BadWords().empty());
    EXPECT_TRUE(PassesWordFilter("Ball.pos.x", form->GoodWords(), form->BadWords()));
}

TEST_F(ChannelTreeTest, DoubleClickGoesToTheActiveChartOrDataWindowOnItsPage)
{
    int chartAdds = 0, dataAdds = 0;
    QObject::connect(form->BtnAddTimeRange, &QPushButton::clicked, [&] { ++chartAdds; });
    QObject::connect(form->btnAddDataSeries, &QPushButton::clicked, [&] { ++dataAdds; });
    OpenShortMatch();
    auto warnings = [&] {
        std::vector<QString> texts;
        for (const auto& m : script.messages) {
            EXPECT_EQ(m.caption, "Warning");
            texts.push_back(m.text);
        }
        script.messages.clear();
        return texts;
    };

    form->TreeViewDblClick();
    EXPECT_EQ(warnings(), std::vector<QString>{"No window selected"});

    form->BtnAdd1dClick();
    form->pcWindow->setCurrentWidget(form->tsChart);
    form->TreeView->setCurrentItem(BallPos("x"));  // a double click selects the node first
    emit form->TreeView->itemDoubleClicked(BallPos("x"), 0);
    EXPECT_EQ(chartAdds, 1);
    form->pcWindow->setCurrentWidget(form->tsData);
    form->ListViewDblClick();
    EXPECT_EQ(warnings(), std::vector<QString>{"No data enabled window selected"});

    form->BtnAddDataClick();
    form->ListViewDblClick();
    EXPECT_EQ(dataAdds, 1);
    // The tree's node chosen above became the data window's column.
    EXPECT_TRUE(warnings().empty());
    form->pcWindow->setCurrentWidget(form->tsChart);
    form->ListViewDblClick();

    form->BtnAdd2dClick();
    form->TreeViewDblClick();
    EXPECT_EQ(warnings(), (std::vector<QString>{"No data enabled window selected", "No data enabled window selected"}));
    EXPECT_EQ(chartAdds, 1);
    EXPECT_EQ(dataAdds, 1);
}

TEST_F(ChannelTreeTest, StripFoldsTheLeftPanelAwayAndBack)
{
    form->show();
    ASSERT_TRUE(form->PanelLeft->isVisible());
    Click(form->PanelHideLeft, QPointF(2, 2));
    EXPECT_FALSE(form->PanelLeft->isVisible());
    Click(form->PanelHideLeft, QPointF(2, 2));
    EXPECT_TRUE(form->PanelLeft->isVisible());
}

TEST_F(ChannelTreeTest, RefusedExpressionShowsTheParsersMessage)
{
    RoboCupFileT* shortMatch = OpenShortMatch();
    LogExpression refused(*shortMatch);
    EXPECT_EQ(TMainForm::SetupExpressionParser(refused, "sqr(1, 2)"), -1);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text,
              "Illegal number of parameters to function at \"sqr\" (column 1): it takes sqr(value)");
    EXPECT_EQ(script.messages[0].caption, "Function evaluation error !");

    // The functions read the expression's log while another log is current.
    LogExpression accepted(*shortMatch);
    EXPECT_EQ(TMainForm::SetupExpressionParser(accepted, "val(id_Ball.pos.x, 150) + dist(Ball, Rplayer1, 150)"), 0);
    EXPECT_EQ(script.messages.size(), 1u);
    const double want = accepted.Evaluate(0);
    form->CreateFileEntry("another.rcg");  // empty and current now
    ASSERT_NE(form->Logs->Current(), shortMatch);
    EXPECT_EQ(accepted.Evaluate(0), want);
    EXPECT_NE(want, 0.0);
}

}  // namespace
