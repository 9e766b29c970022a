// A learner that ends well but gives no rule list for a node (JRip refusing
// too few examples) on a real match: the node is "not learnt", never a rule
// "FALSE"; "All Rules" goes on and its C table counts only whole rows; the
// export file holds the export alone, and compiles alone.
#include "LearnNodeWindow.h"

#include "platform/SaveFile.h"
#include "strategy/model/LearnerFiles.h"
#include "strategy/model/LearnerRecord.h"
#include "strategy/model/RuleExport.h"

#include "support/SaveFailure.h"

#include <QComboBox>
#include <QRegularExpression>

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
    // The export file the memo's last line names, and what it holds.
    std::string ExportPath() const { return Lines(form->MemoRules).last().section("// Saved to ", 1).toStdString(); }
    std::string ExportFile() const { return ReadBytes(ExportPath()); }
    const bool hadTmp = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray previousTmp = qgetenv("TMPDIR");
    platform::DialogScript script;
};

}  // namespace

// Where a command kept datasets for the user and how many, told once.
TEST(DatasetsLine, SaysWhereAndHowManyOnce)
{
    const std::tuple<std::vector<int>, bool, std::string> cases[] = {  // files per node, no learner, line
        {{1}, false, "// Datasets written to /kept: 1 file"},
        {{1, 1, 1}, false, "// Datasets written to /kept: 3 files"},
        {{2}, true, "// Datasets written to /kept: 2 files, no learner reads this dataset type"},
        {{}, false, ""},
    };
    for (const auto& [files, noLearner, line] : cases) {
        TLearnerRecord record;
        for (const int n : files)
            record.DatasetsWritten("/kept", n, noLearner);
        EXPECT_EQ(record.TakeDatasetsLine(), line);
        EXPECT_EQ(record.TakeDatasetsLine(), "");
    }
}

TEST(WekaRefusal, ARuleListOrWhyThereIsNone)
{
    const std::string onlyDefault = "JRIP rules:\n===========\n\n => class=OTHER (3.0/0.0)\n\nNumber of Rules : 1\n";
    const std::tuple<std::string, std::string, std::string> cases[] = {  // result, output, refusal
        {onlyDefault + "\n=== Error on training data ===\n", "", ""},  // "FALSE" is what it learnt
        {"", std::string(kRefusal) + "\n\tat weka.core.Capabilities.test(Capabilities.java:1139)\n", kRefusal},
        {std::string("\n") + kRefusal + "\n", "", kRefusal},
        {onlyDefault, "java.lang.OutOfMemoryError: Java heap space\n", ""},  // a whole list is learnt
        // The learner's own words in any case, a lone CR ending a line, before the script's line.
        {"", "callweka: no rule list\nWeka exception: Cannot handle\rnumeric class!\n", "Weka exception: Cannot handle"},
        {"", "callweka: no rule list\n", "callweka: no rule list"},
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
    // Said once for the node, not at every cycle of the match.
    EXPECT_EQ(Lines(form->MemoRules).filter(": not learnt"),
              QStringList{QString::fromStdString(examples.name + ": not learnt: " + kRefusal)});
    form->SetTestGraph(child);
    platform::DialogScript script;
    form->BtnTestRulesClick();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text.toStdString(), "Rules of " + examples.name + " not learnt !");
    EXPECT_EQ(script.messages[0].detail.toStdString(), std::string("not learnt: ") + kRefusal);  // as the check says
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
    EXPECT_EQ(memo[memo.size() - 2].toStdString(), std::string("// 2 nodes not learnt (first: ") + kRefusal + ")");
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

const char kDefaultOnly[] = "printf 'JRIP rules:\\n===========\\n\\n => class=OTHER (3.0/0.0)\\n\\nNumber of Rules : 1\\n'";

// A sweep whose first run has a node refused and whose others learn the
// default rule only ("FALSE"): the refusal is a row and the last line counts
// it; no row's rule test, nor "Check Rules" after, finds a cycle covered.
TEST_F(GenerateRules, ADefaultOnlyListCoversNoCycleAndARefusalIsARow)
{
    WriteJRip(folder, "1", "0");
    form->SetTestGraph(child);
    form->cbVerbose->setCheckState(Qt::Unchecked);
    platform::DialogScript script;
    form->RunParameterSweep();
    const QStringList rows = Lines(form->MemoRules);
    ASSERT_EQ(rows.size(), 1 + 12 + 1) << rows.join('\n').toStdString();
    EXPECT_EQ(rows[1].toStdString(), std::string("0.00\t0.00\t8.00\t85\tnot learnt: ") + kRefusal);
    for (int r = 2; r <= 12; ++r) {  // the rule's tp and fp: none
        const QStringList cells = rows[r].split('\t');
        EXPECT_TRUE(cells.size() > 10 && cells[9].trimmed() == "0" && cells[10].trimmed() == "0") << rows[r].toStdString();
    }
    EXPECT_EQ(rows.last().toStdString(), std::string("// 1 node not learnt (first: ") + kRefusal + ")");
    form->BtnCheckRulesClick();
    EXPECT_EQ(Lines(form->MemoRules).filter(QRegularExpression("^\\d+: false$")).size(),
              3 * log_->features->GetNumInstances());  // the chain's three nodes
    EXPECT_EQ(Lines(form->MemoRules).filter(QRegularExpression("^\\d+: true$")).size(), 0);
}

// What JRip or Slipper said, as the node's line gives it.
TEST_F(LearnNode, TheLearnersOwnWordsDecide)
{
    const std::tuple<int, std::string, std::string> cases[] = {  // file type, learner script, end of the node's line
        // A whole list is learnt, whatever the error stream says.
        {1, std::string(kDefaultOnly) + " > \"$2\"\necho 'jdbc.idbDriver - Error, not in CLASSPATH?' >&2\n",
         "<= \tFALSE"},
        {1, "exit 0\n", "<= \tnot learnt: no result from the learner ("},
        // A list that looks whole but cannot be read to its count (a quote left open).
        {1, "printf 'JRIP rules:\\n\\n\\047(x = 1) => class=A (1.0/0.0)\\n => class=OTHER (3.0/0.0)\\n\\n"
            "Number of Rules : 2\\n' > \"$2\"\n",
         "<= \tnot learnt: the learner's rule list cannot be read"},
        {4, "echo 'Slipper: no positive examples'\n", "<= \tnot learnt: Slipper: no positive examples"},
        {4, "echo 'OTHER 2 1 IF . .' > \"$2\"\n", "<= \tFALSE"},
    };
    for (const auto& [fileType, learner, end] : cases) {
        WriteScript(folder + (fileType == 1 ? "/callweka" : "/callslipper"), learner);
        form->fileType = fileType;
        form->chunks[0] = std::make_unique<StrategyChunk>(examples.name, nullptr, nullptr, 1.0, 2.0, 0.0, false);
        platform::DialogScript script;
        form->LearnNodeRules(examples);
        const QString line = Lines(form->MemoRules).last();
        EXPECT_TRUE(line.contains(QString::fromStdString(end))) << line.toStdString();
        // A node not learnt has no rule list, and a learnt one no reason.
        EXPECT_NE(Chunk(0).State() == TChunkState::Learnt, line.contains("not learnt") || line.contains("learner failed"))
            << line.toStdString();
    }
}

// The user's own rule, evaluated, puts its lines into each block of "All
// Rules": the table is the same as without it. Each save of the file during
// the run (each learner run but the first of a strategy copies it) compiles,
// with the block's level defined, into a table of the rows finished.
TEST_F(ExportNotLearnt, EverySaveIsATableOfTheRowsDoneWhateverTheMemoShows)
{
    WriteScript(folder + "/callweka", "echo run >> \"" + folder + "/runs\"\nn=$(wc -l < \"" + folder +
                                          "/runs\")\nfor f in \"$TMPDIR\"/../command.*/TempResults.txt; do [ -f \"$f\" ] && cp \"$f\" \"" +
                                          folder + "/save-$n\"; done\n" + kDefaultOnly + " > \"$2\"\n");
    form->btnAllRulesClick();
    const std::string without = ExportFile();
    std::filesystem::remove(folder + "/runs");
    // The learner finds the next export's file as the only one.
    std::filesystem::remove_all(std::filesystem::path(ExportPath()).parent_path());
    form->EditRule->setText(QString::fromStdString("(" + log_->features->GetName(0) + " = 1)"));
    form->BtnEvaluateRuleClick();
    ASSERT_EQ(form->ownRule.Size(), 1);
    form->btnAllRulesClick();
    const std::string with = ExportFile();
    EXPECT_EQ(with.substr(with.find('\n')), without.substr(without.find('\n')));  // all but the time
    const std::string level = ExportIfdefLine(child->EditValue->text().toDouble(), 3).substr(7);
    for (int strategy = 1; strategy <= 4; ++strategy) {
        const std::string saved = strategy < 4 ? ReadBytes(folder + "/save-" + std::to_string(3 * strategy + 1)) : with;
        EXPECT_NE(saved.find("  #define NUMACTIONRULES " + std::to_string(strategy) + "\r\n"), std::string::npos)
            << saved;
        EXPECT_EQ(CompileAndWalk(saved, level), "") << strategy;
    }
}

// A dataset not written (told once, ends the command) or no learner's: the nodes say why, Test rules refuses.
TEST_F(GenerateRules, ANodeWithoutRulesNeverReadsFalseNorCountsACycle)
{
    const struct { std::string dataFile; int fileType; QString reason; int evaluated; } cases[] = {
        {folder + "/no-such/test.data", 1, "not learnt: dataset not written: Cannot write the file " + QString::fromStdString(folder), 0},
        {folder + "/test.data", 2, "", 3},  // CN2: no rule line
    };
    form->SetTestGraph(child);
    form->EditRule->setText(QString::fromStdString("(" + log_->features->GetName(0) + " = 1)"));
    form->BtnEvaluateRuleClick();
    form->cbVerbose->setCheckState(Qt::PartiallyChecked);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dataFile + " " + std::to_string(c.fileType));
        form->EditFName->setText(QString::fromStdString(c.dataFile));
        form->fileType = c.fileType;
        form->MemoRules->clear();
        platform::DialogScript script;
        form->BtnSaveRules->click();
        const QStringList memo = Lines(form->MemoRules);
        const QStringList ruleLines = memo.filter(" <= \t");
        EXPECT_TRUE(c.reason.isEmpty() ? ruleLines.isEmpty() : ruleLines.value(0).contains(c.reason)) << memo.join('\n').toStdString();
        EXPECT_EQ(memo.filter("FALSE").size(), 0);
        EXPECT_EQ(memo.filter("Evaluating rule").size(), c.evaluated);
        form->BtnTestRulesClick();
        ASSERT_EQ(script.messages.size(), c.fileType == 2 ? 1u : 2u);
        EXPECT_EQ(script.messages.back().text.toStdString(), "Rules of " + form->chunks[0]->GetName() + " not learnt !");
    }
    form->cbVerbose->setCheckState(Qt::Unchecked);
    platform::DialogScript script;
    form->RunParameterSweep();
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(Lines(form->MemoRules).filter("\tnot learnt: no learner reads this dataset type").size(), 12);
    ASSERT_EQ(form->chunks.size(), 3u);
    form->EditThreshold->setText("abc");  // stops before it builds the nodes: none of the earlier run is left
    form->BtnSaveRules->click();
    EXPECT_TRUE(form->chunks.empty());
}

// JRip's rules for OTHER before its default for the node: in the table each
// entry's condition names both rules joined by AND, and the table compiles.
TEST_F(ExportNotLearnt, RulesForOtherAreJoinedByAndInTheTable)
{
    const std::string a = log_->features->GetName(0), b = log_->features->GetName(1);
    WriteScript(folder + "/callweka", "cat > \"$2\" <<'END'\nJRIP rules:\n===\n(" + a + " = 1) => class=OTHER (9.0/0.0)\n(" +
                                          b + " = 0) => class=OTHER (5.0/0.0)\n => class=node (40.0/0.0)\n"
                                          "Number of Rules : 3\nEND\n");
    form->btnAllRulesClick();
    const QString table = QString::fromStdString(ExportFile());
    const auto group = [](const std::string& name) { return QRegularExpression::escape(QString::fromStdString(name.substr(name.find(':')))); };
    const QRegularExpression entry("tActionRule\\(_\\w+_, \"~\\([^ ()]*" + group(a) + "\\) AND ~\\(~[^ ()]*" + group(b) + "\\)\"\\)");
    EXPECT_EQ(table.count(entry), 4 * 3) << table.toStdString();
    EXPECT_EQ(CompileAndWalk(table.toStdString()), "");
}

// A dataset not written: no learner ran, and the table does not say one failed.
TEST_F(ExportNotLearnt, ADatasetNotWrittenIsNoLearnerFailure)
{
    form->EditFName->setText(QString::fromStdString(folder + "/no-such/test.data"));
    form->btnAllRulesClick();
    EXPECT_EQ(Lines(form->MemoRules).filter("// Export stopped: dataset not written: Cannot write the file " +
                                            QString::fromStdString(folder + "/no-such/")).size(), 1);
    EXPECT_FALSE(form->MemoRules->toPlainText().contains("learner failed"));
}

// Commands over a dataset type no learner reads: Apriori asks once per
// command and its answer (players by name) serves every node; every run keeps
// its datasets (in a folder of the command's own when the data file is in the
// private folder), and the last line says where and how many.
TEST_F(ExportNotLearnt, EveryDatasetOfACommandIsKeptAndAprioriAsksOnce)
{
    form->SetTestGraph(child);
    form->cbVerbose->setCheckState(Qt::Unchecked);
    // The sweep or "All Rules"; the data file in the private folder; Apriori
    // (two files a dataset, a question) or CN2; the datasets.
    const std::tuple<bool, bool, bool, int> cases[] = {
        {false, false, true, 4 * 3}, {false, true, true, 4 * 3}, {true, false, true, 12 * 3}, {false, false, false, 4 * 3}};
    for (const auto& [sweep, inPrivateFolder, apriori, datasets] : cases) {
        SCOPED_TRACE(std::to_string(datasets) + (inPrivateFolder ? " datasets in the private folder" : " datasets") +
                     (apriori ? ", Apriori" : ", CN2"));
        const std::string data = inPrivateFolder ? own : MakeTempDir("kept-datasets");
        form->EditFName->setText(QString::fromStdString(data + "/test.data"));
        form->fileType = apriori ? 0 : 2;
        form->MemoRules->clear();
        platform::DialogScript script;
        script.answers = {platform::Answer::No};  // a question not answered would be Yes
        sweep ? form->RunParameterSweep() : form->btnAllRulesClick();
        ASSERT_EQ(script.messages.size(), apriori ? 1u : 0u);
        if (apriori) {
            EXPECT_EQ(script.messages[0].text, "Use player roles instead of names?");
        }
        const int files = (apriori ? 2 : 1) * datasets;
        const QStringList said = Lines(form->MemoRules).filter("// Datasets written to ");
        ASSERT_EQ(said.size(), 1) << Lines(form->MemoRules).join('\n').toStdString();
        const std::string line = said[0].toStdString(), folder = line.substr(23, line.find(": ") - 23);
        EXPECT_EQ(inPrivateFolder ? std::filesystem::path(folder).parent_path().string() : folder, data);
        EXPECT_EQ(line.substr(line.find(": ")), ": " + std::to_string(files) + " files, no learner reads this dataset type");
        std::vector<std::string> kept = FolderEntries(folder);
        std::erase(kept, "TempResults.txt");  // "All Rules" keeps its table beside them
        EXPECT_EQ(kept.size(), static_cast<std::size_t>(files));
        // An Apriori transaction's items before the class: players by name, the ball, the team.
        for (const std::string& file : apriori ? kept : std::vector<std::string>{}) {
            const QString items = QString::fromStdString(ReadBytes(folder + "/" + file));
            EXPECT_TRUE(file.ends_with(".app") || (items.contains("player") &&
                        !items.contains(QRegularExpression("(^|[ \\n])(?!Team:|Ball:|[LR]player)\\S+ ")))) << file;
        }
    }
}

// A dataset of the user's own where a node's goes: the command asks once,
// naming it, before it replaces any; No keeps every file and writes no
// dataset further. Datasets this window wrote before are replaced unasked.
// "Browse" picks the stem of the node files and asks nothing.
TEST_F(GenerateRules, AUsersOwnDatasetIsReplacedOnlyWhenTheUserSaysSo)
{
    form->fileType = 2;  // CN2: datasets, no learner
    const std::string earlier = MakeTempDir("datasets-earlier");
    form->EditFName->setText(QString::fromStdString(earlier + "/test.data"));
    platform::DialogScript script;
    form->BtnSaveRules->click();
    ASSERT_TRUE(script.messages.empty());
    const std::vector<std::string> names = FolderEntries(earlier);
    ASSERT_EQ(names.size(), form->chunks.size());
    const std::string asked = NodeDataFileName("test.data", form->chunks[0]->GetName());
    for (const platform::Answer answer : {platform::Answer::No, platform::Answer::Yes}) {
        SCOPED_TRACE(answer == platform::Answer::Yes ? "Yes" : "No");
        const std::string dir = MakeTempDir("datasets-own");
        for (const std::string& name : names)
            std::ofstream(dir + "/" + name) << "own";
        std::ofstream(dir + "/test.data") << "own";
        script.files.push_back({true, {QString::fromStdString(dir + "/test.data")}, 0});
        script.answers = {answer};
        form->BtnBrowseClick();
        EXPECT_TRUE(script.messages.empty());
        form->BtnSaveRules->click();
        ASSERT_EQ(script.messages.size(), 1u);
        EXPECT_EQ(script.messages[0].text.toStdString(),
                  asked + " already exists.\nDo you want to replace it and every other dataset of this command already there?");
        for (const std::string& name : names)
            EXPECT_EQ(ReadBytes(dir + "/" + name) == "own", answer == platform::Answer::No) << name;
        EXPECT_EQ(ReadBytes(dir + "/test.data"), "own");
        EXPECT_EQ(form->MemoRules->toPlainText().contains(QString::fromStdString(
                      "dataset not written: " + dir + "/" + asked + " is kept, as the user chose")),
                  answer == platform::Answer::No);
        // A new command asks again about the user's files, not about the window's own.
        form->BtnSaveRules->click();
        EXPECT_EQ(script.messages.size(), answer == platform::Answer::No ? 2u : 1u);
        script.messages.clear();
    }
}
