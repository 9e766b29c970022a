// How a strategy node stands after "Generate rules" on a real match goes
// wrong, or asks no learner: a learner that fails, one cancelled while it
// runs, a dataset that cannot be written, a dataset type with no learner,
// "Display Data", a threshold that is no number. No node without rules reads
// "FALSE" or is counted by a check; the node "No Last Node" leaves out reads
// "TRUE" and covers every cycle.
#include "LearnNodeWindow.h"

#include "platform/SaveFile.h"
#include "strategy/model/LearnerFiles.h"
#include "strategy/model/RuleExport.h"
#include "ui/waitFormWin.h"

#include <QComboBox>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTimer>

#include <filesystem>
#include <optional>

namespace {

int Runs(const std::string& folder)
{
    const std::string runs = ReadBytes(folder + "/runs");
    return static_cast<int>(std::count(runs.begin(), runs.end(), '\n'));
}

// Presses Cancel in the wait window once the learner has started.
class CancelOnceRunning {
public:
    explicit CancelOnceRunning(const std::string& folder)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this, folder] {
            if (!WaitForm || !std::filesystem::exists(folder + "/runs"))
                return;
            timer_.stop();
            QPushButton* cancel = WaitForm->CancelButton;
            const QPointF at(cancel->width() / 2.0, cancel->height() / 2.0);
            QCoreApplication::postEvent(cancel, new QMouseEvent(QEvent::MouseButtonPress, at, cancel->mapToGlobal(at),
                                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
            QCoreApplication::postEvent(cancel, new QMouseEvent(QEvent::MouseButtonRelease, at,
                                                                cancel->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                                                                Qt::NoModifier));
        });
        timer_.start(20);
    }

private:
    QTimer timer_;
};

// Sets TMPDIR for the scope: the program's private folder is this test's own.
class TmpDir {
public:
    explicit TmpDir(const std::string& name) : had_(qEnvironmentVariableIsSet("TMPDIR")), old_(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", QByteArray::fromStdString(MakeTempDir(name)));
    }
    ~TmpDir()
    {
        if (had_)
            qputenv("TMPDIR", old_);
        else
            qunsetenv("TMPDIR");
    }
    TmpDir(const TmpDir&) = delete;
    TmpDir& operator=(const TmpDir&) = delete;

private:
    bool had_;
    QByteArray old_;
};

// The memo's lines that test a cycle or give a strategic figure.
int CountedLines(const QStringList& lines)
{
    return static_cast<int>(lines.filter(QRegularExpression("^\\d+: (true|false)$")).size() +
                            lines.filter("Strategic evaluation").size());
}

}  // namespace

// Each way a learner run gives no rules: the nodes read "not learnt" with the
// reason, one message at most, the command ends by itself; then Check Rules
// counts no cycle and Test rules refuses, naming the node.
TEST_F(GenerateRules, ANodeWithoutRulesNeverReadsFalseNorCountsACycle)
{
    struct Case {
        const char* name;
        std::string learner;
        std::string dataFile;
        bool cancel;
        int messages;   // during "Generate rules"
        int runs;       // of the learner
        QString reason; // of the first node
        int evaluated;  // nodes the user's rule was evaluated for
    };
    const Case cases[] = {
        {"fails", "echo run >> \"" + folder + "/runs\"\nexit 1\n", folder + "/test.data", false, 1, 1,
         "not learnt: learner failed: callweka exit code 1", 3},
        {"cancelled", "echo run >> \"" + folder + "/runs\"\nsleep 30\n", folder + "/test.data", true, 0, 1,
         "not learnt: cancelled", 0},
        {"no folder", "echo run >> \"" + folder + "/runs\"\n", folder + "/no-such/test.data", false, 1, 0,
         "not learnt: Cannot write the file " + QString::fromStdString(folder) + "/no-such/test-", 0},
    };
    form->SetTestGraph(child);
    form->EditRule->setText(QString::fromStdString("(" + log_->features->GetName(0) + " = 1)"));
    form->BtnEvaluateRuleClick();
    ASSERT_EQ(form->ownRule.Size(), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(folder + "/runs");
        WriteScript(folder + "/callweka", c.learner);
        form->EditFName->setText(QString::fromStdString(c.dataFile));
        form->MemoRules->clear();
        form->cbVerbose->setCheckState(Qt::PartiallyChecked);
        std::optional<CancelOnceRunning> user;
        if (c.cancel)
            user.emplace(folder);
        platform::DialogScript script;
        form->BtnSaveRules->click();
        EXPECT_EQ(WaitForm, nullptr);
        EXPECT_EQ(static_cast<int>(script.messages.size()), c.messages);
        EXPECT_EQ(Runs(folder), c.runs);
        if (c.messages == 1 && c.runs == 0) {  // the save's own words, naming the file
            EXPECT_TRUE(script.messages[0].detail.startsWith(c.reason.mid(12)))
                << script.messages[0].detail.toStdString();
        }
        const QStringList memo = Lines(form->MemoRules);
        const QStringList ruleLines = memo.filter(" <= \t");
        ASSERT_FALSE(ruleLines.isEmpty()) << memo.join('\n').toStdString();
        EXPECT_TRUE(ruleLines[0].contains(" <= \t" + c.reason)) << ruleLines[0].toStdString();
        EXPECT_EQ(memo.filter("FALSE").size(), 0) << memo.join('\n').toStdString();
        EXPECT_EQ(memo.filter("Evaluating rule").size(), c.evaluated);
        for (const auto& chunk : form->chunks)
            EXPECT_NE(chunk->State(), TChunkState::Learnt) << chunk->GetName();

        form->cbVerbose->setCheckState(Qt::Checked);
        form->BtnCheckRulesClick();
        EXPECT_EQ(CountedLines(Lines(form->MemoRules)), 0);
        EXPECT_GT(Lines(form->MemoRules).filter(QRegularExpression("^\\d+: (not learnt|no rules yet)$")).size(), 0);
        form->BtnTestRulesClick();
        ASSERT_EQ(static_cast<int>(script.messages.size()), c.messages + 1);
        EXPECT_EQ(script.messages.back().text.toStdString(),
                  "Rules of " + form->chunks[0]->GetName() + " not learnt !");
        EXPECT_EQ(CountedLines(Lines(form->MemoRules)), 0);
    }
}

// "Display Data", and "Generate rules" with a dataset type no learner reads,
// build examples but ask no learner: the checks say so. With "No Last Node"
// the last node reads "TRUE" and covers every cycle.
TEST_F(GenerateRules, NodesNoLearnerWasAskedForAreNotTested)
{
    WriteScript(folder + "/callweka", "echo run >> \"" + folder + "/runs\"\n");
    form->SetTestGraph(child);
    form->cbNoLastNode->setChecked(true);
    form->cbVerbose->setCheckState(Qt::Checked);
    for (const int fileType : {0, 2}) {  // Display Data; CN2
        SCOPED_TRACE(fileType);
        form->fileType = fileType == 0 ? 1 : fileType;
        form->MemoRules->clear();
        platform::DialogScript script;
        if (fileType == 0)
            form->BtnRules->click();
        else
            form->BtnSaveRules->click();
        EXPECT_TRUE(script.messages.empty());
        ASSERT_EQ(form->chunks.size(), 3u);
        EXPECT_EQ(form->chunks[0]->State(), TChunkState::NotAsked);
        EXPECT_EQ(form->chunks[2]->State(), TChunkState::LeftOut);
        const QStringList memo = Lines(form->MemoRules);
        EXPECT_EQ(memo.filter(" <= \t").size(), 0) << memo.join('\n').toStdString();  // no rule line
        if (fileType == 2) {
            // The datasets are written, and the command says where once.
            EXPECT_EQ(memo.filter("// Datasets written to " + QString::fromStdString(folder)).size(), 1)
                << memo.join('\n').toStdString();
            EXPECT_TRUE(std::filesystem::exists(folder + "/test-" + NodeFilePart(form->chunks[1]->GetName()) + ".data"));
        }
        form->BtnTestRulesClick();
        ASSERT_EQ(script.messages.size(), 1u);
        EXPECT_EQ(script.messages[0].text.toStdString(), "Rules of " + form->chunks[0]->GetName() + " not learnt !");
        EXPECT_TRUE(script.messages[0].detail.startsWith("no rules yet"));
        EXPECT_EQ(CountedLines(Lines(form->MemoRules)), 0);
    }
    EXPECT_EQ(Runs(folder), 0);
    // The sweep tests no such run: each row says why, no message, and the
    // datasets' folder is said once.
    {
        form->cbVerbose->setCheckState(Qt::Unchecked);
        platform::DialogScript script;
        form->RunParameterSweep();
        EXPECT_TRUE(script.messages.empty());
        const QStringList rows = Lines(form->MemoRules);
        EXPECT_EQ(rows.filter(QRegularExpression("\tnot learnt: no learner reads this dataset type$")).size(), 12)
            << rows.join('\n').toStdString();
        EXPECT_EQ(rows.filter("// Datasets written to ").size(), 1);
        form->cbVerbose->setCheckState(Qt::Checked);
    }

    // Learnt, each node "FALSE" (the default rule only): the node left out
    // alone covers cycles, and reads so.
    WriteScript(folder + "/callweka", "printf 'JRIP rules:\\n\\n => class=OTHER (3.0/0.0)\\n\\nNumber of Rules : 1\\n' > \"$2\"\n");
    form->fileType = 1;
    platform::DialogScript script;
    form->BtnSaveRules->click();
    form->BtnTestRulesClick();
    EXPECT_TRUE(script.messages.empty());
    const QStringList memo = Lines(form->MemoRules);
    EXPECT_EQ(memo.filter(QString::fromStdString(form->chunks[2]->GetName() + " <= \tTRUE")).size(), 1)
        << memo.join('\n').toStdString();
    EXPECT_EQ(memo.filter(" <= \tFALSE").size(), 2);
    const QStringList rule = memo.filter("Rule evaluation:");
    ASSERT_EQ(rule.size(), 1);
    const QRegularExpressionMatch tp = QRegularExpression("\ttp (\\d+)\tfp (\\d+)").match(rule[0]);
    ASSERT_TRUE(tp.hasMatch()) << rule[0].toStdString();
    EXPECT_GT(tp.captured(1).toInt() + tp.captured(2).toInt(), 0) << rule[0].toStdString();
}

// "Generate rules" that stops before it builds the nodes leaves none of the
// earlier run: "All Rules" exports no row of it, and Test rules says nothing
// is learnt.
TEST_F(GenerateRules, AGenerateThatStopsEarlyLeavesNoEarlierNodes)
{
    const TmpDir tmp("node-states-tmp");
    WriteScript(folder + "/callweka", "echo run >> \"" + folder + "/runs\"\n"
                                      "printf 'JRIP rules:\\n\\n => class=OTHER (3.0/0.0)\\n\\nNumber of Rules : 1\\n' > \"$2\"\n");
    child->cbPathFunc->setCurrentIndex(15);  // "avg, len=3"
    const TPathPtr chain = form->pathItems.Path(form->lbPath->currentRow());
    for (const char* name : {"chain B", "chain C"})
        child->Paths.Add(name, chain);
    form->Attach(child, nullptr);
    form->lbPath->setCurrentRow(form->pathItems.IndexOfPath(chain.get()));
    form->SetTestGraph(child);
    platform::DialogScript script;
    form->BtnSaveRules->click();
    ASSERT_EQ(form->chunks.size(), 3u);
    EXPECT_EQ(Runs(folder), 3);

    form->EditThreshold->setText("abc");
    form->BtnSaveRules->click();
    EXPECT_TRUE(form->chunks.empty());
    form->BtnTestRulesClick();
    ASSERT_FALSE(script.messages.empty());
    EXPECT_EQ(script.messages.back().text, "No rules learnt !");

    form->cbComputerOutput->setChecked(true);
    const std::size_t before = script.messages.size();
    form->btnAllRulesClick();
    EXPECT_EQ(Runs(folder), 3);
    // One message for the three strategies, each a comment and no row.
    ASSERT_EQ(script.messages.size(), before + 1);
    EXPECT_EQ(script.messages.back().text, "'abc' is not a valid floating point value");
    const QStringList memo = Lines(form->MemoRules);
    EXPECT_EQ(memo.filter("tActionRule(_").size(), 0) << memo.join('\n').toStdString();
    EXPECT_EQ(memo.filter("#define NUMACTIONRULES 0").size(), 1);
    EXPECT_EQ(memo.filter(": not learnt: 'abc' is not a valid floating point value */").size(), 3)
        << memo.join('\n').toStdString();
    EXPECT_EQ(CompileAndWalk(ReadBytes(platform::PrivateTempFile(kExportFileName))), "");
}

// "All Rules" as source text with a path function of no fixed length: one
// message before any learner runs, nothing written. Readable output runs.
TEST_F(GenerateRules, AllRulesRefusesAPathFunctionTheTableCannotHold)
{
    const TmpDir tmp("node-states-len");
    WriteScript(folder + "/callweka", "echo run >> \"" + folder + "/runs\"\n");
    for (const int function : {0, 11, 12}) {  // "avg", "avg, len>1", "avg, len>2"
        child->cbPathFunc->setCurrentIndex(function);
        form->cbComputerOutput->setChecked(true);
        form->MemoRules->setPlainText("kept");
        platform::DialogScript script;
        form->btnAllRulesClick();
        ASSERT_EQ(script.messages.size(), 1u) << function;
        EXPECT_TRUE(script.messages[0].text.contains("\"avg, len=1\"")) << script.messages[0].text.toStdString();
        EXPECT_TRUE(script.messages[0].text.contains("\"" + child->cbPathFunc->currentText() + "\""));
        EXPECT_EQ(form->MemoRules->toPlainText(), "kept");
        EXPECT_EQ(Runs(folder), 0);
        EXPECT_FALSE(std::filesystem::exists(platform::PrivateTempFile(kExportFileName)));
    }
    form->cbComputerOutput->setChecked(false);
    platform::DialogScript script;
    form->btnAllRulesClick();
    EXPECT_EQ(Runs(folder), 3);
}
