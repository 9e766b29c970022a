// Cancel of a sleeping stand-in learner under the strategy window shown
// modally for real, and in the action-graph window's "Revalidate all" series.
// The C table of an export that ended early must still compile.
#include "LearnNodeWindow.h"
#include "LearnerStandIn.h"

#include "strategy/model/LearnerFiles.h"

#include "actiongraph/StrategyLink.h"
#include "ui/StringGrid.h"

#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QSet>
#include <QScrollBar>

#include <functional>
#include <optional>

using namespace standin;

namespace {

void ExpectCompiles(const QStringList& memo) { EXPECT_EQ(CompileAndWalk(memo.join('\n').toStdString()), ""); }

// How the wait window showed at each paint of its text: whole on the screen,
// Cancel offered and in one place, or else a fault. While the examples after the
// second learner run are saved, Cancel is pressed as the window system does.
struct WaitWatch : QObject {
    WaitWatch() { QCoreApplication::instance()->installEventFilter(this); }
    ~WaitWatch() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        shown += event->type() == QEvent::Show && qobject_cast<TWaitForm*>(watched);
        if (event->type() != QEvent::Paint || !WaitForm || watched != WaitForm->LabelText)
            return false;
        QPushButton* cancel = WaitForm->CancelButton;
        const QString text = WaitForm->LabelText->text();
        const QPointF at(cancel->rect().center()), global = cancel->mapToGlobal(at);
        if (!cancel->isVisible() || global != cancelAt.value_or(global) ||
            !QGuiApplication::primaryScreen()->availableGeometry().contains(WaitForm->frameGeometry()))
            faults << text;
        cancelAt = global;
        if (text.startsWith("Learning rules of "))
            learning.insert(text);
        if (text.startsWith("Saving ") && learning.size() == 2 && !pressed) {
            pressed = true;
            QCoreApplication::postEvent(cancel, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                                Qt::LeftButton, Qt::NoModifier));
            QCoreApplication::postEvent(cancel, new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        }
        return false;
    }
    std::optional<QPointF> cancelAt;
    QStringList faults;
    QSet<QString> learning;
    int shown = 0;
    bool pressed = false;
};

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
        form->SetTestGraph(child);  // the sweep tests every run's rules
        // Far past what a Cancel needs on a loaded machine: a Cancel not heard
        // shows as a learner stopped at its limit.
        form->learnerTimeoutMs = 30000;
        WriteSleepingLearner(folder, "*");
        user.emplace(folder);
    }
    // Shows the strategy window modally as "Revalidate" does; inside its modal
    // loop chooses the chain, lets the user act, then closes the window.
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
        QTimer::singleShot(40000, form.get(), [this] { form->done(QDialog::Rejected); });
        form->Init(child, false, nullptr);
        EXPECT_TRUE(modal);
    }
    // One Cancel, heard before the learner's limit, no message box, no learner
    // process left; the memo says "cancelled" once.
    QStringList ExpectOneCancel(int runs)
    {
        EXPECT_EQ(user->cancels, 1);
        EXPECT_EQ(user->messages, 0);
        EXPECT_EQ(Runs(folder), runs);
        ExpectNoneRunning(*user);
        EXPECT_EQ(WaitForm, nullptr);
        const QStringList memo = Lines(form->MemoRules);
        EXPECT_EQ(memo.filter("cancelled").size(), 1) << memo.join('\n').toStdString();
        return memo;
    }
    // "Revalidate all" with the series checked, from one connected node on.
    QStringList RevalidateAll(QCheckBox* series)
    {
        SetStrategyLink(form.get());
        series->setChecked(true);
        child->sbMinConnected->setValue(1);
        child->btnRevalidateAll->click();
        SetStrategyLink(nullptr);
        form->hide();
        EXPECT_FALSE(form->learners.Active());
        return ExpectOneCancel(1);
    }
    std::optional<User> user;
};

}  // namespace

// The line of a node its learner left without rules, in the table a comment
// that ends where it should, on the screen the reason.
TEST(NotLearntRuleLine, AComment)
{
    const auto line = [](const std::string& name, const std::string& reason, bool computerOutput) {
        StrategyChunk chunk(name, nullptr, nullptr, 1.0, -2.5, 0.0, false);
        chunk.SetNotLearnt("learner failed: " + reason);
        return RuleLine(nullptr, chunk, computerOutput);
    };
    EXPECT_EQ(line("a*/b", "x /* y ?" "?= z", true), "  /* a* /b: not learnt: learner failed: x / * y ? ?= z */ \\");
    EXPECT_EQ(line("L:Pass", "cancelled", false), "L:Pass (1.00, -2.50) <= \tnot learnt: learner failed: cancelled");
    // A reason is one line of printable text, in the table and on the screen.
    EXPECT_EQ(line("L:Pass", "a\rb\nc\td\x1b*/", true), "  /* L:Pass: not learnt: learner failed: a b c d * / */ \\");
    EXPECT_EQ(line("L:Pass", "a\rb", false), "L:Pass (1.00, -2.50) <= \tnot learnt: learner failed: a b");
    EXPECT_EQ(NotLearntLine(2, "too few\rexamples"), "// 2 nodes not learnt (first: too few examples)");
}

TEST_F(CancelLearner, GenerateRulesUnderTheModalStrategyWindow)
{
    InModalWindow([this] { UserClick(form->BtnSaveRules); });
    EXPECT_TRUE(ExpectOneCancel(1).last().endsWith("<= \tnot learnt: cancelled"));
}

// The second run is cancelled: its strategy is the last block and the table compiles.
TEST_F(CancelLearner, AllRulesUnderTheModalStrategyWindow)
{
    WriteSleepingLearner(folder, "[2-9]");
    form->cbComputerOutput->setChecked(true);
    InModalWindow([this] { UserClick(form->btnAllRules); });
    const QStringList memo = ExpectOneCancel(2);
    EXPECT_EQ(memo.filter("// Export stopped").size(), 1);
    EXPECT_EQ(memo[memo.size() - 2], "// Export stopped by Cancel");
    EXPECT_TRUE(memo.last().startsWith("// Saved to ")) << memo.last().toStdString();
    // The first strategy gave no result: a comment, not a row.
    EXPECT_EQ(memo.filter("#define NUMACTIONRULES 0").size(), 1) << memo.join('\n').toStdString();
    ExpectCompiles(memo);
}

// The parameter sweep (a right click on the strategy grid): Cancel in its
// first run ends all twelve settings, with one row that says so.
TEST_F(CancelLearner, TheSweepUnderTheModalStrategyWindow)
{
    form->cbVerbose->setCheckState(Qt::Unchecked);
    InModalWindow([this] {
        UserClick(form->sgStrategy, Qt::RightButton);
        EXPECT_TRUE(QTest::qWaitFor([this] { return Runs(folder) > 0; }, 10000));  // it starts after the click
    });
    const QStringList memo = ExpectOneCancel(1);
    ASSERT_EQ(memo.size(), 2) << memo.join('\n').toStdString();
    EXPECT_TRUE(memo[1].endsWith("85\tcancelled")) << memo[1].toStdString();
}

// Cancel in the first export ends the whole series of levels and lengths.
TEST_F(CancelLearner, GenerateAllStopsTheWholeSeries)
{
    const QStringList memo = RevalidateAll(child->cbGenerateAll);
    EXPECT_EQ(memo.filter("// *** Abstraction").size(), 1) << memo.join('\n').toStdString();
    EXPECT_EQ(memo.filter("// * Generating").size(), 1);
    EXPECT_EQ(memo.filter("// Export stopped by Cancel").size(), 1);
    EXPECT_EQ(child->EditValue->text(), "0.5");
}

// Cancel in the sweep at the first join value ends the series of twenty-one.
TEST_F(CancelLearner, TestAllStopsTheWholeSeries)
{
    StoreTestStrategyOfFirstJoin();
    if (HasFatalFailure())
        return;
    form->cbVerbose->setCheckState(Qt::Unchecked);
    RevalidateAll(child->cbTestAll);
    EXPECT_EQ(child->EditValue->text(), "0");
}

// A failed learner ends the export after the failed strategy's block; the
// table compiles all the same.
TEST_F(CancelLearner, AFailedNodeLeavesATableThatCompiles)
{
    WriteScript(folder + "/callweka", "echo run >> \"" + folder + "/runs\"\n[ $(wc -l < \"" + folder +
                                          "/runs\") -lt 2 ] && exit 0\necho 'no */ Java' >&2\nexit 3\n");
    form->cbComputerOutput->setChecked(true);
    platform::DialogScript script;
    form->btnAllRulesClick();
    EXPECT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(Runs(folder), 2);
    const QStringList memo = Lines(form->MemoRules);
    EXPECT_GE(memo.filter("learner failed: callweka exit code 3 (no * / Java)").size(), 1)
        << memo.join('\n').toStdString();
    EXPECT_TRUE(memo[memo.size() - 2].startsWith("// Export stopped: learner failed: callweka exit code 3"));
    ExpectCompiles(memo);
}

// "Generate rules" with the strategy window at the screen's bottom right: one
// wait window, shown once, its Cancel there all the time, where a press while
// examples are saved ends the command before the next run.
TEST_F(CancelLearner, OneWaitWindowInOnePlaceForTheWholeCommand)
{
    WriteSleepingLearner(folder, "0");  // every run ends at once, with no result
    form->move(QGuiApplication::primaryScreen()->availableGeometry().bottomRight() - QPoint(100, 50));
    WaitWatch watch;
    InModalWindow([this] { form->BtnSaveRules->click(); });
    EXPECT_EQ(watch.shown, 1);
    EXPECT_TRUE(watch.faults.isEmpty()) << watch.faults.join('\n').toStdString();
    EXPECT_EQ(watch.learning.size(), 3);  // the third shown, then cancelled before it ran
    EXPECT_EQ(Runs(folder), 2);
    EXPECT_EQ(Lines(form->MemoRules).filter("cancelled").size(), 1);
}
