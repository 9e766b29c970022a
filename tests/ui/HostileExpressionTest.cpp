// Expressions nested far too deep through every window that parses one (chart
// function, marks criteria, the expression box, expression channels, the field
// window's custom event), and fields files that are none: a message in the
// window's usual way, nothing made, nothing lost.
#include "MainFormFixture.h"
#include "UiTestMain.h"

#include "core/expr/Expression.h"
#include "core/io/FieldsFile.h"
#include "core/model/RoboCupFile.h"
#include "core/model/TimeMarks.h"
#include "platform/qt/Dialogs.h"
#include "support/HandFilledLog.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"
#include "ui/FieldPicture.h"
#include "ui/OpenLogs.h"
#include "ui/childChartWin.h"
#include "ui/main.h"

#include <QCheckBox>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <qcustomplot.h>
#include <gtest/gtest.h>

#include <fstream>

namespace {

// 20,000 levels of brackets: 40 KB of text, deep enough to end the parser.
const QString kDeep = QString(20000, '(') + "1" + QString(20000, ')');
// Short enough for the length limit, too deep all the same.
const QString kDeepShort = QString(3000, '(') + "1" + QString(3000, ')');

class HostileExpressionTest : public MainFormFixture {
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        form->OpenLogFiles({QString::fromStdString(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"))});
        log = form->Logs->Current();
        ASSERT_NE(log, nullptr);
        leaves = log->stream->GetLeaves().size();
    }
    // The one message shown since the last call.
    QString Message(const QString& caption)
    {
        if (script.messages.size() != 1u) {
            ADD_FAILURE() << script.messages.size() << " messages";
            return {};
        }
        EXPECT_EQ(script.messages[0].caption, caption);
        const QString text = script.messages[0].text;
        script.messages.clear();
        return text;
    }
    void Answer(const std::string& file)
    {
        platform::FileDialogResult r;
        r.accepted = true;
        r.files = {QString::fromStdString(file)};
        script.files.push_back(r);
    }

    platform::DialogScript script;
    RoboCupFileT* log = nullptr;
    std::size_t leaves = 0;
};

}  // namespace

TEST_F(HostileExpressionTest, ChartFunctionMakesNoSeries)
{
    form->BtnAdd1d->click();
    auto* chart = qobject_cast<TMDIChartChild*>(form->MdiArea->subWindowList().back());
    ASSERT_NE(chart, nullptr);
    form->MdiArea->setActiveSubWindow(chart);
    form->cbFunction->setChecked(true);
    for (const QString& text : {kDeep, kDeepShort}) {
        form->MemoTimeRangeFunction->setPlainText(text);
        form->BtnAddTimeRange->click();
        EXPECT_EQ(Message("Error !"), QString::fromStdString(CheckExpressionText(text.toStdString())));
        EXPECT_EQ(chart->Chart->plottableCount(), 0);
    }
    // A text that merely does not parse says where.
    form->MemoTimeRangeFunction->setPlainText("cycle * Foo");
    form->BtnAddTimeRange->click();
    EXPECT_EQ(Message("Error !"), "Syntax error: Unknown identifier at \"Foo\" (column 9)");
}

TEST_F(HostileExpressionTest, CriteriaMarkNothingAndKeepTheMarks)
{
    form->Marks.Assign({3, 30});
    form->cbUseCriteriaFunction->setChecked(true);
    form->MemoMarksFunction->setPlainText(kDeep);
    form->BtnAddMarks->click();
    EXPECT_EQ(Message("Function evaluation error !"), "Expression too long");
    form->MemoMarksFunction->setPlainText("-" + kDeepShort);
    form->BtnRemoveMarks->click();
    EXPECT_EQ(Message("Function evaluation error !"), "Expression nested too deeply (more than 200 levels)");
    // The column is the criterion's own, not that of the test made around it.
    form->MemoMarksFunction->setPlainText("cycle > Foo");
    form->BtnAddMarks->click();
    EXPECT_EQ(Message("Function evaluation error !"), "Syntax error: Unknown identifier at \"Foo\" (column 9)");
    EXPECT_EQ(form->Marks.Cycles(), (std::vector<int>{3, 30}));
}

TEST_F(HostileExpressionTest, ExpressionBoxRefusesAndParsesNothing)
{
    LogExpression expression(*log);
    EXPECT_EQ(TMainForm::SetupExpressionParser(expression, kDeep), -1);
    EXPECT_EQ(Message("Function evaluation error !"), "Expression too long");
    EXPECT_FALSE(expression.IsParsed());
    EXPECT_EQ(TMainForm::SetupExpressionParser(expression, QString(100000, '!') + "1"), -1);
    EXPECT_EQ(Message("Function evaluation error !"), "Expression too long");
    EXPECT_EQ(expression.Evaluate(5), 0.0);
}

TEST_F(HostileExpressionTest, ExpressionChannelsMakeNoLeafForARefusedText)
{
    // The fields file cannot bring such a line in.
    const std::string dir = MakeTempDir("hostile-fields");
    {
        std::ofstream out(dir + "/deep.txt", std::ios::binary);
        out << "fine=cycle\r\ndeep=" << kDeep.toStdString() << "\r\n";
    }
    Answer(dir + "/deep.txt");
    form->BtnLoadFields->click();
    EXPECT_EQ(Message("Error"), QString::fromStdString("\"" + dir + "/deep.txt\" is no fields file: line 2 is longer "
                                                       "than 10000 characters"));
    // Typed or pasted into the editor, it is refused when the channels are made.
    form->SetFieldRows({{"deep", kDeep.toStdString()}, {"deeper", kDeepShort.toStdString()}, {"fine", "cycle"}});
    RecordingHooks hooks;
    form->BtnAddFunctionSeries->click();
    EXPECT_EQ(Message("Error"), "2 rows were refused:\nrow 1 \"deep\": Expression too long\nrow 2 \"deeper\": "
                                "Expression nested too deeply (more than 200 levels)");
    EXPECT_TRUE(hooks.notices.empty());
    EXPECT_EQ(log->stream->FindChannel("user.deep"), nullptr);
    EXPECT_EQ(log->stream->FindChannel("user.deeper"), nullptr);
    EXPECT_NE(log->stream->FindChannel("user.fine"), nullptr);
    EXPECT_EQ(log->stream->GetLeaves().size(), leaves + 1);
}

TEST_F(HostileExpressionTest, FilesThatAreNoFieldsFileKeepTheEditorsRows)
{
    const std::vector<FieldDefinition> rows{{"speed", "sqr(Ball.vel.dx)"}, {"near", "dist(Ball, PLAYER, cycle) < 5"}};
    form->SetFieldRows(rows);
    const std::string dir = MakeTempDir("no-fields");
    {
        std::ofstream out(dir + "/long.txt", std::ios::binary);
        out << "a=1\r\nb=" << std::string(10000, '1') << "\r\n";
        std::ofstream(dir + "/blank.txt", std::ios::binary) << "\r\n  \n";
    }
    const struct {
        std::string file;
        QString refusal;
    } cases[] = {
        {GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), "line 1 is not text (a NUL byte)"},
        {dir + "/blank.txt", "no line holds name=expression"},
        {dir + "/long.txt", "line 2 is longer than 10000 characters"},
    };
    for (const auto& c : cases) {
        Answer(c.file);
        form->BtnLoadFields->click();
        EXPECT_EQ(Message("Error"), "\"" + QString::fromStdString(c.file) + "\" is no fields file: " + c.refusal);
        EXPECT_EQ(form->FieldRows(), rows) << c.file;
    }
}

TEST(HostileCustomEvent, DrawsNothingAndKeepsNoParsedExpression)
{
    EnsureApp();
    HandFilledLog hand(3);
    const ViewRect view{20, 20, 300, 200};
    QImage pitch(320, 220, QImage::Format_RGB32);
    QImage field(320, 220, QImage::Format_RGB32);
    DrawPitch(pitch, view, false);
    FieldOptions o;
    o.selected[2] = true;
    o.customEvent = true;
    CustomEventCache events;
    for (const QString& text : {kDeep, kDeepShort}) {
        o.eventText = text.toStdString();
        PaintFieldPicture(field, pitch, view, o, *hand.log, {1, 0, 2}, &events);
        const std::string wrapped = "if (" + o.eventText + ", 1, 0)";
        EXPECT_FALSE(events.For(*hand.log, wrapped).IsParsed());
    }
    // The same picture with a text that holds nowhere: the refusal drew nothing either.
    QImage plain = field;
    o.eventText = "0";
    PaintFieldPicture(plain, pitch, view, o, *hand.log, {1, 0, 2}, &events);
    EXPECT_EQ(field, plain);
}
