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
#include "support/TestData.h"
#include "ui/OpenLogs.h"
#include "ui/main.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using Notice = std::pair<std::string, std::string>;

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
    form->BtnAddFunctionSeries->click();

    EXPECT_EQ(hooks.notices,
              (std::vector<Notice>{{"Syntax error at the end (column 13)", "Function evaluation error !"}}));
    EXPECT_EQ(hooks.beeps, 1);
    EXPECT_EQ(hooks.waitTexts.front(), "Evaluating function 'user.speed=sqrt(sqr(Ball.vel.dx) + sqr(Ball.vel.dy))'");
    EXPECT_EQ(hooks.waitTexts.size(), 1u + 1u + 22u);
    ASSERT_EQ(form->ListView->count(), kSchemaLeaves + 2 + 22);
    EXPECT_EQ(form->ListView->item(kSchemaLeaves + 2 + 22 - 1)->text(), "user.broken");
    EXPECT_EQ(form->ListView->item(kSchemaLeaves + 22)->text(), "user.speed");
    EXPECT_EQ(form->ListView->item(PlayerLeafIndex(0, playerleaf::kCount))->text(), "Lplayer1.user.bdist");
    EXPECT_EQ(form->TreeView->topLevelItem(form->TreeView->topLevelItemCount() - 1)->text(0), "user");
    EXPECT_GT(log->stream->FindChannel("user.speed")->GetValue(100), 0.0);
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(ExpressionFieldsTest, WithoutALogCreateBeepsAndDoesNothing)
{
    form->SetFieldRows({{"speed", "1"}});
    form->BtnAddFunctionSeries->click();
    EXPECT_EQ(hooks.beeps, 1);
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
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[0].text,
              "Cannot read the file " + QString::fromStdString(dir) + "/missing.txt: No such file or directory");
    EXPECT_EQ(script.messages[1].text,
              "Cannot create file \"" + QString::fromStdString(dir) + "/no/such/folder/fields.txt\"");
    EXPECT_EQ(form->FieldRows(), rows);

    // A cancelled dialog changes nothing.
    form->BtnLoadFields->click();
    EXPECT_EQ(form->FieldRows(), rows);
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

}  // namespace
