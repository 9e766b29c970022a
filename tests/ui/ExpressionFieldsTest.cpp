// The "Data" page's expression channels through the main window: making them on
// the current log (the tree and list follow), without a log, the definitions
// file saved and loaded through scripted dialogs, and the editor's keys.
#include "MainFormFixture.h"
#include "UiTestMain.h"

#include "core/io/Convertlog.h"
#include "core/io/FieldsFile.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "support/RecordingHooks.h"
#include "support/RcgWriter.h"
#include "support/SaveFailure.h"
#include "support/TestData.h"
#include "ui/OpenLogs.h"
#include "ui/main.h"
#include "ui/waitFormWin.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

class ExpressionFieldsTest : public MainFormFixture {
protected:
    RoboCupFileT* OpenShortMatch()
    {
        const QString path = QString::fromStdString(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"));
        RoboCupFileT* log = form->CreateFileEntry(path);
        ReadRcgFile(log->fileName, *log);
        form->SelectCurrentFile(path, true);
        hooks.waitTexts.clear();
        hooks.beeps = 0;  // whatever reading the log had to say
        return log;
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent e(QEvent::KeyPress, key, mods);
        QCoreApplication::sendEvent(form->vlFunctions, &e);
    }
    void Answer(const QString& file)
    {
        platform::FileDialogResult r;
        r.accepted = true;
        r.files = {file};
        script.files.push_back(r);
    }

    RecordingHooks hooks;
    platform::DialogScript script;
};

TEST_F(ExpressionFieldsTest, CreateMakesTheRowsChannelsAndShowsThem)
{
    RoboCupFileT* log = OpenShortMatch();
    form->SetFieldRows({{"speed", "sqrt(sqr(Ball.vel.dx) + sqr(Ball.vel.dy))"},
                        {"broken", "Ball.pos.x +"},
                        {"bdist", "dist(PLAYER, Ball, cycle)"},
                        {"", ""}});
    int refills = 0;
    const QObject counting;  // counts while the test runs
    QObject::connect(form->ListView->model(), &QAbstractItemModel::modelReset, &counting, [&refills] { ++refills; });
    form->BtnAddFunctionSeries->click();

    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "1 row was refused:\nrow 2 \"broken\": Syntax error at the end (column 13)");
    // Refilled as the 23 leaves double in number, not after each: thousands would cost their square.
    EXPECT_LE(refills, 6);
    EXPECT_EQ(script.messages[0].caption, "Error");
    EXPECT_TRUE(hooks.notices.empty());
    EXPECT_EQ(hooks.waitTexts.front(), "Evaluating function 'user.speed=sqrt(sqr(Ball.vel.dx) + sqr(Ball.vel.dy))'");
    EXPECT_EQ(hooks.waitTexts.size(), 1u + 1u + 22u);
    // The refused row left no channel behind.
    ASSERT_EQ(form->ListView->count(), kSchemaLeaves + 1 + 22);
    EXPECT_EQ(form->ListView->item(kSchemaLeaves + 22)->text(), "user.speed");
    EXPECT_EQ(form->ListView->item(PlayerLeafIndex(0, playerleaf::kCount))->text(), "Lplayer1.user.bdist");
    EXPECT_EQ(form->TreeView->topLevelItem(form->TreeView->topLevelItemCount() - 1)->text(0), "user");
    EXPECT_GT(log->stream->FindChannel("user.speed")->GetValue(100), 0.0);
    EXPECT_EQ(WaitForm, nullptr);
}

TEST_F(ExpressionFieldsTest, ThousandRefusedRowsGiveOneMessageAndNoChannel)
{
    RoboCupFileT* log = OpenShortMatch();
    const int leaves = form->ListView->count();
    const std::string deep = std::string(300, '(') + "1" + std::string(300, ')');
    std::vector<FieldDefinition> rows;
    // A tenth each refused by the parser as typed and for a player (the slow ones).
    for (int i = 0; i < 1000; ++i)
        rows.push_back({"r" + std::to_string(i), i % 10 == 0 ? "foo" : i % 10 == 1 ? "PLAYER.pos.x + foo" : deep});
    form->SetFieldRows(rows);
    form->BtnAddFunctionSeries->click();

    ASSERT_EQ(script.messages.size(), 1u);
    const std::string text = script.messages[0].text.toStdString();
    const std::string unknown = ": Syntax error: Unknown identifier at \"foo\" (column ";
    const std::string tooDeep = ": Expression nested too deeply (more than 200 levels)\n";
    EXPECT_TRUE(text.starts_with("1000 rows were refused:\nrow 1 \"r0\"" + unknown + "1)\n" +
                                 "row 2 \"r1\", PLAYER = Lplayer1" + unknown + "18)\nrow 3 \"r2\"" + tooDeep))
        << text;
    EXPECT_TRUE(text.ends_with("\nrow 10 \"r9\"" + tooDeep + "and 990 more (1000 rows)")) << text;
    EXPECT_TRUE(hooks.notices.empty());
    // Not one channel, nor a "user" node, for any of them.
    EXPECT_EQ(form->ListView->count(), leaves);
    for (const TimeChannel* channel : log->stream->GetChannels())
        ASSERT_EQ(channel->GetName().find("user"), std::string::npos) << channel->GetFullName();
}

// Cancel in the wait window ends the command: the leaves made so far stay and
// nothing is said about the row refused before.
TEST_F(ExpressionFieldsTest, CancelEndsTheCommandBetweenRows)
{
    OpenShortMatch();
    std::vector<FieldDefinition> rows{{"bad", "foo"}};
    constexpr int kRows = 2000;
    for (int i = 0; i < kRows; ++i)
        rows.push_back({"c" + std::to_string(i), "cycle + " + std::to_string(i)});
    form->SetFieldRows(rows);
    QTimer press;
    // Pressed where the window offers it, once the command is well under way.
    QObject::connect(&press, &QTimer::timeout, [&] {
        if (WaitForm && WaitForm->CancelButton->isVisible() && form->ListView->count() >= kSchemaLeaves + 3)
            WaitForm->CancelButton->click();
    });
    press.start(0);
    form->BtnAddFunctionSeries->click();
    press.stop();

    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(WaitForm, nullptr);
    EXPECT_GE(form->ListView->count(), kSchemaLeaves + 3);
    // Cancel is looked for now and then, never after each row, but at least
    // every 64th: a few rows more may be made after the press, not many.
    EXPECT_LT(form->ListView->count(), kSchemaLeaves + 3 + 64);
}

TEST_F(ExpressionFieldsTest, WithoutALogCreateSaysSoAndDoesNothing)
{
    form->SetFieldRows({{"speed", "1"}});
    form->BtnAddFunctionSeries->click();
    EXPECT_EQ(script.messages.size(), 1u);  // "No log file loaded"
    EXPECT_TRUE(hooks.waitTexts.empty());
    EXPECT_TRUE(hooks.notices.empty());
}

TEST_F(ExpressionFieldsTest, SavedFieldsLoadBackAndBadFilesKeepTheRows)
{
    const std::string dir = MakeTempDir("fields");
    const QString file = QString::fromStdString(dir + "/fields.txt");
    const std::vector<FieldDefinition> rows{{"speed", "sqrt(sqr(Ball.vel.dx) + sqr(Ball.vel.dy))"},
                                            {"bdist", "dist(PLAYER, Ball, cycle)"}};
    form->SetFieldRows({rows[0], {"", ""}, rows[1]});
    Answer(file);
    form->BtnSaveFields->click();
    EXPECT_EQ(ReadBytes(file.toStdString()),
              "speed=sqrt(sqr(Ball.vel.dx) + sqr(Ball.vel.dy))\r\nbdist=dist(PLAYER, Ball, cycle)\r\n");
    ASSERT_EQ(script.fileDialogs.size(), 1u);
    EXPECT_TRUE(script.fileDialogs[0].save);
    EXPECT_EQ(script.fileDialogs[0].filter, "Text files (*.txt)");

    form->SetFieldRows({{"other", "1"}});
    Answer(file);
    form->BtnLoadFields->click();
    EXPECT_EQ(form->FieldRows(), rows);

    Answer(QString::fromStdString(dir + "/missing.txt"));
    form->BtnLoadFields->click();
    Answer(QString::fromStdString(dir + "/no/such/folder/fields.txt"));
    form->BtnSaveFields->click();
    // A full disk keeps the old file and says why.
    const std::string saved = ReadBytes(file.toStdString());
    Answer(file);
    {
        FileSizeLimit disk(16);
        form->BtnSaveFields->click();
    }
    ASSERT_EQ(script.messages.size(), 4u);  // the third asks whether to replace the file
    EXPECT_EQ(script.messages[0].text,
              "Cannot read the file " + QString::fromStdString(dir) + "/missing.txt: No such file or directory");
    EXPECT_EQ(script.messages[1].text, "Cannot write the file " + QString::fromStdString(dir) +
                                           "/no/such/folder/fields.txt: No such file or directory");
    EXPECT_EQ(script.messages[3].text, "Cannot write the file " + file + ": File too large");
    EXPECT_EQ(ReadBytes(file.toStdString()), saved);
    EXPECT_EQ(form->FieldRows(), rows);

    // A cancelled dialog changes nothing.
    form->BtnLoadFields->click();
    EXPECT_EQ(form->FieldRows(), rows);
}

TEST_F(ExpressionFieldsTest, ARowThatCannotBeOneLineIsNotSavedAndNamed)
{
    const QString file = QString::fromStdString(SaveTempFile("fieldrows.txt", "old"));
    form->SetFieldRows({{"a", "1"}, {"b=c", "2"}});
    Answer(file);
    form->BtnSaveFields->click();
    EXPECT_EQ(script.messages.at(0).text, "Cannot save the fields: row 2: the name holds \"=\"");
    EXPECT_TRUE(script.fileDialogs.empty());  // told before a file is chosen
    EXPECT_EQ(ReadBytes(file.toStdString()), "old");
}

// Only the editor's blank rows: said before any file is chosen, and the file
// stays as it was.
TEST_F(ExpressionFieldsTest, NoRowToSaveIsSaidAndNothingIsWritten)
{
    const QString file = QString::fromStdString(SaveTempFile("fieldsempty.txt", "kept=1\r\n"));
    form->SetFieldRows({{"", ""}, {"", ""}});
    Answer(file);
    form->BtnSaveFields->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "No fields to save: every row of the editor is empty");
    EXPECT_TRUE(script.fileDialogs.empty());
    EXPECT_EQ(ReadBytes(file.toStdString()), "kept=1\r\n");
}

TEST_F(ExpressionFieldsTest, EditorAddsDeletesAndKeepsNamesUnique)
{
    QTableWidget* table = form->vlFunctions;
    ASSERT_EQ(table->rowCount(), 1);
    table->setCurrentCell(0, 0);
    Key(Qt::Key_Down);  // an empty last row gets no follower
    EXPECT_EQ(table->rowCount(), 1);
    table->setItem(0, 0, new QTableWidgetItem("a"));
    Key(Qt::Key_Down);
    EXPECT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->currentRow(), 1);
    table->setItem(1, 0, new QTableWidgetItem("a"));  // typed twice: refused
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Duplicate Name: A key with the name \"a\" already exists");
    EXPECT_EQ(table->item(1, 0)->text(), "");
    table->item(1, 0)->setText("b");
    Key(Qt::Key_Insert);
    EXPECT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->currentRow(), 2);
    table->setCurrentCell(0, 0);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(0, 0)->text(), "b");
    Key(Qt::Key_Delete, Qt::ControlModifier);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(table->rowCount(), 1);  // always a row to type in
}

// A name typed over a row's name that another row has: refused, and the row
// keeps its name.
TEST_F(ExpressionFieldsTest, ARefusedNameLeavesTheRowItsName)
{
    form->SetFieldRows({{"x1", "1"}, {"x2", "2"}});
    for (const char* typed : {"x1", "x3", "x1"})
        form->vlFunctions->item(1, 0)->setText(typed);
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[0].text, "Duplicate Name: A key with the name \"x1\" already exists");
    EXPECT_EQ(form->FieldRows(), (std::vector<FieldDefinition>{{"x1", "1"}, {"x3", "2"}}));
}

}  // namespace
