// Cancel of an outside learner where the user meets it: the strategy window
// shown modally for real (no script stands in for its modal loop) with
// "Generate rules" and "All Rules", and the action-graph window's "Revalidate
// all" with "Generate all". A stand-in learner that sleeps (with a child that
// sleeps too) runs; Cancel is clicked in the wait window through the window
// system, where a modal window blocks every window that is not above it.
// The C table of a stopped export must still compile.
#include "LearnNodeWindow.h"
#include "LearnerStandIn.h"

#include "actiongraph/StrategyLink.h"
#include "ui/StringGrid.h"
#include "ui/waitFormWin.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cstdlib>
#include <fstream>
#include <functional>

using namespace standin;

namespace {

int Count(const QStringList& lines, const QString& text)
{
    int n = 0;
    for (const QString& line : lines)
        n += line.contains(text) ? 1 : 0;
    return n;
}

// "cc -std=c11 -Wall -Werror -fsyntax-only" on the memo's table, its block
// switched on and its RULES expanded; empty when it compiles, else what the
// compiler said.
std::string CompileErrors(const QStringList& memo, const std::string& folder)
{
    const QString cc = QStandardPaths::findExecutable("cc");
    if (cc.isEmpty())
        return "no C compiler (cc)";
    QString source = "typedef struct { const char *action; const char *condition; } tActionRule;\n"
                     "#define tActionRule(action, condition) { #action, condition }\n";
    for (const QString& line : memo)
        if (line.startsWith("#ifdef "))
            source += "#define " + line.mid(7) + "\n";
    source += memo.join('\n') + "\nRULES\n";
    const std::string file = folder + "/table.c";
    std::ofstream(file) << source.toStdString();
    QProcess compiler;
    compiler.setProcessChannelMode(QProcess::MergedChannels);
    compiler.start(cc, {"-std=c11", "-Wall", "-Werror", "-fsyntax-only", QString::fromStdString(file)});
    if (!compiler.waitForFinished(30000) || compiler.exitCode() != 0)
        return compiler.readAll().toStdString() + "\n" + source.toStdString();
    return {};
}

bool CompilerMissing()
{
    return QStandardPaths::findExecutable("cc").isEmpty() && !std::getenv("CI");
}

class CancelLearner : public GenerateRules {
protected:
    void SetUp() override
    {
        GenerateRules::SetUp();
        // A second strategy: the chain's first connection alone.
        auto one = std::make_shared<TPathObject>();
        one->Connections() = {child->Graph->GetConnection(0)};
        child->Paths.Add("single", one);
        child->cbPathFunc->setCurrentIndex(16);  // "avg, len=4": room for every node
        form->Attach(child, nullptr);
        form->dataFileName = folder + "/test.data";
        // Long past the bound below: a Cancel that is not heard shows.
        form->learnerTimeoutMs = 8000;
    }
    void TearDown() override
    {
        SetStrategyLink(nullptr);
        GenerateRules::TearDown();
    }
    // Shows the strategy window modally as "Revalidate" does, and inside its
    // modal loop chooses the chain, lets the user act, then closes the window.
    void InModalWindow(const std::function<void()>& act)
    {
        bool modal = false;
        QTimer::singleShot(0, [&] {
            modal = QApplication::activeModalWidget() == form.get();
            for (int i = 0; i < form->pathItems.Count(); ++i)
                if (form->pathItems.Text(i) == "chain")
                    form->lbPath->setCurrentRow(i);
            act();
            form->BtnClose->click();
        });
        // Should the window stay open, the test ends all the same.
        QTimer::singleShot(40000, form.get(), [this] { form->done(QDialog::Rejected); });
        form->Init(child, false, nullptr);
        EXPECT_TRUE(modal);
    }
    void InModalWindow(QPushButton* TFormStrategy::*button)
    {
        InModalWindow([this, button] { UserClick(form.get()->*button); });
    }
    void ExpectNothingLeft()
    {
        const QStringList pids = QString::fromStdString(ReadBytes(folder + "/pids")).split('\n', Qt::SkipEmptyParts);
        for (const QString& pid : pids)
            EXPECT_FALSE(Running(pid.toStdString())) << pid.toStdString();
        EXPECT_EQ(WaitForm, nullptr);
    }
};

}  // namespace

TEST(FailedRuleLine, AComment)
{
    struct Case {
        const char* name;
        const char* reason;
        bool computer;
        const char* line;
    };
    for (const Case& c : {
             Case{"L:Pass", "cancelled", true, "  /* L:Pass: learner failed: cancelled */ \\"},
             Case{"a*/b", "x /* y ?" "?= z", true, "  /* a* /b: learner failed: x / * y ? ?= z */ \\"},
             Case{"L:Pass", "cancelled", false, "L:Pass (1.00, -2.50) <= \tlearner failed: cancelled"},
         })
        EXPECT_EQ(FailedRuleLine(c.name, 1.0, -2.5, c.reason, c.computer), c.line) << c.name;
}

TEST_F(CancelLearner, GenerateRulesUnderTheModalStrategyWindow)
{
    WriteScript(folder + "/callweka", SleepingLearner(folder, "*"));
    form->cbComputerOutput->setChecked(false);
    const User user(folder);
    InModalWindow(&TFormStrategy::BtnSaveRules);

    EXPECT_EQ(user.cancels, 1);
    ASSERT_TRUE(user.sinceCancel.isValid());
    EXPECT_LT(user.sinceCancel.elapsed(), 4000);
    EXPECT_EQ(user.messages, 0);
    EXPECT_EQ(Runs(folder), 1);
    const QStringList memo = Lines(form->MemoRules);
    EXPECT_EQ(Count(memo, "cancelled"), 1) << memo.join('\n').toStdString();
    EXPECT_TRUE(memo.last().endsWith("learner failed: cancelled")) << memo.join('\n').toStdString();
    ExpectNothingLeft();
}

// The second learner run is cancelled: the strategy it belongs to is the last
// block, nothing after it is learnt, and the table compiles.
TEST_F(CancelLearner, AllRulesUnderTheModalStrategyWindow)
{
    WriteScript(folder + "/callweka", SleepingLearner(folder, "[2-9]"));
    form->cbComputerOutput->setChecked(true);
    const User user(folder);
    InModalWindow(&TFormStrategy::btnAllRules);

    EXPECT_EQ(user.cancels, 1);
    ASSERT_TRUE(user.sinceCancel.isValid());
    EXPECT_LT(user.sinceCancel.elapsed(), 4000);
    EXPECT_EQ(user.messages, 0);
    EXPECT_EQ(Runs(folder), 2);
    const QStringList memo = Lines(form->MemoRules);
    EXPECT_EQ(Count(memo, "cancelled"), 1) << memo.join('\n').toStdString();
    EXPECT_EQ(Count(memo, "// Export stopped"), 1);
    EXPECT_EQ(memo.last().toStdString(), "// Export stopped by Cancel");
    EXPECT_EQ(Count(memo, "#define NUMACTIONRULES 1"), 1);
    ExpectNothingLeft();
    if (CompilerMissing())
        GTEST_SKIP() << "no C compiler (cc)";
    EXPECT_EQ(CompileErrors(memo, folder), "");
}

// The parameter sweep (a right click on the strategy grid): Cancel in its
// first learner run ends all twelve settings, with one row that says so.
TEST_F(CancelLearner, TheSweepUnderTheModalStrategyWindow)
{
    WriteScript(folder + "/callweka", SleepingLearner(folder, "*"));
    form->cbVerbose->setCheckState(Qt::Unchecked);
    const User user(folder);
    InModalWindow([this] {
        QWidget* grid = form->sgStrategy;
        QWidget* top = grid->window();
        QTest::mouseClick(top->windowHandle(), Qt::RightButton, Qt::NoModifier,
                          grid->mapTo(top, grid->rect().center()));
        // The sweep starts once the click is over.
        QElapsedTimer clock;
        clock.start();
        while (Runs(folder) == 0 && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    });

    EXPECT_EQ(user.cancels, 1);
    ASSERT_TRUE(user.sinceCancel.isValid());
    EXPECT_LT(user.sinceCancel.elapsed(), 4000);
    EXPECT_EQ(user.messages, 0);
    EXPECT_EQ(Runs(folder), 1);
    const QStringList memo = Lines(form->MemoRules);
    ASSERT_EQ(memo.size(), 2) << memo.join('\n').toStdString();
    EXPECT_TRUE(memo[1].endsWith("\tlearner failed: cancelled")) << memo[1].toStdString();
    ExpectNothingLeft();
}

// "Revalidate all" with "Generate all": Cancel in the first export ends the
// whole series of levels and lengths.
TEST_F(CancelLearner, GenerateAllStopsTheWholeSeries)
{
    WriteScript(folder + "/callweka", SleepingLearner(folder, "*"));
    SetStrategyLink(form.get());
    child->cbGenerateAll->setChecked(true);
    child->sbMinConnected->setValue(1);
    const User user(folder);
    child->btnRevalidateAll->click();
    form->hide();

    EXPECT_EQ(user.cancels, 1);
    ASSERT_TRUE(user.sinceCancel.isValid());
    EXPECT_LT(user.sinceCancel.elapsed(), 4000);
    EXPECT_EQ(Runs(folder), 1);
    const QStringList memo = Lines(form->MemoRules);
    EXPECT_EQ(Count(memo, "// *** Abstraction"), 1) << memo.join('\n').toStdString();
    EXPECT_EQ(Count(memo, "// * Generating"), 1);
    EXPECT_EQ(Count(memo, "cancelled"), 1);
    EXPECT_EQ(Count(memo, "// Export stopped by Cancel"), 1);
    EXPECT_EQ(child->EditValue->text(), "0.5");
    EXPECT_FALSE(form->learners.Active());
    ExpectNothingLeft();
}

// "Revalidate all" with "Test all": Cancel in the sweep at the first join
// value ends the series of twenty-one.
TEST_F(CancelLearner, TestAllStopsTheWholeSeries)
{
    WriteScript(folder + "/callweka", SleepingLearner(folder, "*"));
    // The strategy stored is one of the graph as the series' first join
    // leaves it: the series finds it there.
    child->EditValue->setText("0");
    child->BtnJoinNearestClick();
    child->ClearPaths();
    child->FindPaths(child->Graph, 1, child->Paths);
    form->Attach(child, nullptr);
    form->lbPath->setCurrentRow(0);
    form->btnStoreTestClick();
    ASSERT_FALSE(form->testChunks.empty());
    form->cbVerbose->setCheckState(Qt::Unchecked);
    SetStrategyLink(form.get());
    child->cbTestAll->setChecked(true);
    child->sbMinConnected->setValue(1);
    const User user(folder);
    child->btnRevalidateAll->click();

    EXPECT_EQ(user.cancels, 1);
    EXPECT_EQ(Runs(folder), 1);
    EXPECT_EQ(child->EditValue->text(), "0");
    const QStringList memo = Lines(form->MemoRules);
    EXPECT_EQ(Count(memo, "cancelled"), 1) << memo.join('\n').toStdString();
    EXPECT_FALSE(form->learners.Active());
    ExpectNothingLeft();
}

// A learner that fails ends the export after the failed strategy's block;
// the table compiles all the same.
TEST_F(CancelLearner, AFailedNodeLeavesATableThatCompiles)
{
    WriteScript(folder + "/callweka", "echo run >> \"" + folder + "/runs\"\nn=$(wc -l < \"" + folder +
                                          "/runs\")\n[ \"$n\" -lt 2 ] && exit 0\necho 'no */ Java' >&2\nexit 3\n");
    form->cbComputerOutput->setChecked(true);
    platform::DialogScript script;
    for (int i = 0; i < form->pathItems.Count(); ++i)
        if (form->pathItems.Text(i) == "chain")
            form->lbPath->setCurrentRow(i);
    form->btnAllRulesClick();
    EXPECT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(Runs(folder), 2);
    const QStringList memo = Lines(form->MemoRules);
    EXPECT_GE(Count(memo, "learner failed: callweka exit code 3 (no * / Java)"), 1) << memo.join('\n').toStdString();
    EXPECT_TRUE(memo.last().startsWith("// Export stopped: learner failed: callweka exit code 3"));
    if (CompilerMissing())
        GTEST_SKIP() << "no C compiler (cc)";
    EXPECT_EQ(CompileErrors(memo, folder), "");
}
