// A learner that ends well but gives no rule list for a node (JRip refusing
// too few examples) on a real match: the node is "not learnt", never a rule
// "FALSE"; "All Rules" goes on and its C table counts only whole rows; the
// export file holds the export alone, and compiles alone.
#include "LearnNodeWindow.h"

#include "platform/SaveFile.h"
#include "strategy/model/LearnerRecord.h"
#include "strategy/model/RuleExport.h"

#include <QComboBox>

#include <cstdlib>
#include <fstream>

namespace {

const char kRefusal[] = "weka.core.WekaException: weka.classifiers.rules.JRip: Not enough training instances with "
                        "class labels (required: 3, provided: 2)!";

// A stand-in callweka: counts its runs; the runs listed refuse as JRip does
// (the exception in its result, or on its error stream and no result), with
// status 0 all the same; the others learn the default rule only.
void WriteJRip(const std::string& folder, const std::string& inResult, const std::string& onStderr)
{
    WriteScript(folder + "/callweka", "echo run >> \"" + folder + "/runs\"\ncase $(wc -l < \"" + folder +
                                          "/runs\") in " + inResult + ") echo '" + kRefusal + "' > \"$2\" ;; " +
                                          onStderr + ") echo '" + kRefusal + "' >&2 ;; *) printf 'JRIP rules:\\n"
                                          "\\n => class=OTHER (3.0/0.0)\\n\\nNumber of Rules : 1\\n' > \"$2\" ;; esac\n");
}

// Four strategies of three nodes each (the chain under four names).
class ExportNotLearnt : public GenerateRules {
protected:
    void SetUp() override
    {
        // The export file in a private folder of this test's own.
        qputenv("TMPDIR", QByteArray::fromStdString(MakeTempDir("not-learnt-tmp")));
        GenerateRules::SetUp();
        const TPathPtr chain = form->pathItems.Path(form->lbPath->currentRow());
        for (const char* name : {"chain B", "chain C", "chain D"})
            child->Paths.Add(name, chain);
        child->cbPathFunc->setCurrentIndex(15);  // "avg, len=3"
        form->Attach(child, nullptr);
        form->lbPath->setCurrentRow(form->pathItems.IndexOfPath(chain.get()));
        form->learnerFolder = QString::fromStdString(folder);
        form->cbComputerOutput->setChecked(true);
    }
    void TearDown() override
    {
        GenerateRules::TearDown();
        if (hadTmp)
            qputenv("TMPDIR", previousTmp);
        else
            qunsetenv("TMPDIR");
    }
    static std::string ExportFile() { return ReadBytes(platform::PrivateTempFile(kExportFileName)); }
    const bool hadTmp = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray previousTmp = qgetenv("TMPDIR");
    platform::DialogScript script;
};

}  // namespace

TEST(WekaRefusal, ARuleListOrWhyThereIsNone)
{
    const std::string onlyDefault = "JRIP rules:\n===========\n\n => class=OTHER (3.0/0.0)\n\nNumber of Rules : 1\n";
    const std::tuple<std::string, std::string, std::string> cases[] = {  // result, output, refusal
        {onlyDefault + "\n=== Error on training data ===\n", "", ""},  // "FALSE" is what it learnt
        {"", std::string(kRefusal) + "\n\tat weka.core.Capabilities.test(Capabilities.java:1139)\n", kRefusal},
        {std::string("\n") + kRefusal + "\n", "", kRefusal},
        {onlyDefault, "java.lang.OutOfMemoryError: Java heap space\n", "java.lang.OutOfMemoryError: Java heap space"},
        {"JRIP rules:\n===========\n", "", "no rule list in the learner's result"},  // cut short
        {" \n\n", "", "the learner's result is empty"},
    };
    for (const auto& [result, output, refusal] : cases)
        EXPECT_EQ(WekaRefusal(result, output), refusal) << result << "|" << output;
}

// One node, each way of refusing: no rules and no "FALSE", the reason in the
// line; the rule check and the rule test take the node as not learnt.
TEST_F(LearnNode, ARefusedNodeIsNotLearntAndNoTestTakesItForARule)
{
    for (const auto& [inResult, onStderr] : {std::pair{"1", "0"}, std::pair{"0", "1"}}) {
        std::filesystem::remove(folder + "/runs");
        WriteJRip(folder, inResult, onStderr);
        platform::DialogScript script;
        form->LearnNodeRules(examples);
        EXPECT_TRUE(script.messages.empty());
        EXPECT_EQ(Chunk(0).NotLearnt(), kRefusal);
        EXPECT_TRUE(Chunk(0).GetRules().empty());
        EXPECT_TRUE(Lines(form->MemoRules).last().endsWith(QString("<= \tnot learnt: ") + kRefusal));
        Chunk(0).SetNotLearnt("");
    }
    Chunk(0).SetNotLearnt(kRefusal);
    form->BtnCheckRulesClick();
    EXPECT_EQ(Lines(form->MemoRules).filter(": not learnt").size(), log_->features->GetNumInstances());
    form->SetTestGraph(child);
    platform::DialogScript script;
    form->BtnTestRulesClick();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text.toStdString(), "Rules of " + examples.name + " not learnt !");
}

// Without a test graph the sweep learns nothing and says so once.
TEST_F(GenerateRules, TheSweepWithoutATestGraphRunsNoLearner)
{
    WriteJRip(folder, "0", "0");
    platform::DialogScript script;
    form->RunParameterSweep();
    EXPECT_FALSE(std::filesystem::exists(folder + "/runs"));
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Please assign test graph !");
}

// The second strategy's second node and the third one's first are refused:
// both are comments with the reason, the export goes on to the fourth, and
// the table compiles and has no entry without a condition.
TEST_F(ExportNotLearnt, RefusedNodesLeaveCommentsAndTheOthersWholeRows)
{
    WriteJRip(folder, "5", "7");
    form->btnAllRulesClick();
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(ReadBytes(folder + "/runs").size(), 12 * 4u);  // every node was asked
    const QStringList memo = Lines(form->MemoRules);
    EXPECT_EQ(memo.filter("#define NUMACTIONRULES 2").size(), 1) << memo.join('\n').toStdString();
    for (const char* name : {"chain B", "chain C"})
        EXPECT_EQ(memo.filter(QString("  /* ") + name + ": not learnt: " + kRefusal + " */ \\").size(), 1) << name;
    // Two rows of three entries, each the real "FALSE" of a default rule.
    EXPECT_EQ(memo.join('\n').count("\"FALSE\""), 6);
    EXPECT_EQ(memo.last().toStdString(), std::string("// 2 nodes not learnt (first: ") + kRefusal + ")");
    EXPECT_EQ(CompileAndWalk(ExportFile()), "");
}

// After "Generate rules" and after a first export, each file compiles alone.
TEST_F(ExportNotLearnt, EachExportFileCompilesAlone)
{
    WriteJRip(folder, "0", "0");
    form->cbComputerOutput->setChecked(false);
    form->BtnRulesClick(nullptr);
    const QString generated = form->MemoRules->toPlainText();
    form->cbComputerOutput->setChecked(true);
    for (int exportRun = 1; exportRun <= 2; ++exportRun) {
        form->btnAllRulesClick();
        EXPECT_EQ(ExportFile().rfind("// *** Creating rules for all list @", 0), 0u) << exportRun;
        EXPECT_EQ(CompileAndWalk(ExportFile()), "") << exportRun;
        EXPECT_TRUE(form->MemoRules->toPlainText().startsWith(generated + "\n// *** Creating")) << exportRun;
    }
    EXPECT_EQ(Lines(form->MemoRules).filter("#define NUMACTIONRULES 4").size(), 2);
}
