// Rule learning for one strategy node on a real match: the in-house learner,
// outside learners (stand-in scripts, and real Weka when it is installed), the
// failure of a learner, and the user's own rule.
#include "LearnNodeWindow.h"

#include "core/learning/DecisionList.h"
#include "core/learning/RuleTexts.h"

#include <QApplication>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>
#include <unistd.h>

namespace {

// One rule as JRip prints it in its results: "(name = value) and ... =>
// class=NAME (covered/wrong)".
struct PrintedRule {
    std::string line;
    std::string className;
    std::vector<std::pair<std::string, std::string>> conditions;
};

// The rules between "JRIP rules:" and "Number of Rules" of a results file.
std::vector<PrintedRule> PrintedJRipRules(const std::string& file)
{
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line) && line != "JRIP rules:") {
    }
    std::vector<PrintedRule> rules;
    while (std::getline(in, line) && line.rfind("Number of Rules", 0) != 0) {
        const std::size_t arrow = line.find("=>");
        if (arrow == std::string::npos)
            continue;
        PrintedRule rule{line, {}, {}};
        for (std::size_t open = line.find('('); open < arrow; open = line.find('(', open + 1)) {
            const std::size_t close = line.find(')', open);
            const std::string pair = line.substr(open + 1, close - open - 1);
            const std::size_t eq = pair.rfind(" = ");
            rule.conditions.emplace_back(pair.substr(0, eq), pair.substr(eq + 3));
        }
        const std::size_t cls = line.find("class=", arrow) + 6;
        rule.className = line.substr(cls, line.rfind(" (") - cls);
        rules.push_back(rule);
    }
    return rules;
}

}  // namespace

TEST_F(LearnNode, InHouseLearnerTakesTheTopFeaturesAndStillWritesTheDataset)
{
    const FeatureList& list = *log_->features;
    form->cbHomeRules->setChecked(true);
    form->fileType = 3;  // Orange: no outside learner in any case
    form->EditNumFeatures->setText(" 2 ");
    platform::DialogScript script;
    form->LearnNodeRules(examples);

    StrategyChunk& chunk = Chunk(0);
    ASSERT_EQ(chunk.GetRules().size(), 1u);
    const RuleObject& rule = *chunk.GetRules()[0];
    ASSERT_EQ(rule.Size(), 2);
    // The two largest values, the lower feature first among equals.
    int first = 0;
    for (int f = 1; f < list.GetNumFeatures(); ++f)
        if (list.GetValue(f) > list.GetValue(first))
            first = f;
    EXPECT_EQ(rule.GetFeatureKey(0), list.GetGroupKey(first));
    EXPECT_TRUE(rule.IsPositive());
    EXPECT_EQ(chunk.GetPositiveCount(), static_cast<int>(examples.positives.size()));
    EXPECT_EQ(chunk.GetNegativeCount(), static_cast<int>(examples.negatives.size()));
    // The rule holds at most positives it was learnt from.
    int tp = 0, fp = 0, tn = 0, fn = 0;
    EvaluateRule(*log_->features, rule, examples.positives, examples.negatives, &tp, &fp, &tn, &fn);
    EXPECT_GT(tp, 0);

    std::string part = examples.name;
    std::replace(part.begin(), part.end(), ':', '-');
    EXPECT_TRUE(std::filesystem::exists(folder + "/test-" + part + ".data"));
    const QStringList lines = Lines(form->MemoRules);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QString::fromStdString(examples.name) + " (1.00, 2.00) <= \t(")) << lines[0].toStdString();
    EXPECT_TRUE(script.messages.empty());

    // Not a number counts as 1; 0 gives the rule that holds everywhere.
    form->EditNumFeatures->setText("two");
    form->LearnNodeRules(examples);
    EXPECT_EQ(chunk.GetRules()[1]->Size(), 1);
    form->EditNumFeatures->setText("0");
    form->cbComputerOutput->setChecked(true);
    form->LearnNodeRules(examples);
    EXPECT_EQ(chunk.GetRules()[2]->Size(), 0);
    EXPECT_TRUE(Lines(form->MemoRules).last().startsWith("  tActionRule(_" + QString::fromStdString(examples.name) + "_, \""));
}

TEST_F(LearnNode, OutsideLearnersRunFromTheProgramFolderAndTheirResultsAreRead)
{
    const FeatureList& list = *log_->features;
    const int f = list.GetNumFeatures() / 2;
    const std::string feature = list.GetName(f);
    // Stand-ins that note their arguments and whether an old result was left.
    WriteScript(folder + "/callweka",
                "echo \"$@\" > \"" + folder + "/weka-args\"\n"
                "[ -e \"$2\" ] && echo stale >> \"" + folder + "/weka-args\"\n"
                "printf 'JRIP rules:\\n===\\n(" + feature + " = 1) => class=OTHER (1/0)\\n"
                " => class=N (3/0)\\nNumber of Rules : 2\\n' > \"$2\"\n");
    WriteScript(folder + "/callslipper",
                "echo \"$@\" > \"" + folder + "/slipper-args\"\n"
                "[ -e \"$2\" ] && echo stale >> \"" + folder + "/slipper-args\"\n"
                "echo 'N 2 1 IF nosuch Team . .' > \"$2\"\n");
    std::string part = examples.name;
    std::replace(part.begin(), part.end(), ':', '-');
    const std::string stem = own + "/test-" + part;
    std::filesystem::create_directories(own);
    std::ofstream(own + "/results.txt") << "old";
    std::ofstream(stem + ".shyp") << "old";
    form->fileType = 1;
    platform::DialogScript script;
    form->LearnNodeRules(examples);
    // Each run in a work folder of its own in the private folder; the old files there are neither read nor in the way.
    const auto runFolder = [&](const std::string& args) {
        EXPECT_EQ(std::filesystem::path(args.substr(0, args.find("/test-"))).parent_path(), own) << args;
        return args.substr(0, args.find("/test-"));
    };
    const std::string wekaRun = runFolder(ReadBytes(folder + "/weka-args"));
    EXPECT_EQ(ReadBytes(folder + "/weka-args"), wekaRun + "/test-" + part + ".data " + wekaRun + "/results.txt\n");
    // The OTHER rule with its condition is negated, the default rule positive.
    const RuleList& rules = Chunk(0).GetRules();
    ASSERT_EQ(rules.size(), 2u);
    ASSERT_EQ(rules[0]->Size(), 1);
    EXPECT_FALSE(rules[0]->IsPositive());
    EXPECT_EQ(rules[0]->GetFeatureKey(0), list.GetGroupKey(f));
    const int object = list.GetObjectIndex(f);
    EXPECT_EQ(rules[0]->GetObjectConcept(0),
              object < 0 ? g_roleConcepts : list.GetObjectConcept(object, examples.positives.front()));
    EXPECT_TRUE(rules[1]->IsPositive());
    EXPECT_EQ(rules[1]->Size(), 0);

    form->fileType = 4;
    form->LearnNodeRules(examples);
    const std::string runStem = runFolder(ReadBytes(folder + "/slipper-args")) + "/test-" + part;
    EXPECT_NE(runStem, wekaRun + "/test-" + part);
    EXPECT_EQ(ReadBytes(folder + "/slipper-args"), runStem + " " + runStem + ".shyp\n");
    ASSERT_EQ(rules.size(), 3u);
    EXPECT_EQ(rules[2]->Size(), 0);
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(Chunk(0).GetPositiveCount(), static_cast<int>(examples.positives.size()));
}

TEST_F(LearnNode, AFailedLearnerIsReportedOncePerRunAndItsResultIsNotRead)
{
    // A learner that writes a result and fails.
    WriteScript(folder + "/callweka", "echo 'JRIP rules: => class=N (1/0) Number' > \"$2\"\nexit 3\n");
    form->fileType = 1;
    platform::DialogScript script;
    TNodeExamples second = examples;
    second.chunk = 1;
    form->LearnNodeRules(examples);
    form->LearnNodeRules(second);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Call failed !");
    EXPECT_EQ(script.messages[0].caption, "Warning !");
    EXPECT_EQ(script.messages[0].detail, "callweka: exit code 3");
    EXPECT_TRUE(Chunk(0).GetRules().empty());
    EXPECT_TRUE(Chunk(1).GetRules().empty());
    // The counts are kept all the same, and the rule line says the learner
    // failed (it is not run again for the second node).
    EXPECT_EQ(Chunk(1).GetNegativeCount(), static_cast<int>(examples.negatives.size()));
    EXPECT_EQ(Lines(form->MemoRules).last(),
              "second (0.00, 0.00) <= \tnot learnt: learner failed: callweka exit code 3 (not run again)");

    // A new run warns again; a missing script is a failure too.
    std::filesystem::remove(folder + "/callslipper");
    form->fileType = 4;
    form->LearnNodeRules(examples);
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_TRUE(script.messages[1].detail.startsWith("callslipper: could not be started"));
    EXPECT_TRUE(Chunk(0).GetRules().empty());
}

// The default data file lies in the program's own folder under TMPDIR; the
// learner's dataset, its result and its work files in a folder of the run's
// own in there, owner only, gone when the run is over.
TEST_F(LearnNode, TheLearnerFilesStayInTheProgramsPrivateFolder)
{
    const std::string tmp = MakeTempDir("strategy-learn-tmpdir");
    const QByteArray previous = qgetenv("TMPDIR");
    const bool had = qEnvironmentVariableIsSet("TMPDIR");
    qputenv("TMPDIR", QByteArray::fromStdString(tmp));
    const std::string own = tmp + "/velotrask-" + std::to_string(::geteuid());
    const QString defaultFile = TFormStrategy().EditFName->text();
    WriteScript(folder + "/callweka", "echo \"$TMPDIR\" > \"" + folder + "/weka-tmpdir\"\n"
                                      "printf 'JRIP rules:\\n===\\n => class=N (3/0)\\nNumber of Rules : 1\\n' > \"$2\"\n");
    form->dataFileName = defaultFile.toStdString();
    form->fileType = 1;
    platform::DialogScript script;
    form->LearnNodeRules(examples);
    if (had)
        qputenv("TMPDIR", previous);
    else
        qunsetenv("TMPDIR");

    EXPECT_EQ(defaultFile.toStdString(), own + "/test.data");
    EXPECT_EQ(std::filesystem::path(ReadBytes(folder + "/weka-tmpdir")).parent_path(), own);  // Weka's: the run folder
    EXPECT_TRUE(std::filesystem::is_empty(own));
    EXPECT_EQ(std::filesystem::status(own).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    EXPECT_EQ(Chunk(0).State(), TChunkState::Learnt);
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(LearnNode, QuietRunsStoreRulesAndCountsWithoutPrinting)
{
    form->cbHomeRules->setChecked(true);
    form->cbVerbose->setCheckState(Qt::Unchecked);
    form->cbPruneRules->setChecked(true);
    form->EditRule->setText("(" + QString::fromStdString(log_->features->GetName(0)) + " = 1)");
    form->BtnEvaluateRule->click();
    ASSERT_EQ(form->ownRule.Size(), 1);
    form->LearnNodeRules(examples);
    form->EvaluateOwnRule(examples);
    EXPECT_TRUE(form->MemoRules->toPlainText().isEmpty());
    EXPECT_EQ(Chunk(0).GetRules().size(), 1u);
    EXPECT_EQ(Chunk(0).GetPositiveCount(), static_cast<int>(examples.positives.size()));
}

TEST_F(LearnNode, TheOwnRuleIsCountedOnTheNodesExamples)
{
    FeatureList& list = *log_->features;
    // A typed rule on a feature whose group holds at some cycles and not at others.
    std::vector<int> on, off;
    for (int f = 0; f < list.GetNumFeatures() && (on.size() < 2 || off.empty()); f += 7) {
        form->EditRule->setText(QString::fromStdString("(" + list.GetName(f) + " = 1) and"));
        form->BtnEvaluateRuleClick();
        ASSERT_EQ(form->ownRule.Size(), 1);
        EXPECT_EQ(form->ownRule.GetFeatureKey(0), list.GetGroupKey(f));
        on.clear();
        off.clear();
        for (int c = 0; c < list.GetNumInstances() && (on.size() < 2 || off.empty()); ++c)
            (RuleMatches(list, form->ownRule, c) ? on : off).push_back(c);
    }
    ASSERT_TRUE(on.size() >= 2 && !off.empty());
    // P = {a, b}, N = {b, c}: a and c covered, b not; b counts only as a positive.
    TNodeExamples node;
    node.positives = {on[0], off[0]};
    node.negatives = {off[0], on[1]};
    form->EvaluateOwnRule(node);
    EXPECT_EQ(Lines(form->MemoRules), (QStringList{"Evaluating rule", "tp 1\tfp 1\ttn 0\tfn 1"}));

    // An empty own rule is not evaluated.
    form->EditRule->setText("nosuch = 1");
    form->BtnEvaluateRuleClick();
    EXPECT_EQ(form->ownRule.Size(), 0);
    form->EvaluateOwnRule(node);
    EXPECT_EQ(Lines(form->MemoRules).size(), 2);
}

// What the Weka test asks of the rules real JRip learnt from the examples; its
// results and its own class of every instance are kept in the folder.
static void ExpectJRipsRules(FeatureList& features, const RuleList& rules, const TNodeExamples& examples,
                             const std::string& folder, bool allowDefaultNegative, int fewestRules)
{
    ASSERT_FALSE(rules.empty());
    bool withConditions = false;
    for (const auto& rule : rules)
        withConditions = withConditions || rule->Size() > 0;
    EXPECT_TRUE(withConditions) << RulesToString(nullptr, rules, false);
    // The rules tell the node from the others on its own examples.
    int tp = 0, fp = 0, tn = 0, fn = 0;
    EvaluateRules(features, rules, examples.positives, examples.negatives, &tp, &fp, &tn, &fn);
    EXPECT_GT(tp, fn);
    EXPECT_GT(tn, fp);

    // The rules read back are the rules JRip printed, in its order: "OTHER"
    // rules negated, a default "OTHER" rule left out unless allowed, each
    // condition on the named feature's group with its value.
    std::vector<PrintedRule> printed = PrintedJRipRules(folder + "/results.txt");
    ASSERT_FALSE(printed.empty());
    // JRip writes its rules for the rarer class, then its default.
    const std::string rarer = examples.positives.size() > examples.negatives.size() ? "OTHER" : examples.name;
    const auto forRarer = [&](const PrintedRule& r) { return r.className == rarer && !r.conditions.empty(); };
    EXPECT_GE(std::ranges::count_if(printed, forRarer), fewestRules);
    if (!allowDefaultNegative)
        std::erase_if(printed, [](const PrintedRule& r) { return r.className == "OTHER" && r.conditions.empty(); });
    ASSERT_EQ(rules.size(), printed.size()) << RulesToString(nullptr, rules, false);
    for (std::size_t r = 0; r < printed.size(); ++r) {
        const RuleObject& rule = *rules[r];
        const PrintedRule& want = printed[r];
        EXPECT_EQ(rule.IsPositive(), want.className != "OTHER") << want.line;
        ASSERT_EQ(rule.Size(), static_cast<int>(want.conditions.size())) << want.line;
        for (int c = 0; c < rule.Size(); ++c) {
            const auto& [name, value] = want.conditions[static_cast<std::size_t>(c)];
            const int feature = features.IndexOf(name);
            ASSERT_GE(feature, 0) << name;
            EXPECT_EQ(rule.GetFeatureKey(c), features.GetGroupKey(feature)) << want.line;
            EXPECT_EQ(rule.GetValue(c), value == "1" ? 1 : 0) << want.line;
        }
    }

}

// Each instance of the dataset (the node's examples, then the others) is
// covered where JRip predicts the node, its second class.
static void ExpectJRipsPredictions(FeatureList& features, const StrategyChunk& chunk, const TNodeExamples& examples,
                                   const std::string& folder)
{
    std::vector<int> cycles = examples.positives;
    cycles.insert(cycles.end(), examples.negatives.begin(), examples.negatives.end());
    std::ifstream predicted(folder + "/predicted.txt");
    std::size_t k = 0, instance = 0;
    for (std::string line, actual, said; std::getline(predicted, line);)
        if (std::istringstream(line) >> instance >> actual >> said) {  // not a heading
            ASSERT_TRUE(instance == ++k && k <= cycles.size()) << line;
            EXPECT_EQ(ChunkCovers(features, chunk, cycles[k - 1]), said.starts_with("2:")) << "cycle " << cycles[k - 1];
        }
    EXPECT_EQ(k, cycles.size());
}

// Real Weka JRip through the installed callweka script, on three datasets of
// the node: against the other nodes' cycles (the node's examples are the
// more), against every other cycle (the fewer), and against the other nodes
// without the features that alone tell the node apart (several OTHER rules).
TEST_F(LearnNode, WekaJRipLearnsRulesWithConditions)
{
    if (!std::filesystem::exists("/usr/share/java/weka.jar") || std::system("java -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no Weka or Java";
    // The installed script; its result, and JRip's own class of each instance (same seed, same model), kept aside.
    WriteScript(folder + "/callweka", std::string("\"") + VELO_APP_DIR + "/callweka\" \"$@\" || exit $?\n"
                "cp \"$2\" \"" + folder + "/results.txt\"\ncp \"$1\" \"" + folder + "/data.arff\"\n"
                "java -cp /usr/share/java/weka.jar weka.classifiers.rules.JRip -t \"" + folder +
                "/data.arff\" -no-cv -p 0 > \"" + folder + "/predicted.txt\"\n");
    form->fileType = 1;
    examples.threshold = 0.3;  // only features that tell the node apart
    platform::DialogScript script;
    FeatureList& features = *log_->features;
    std::vector<int> otherCycles;
    for (int c = 0; c < features.GetNumInstances(); ++c)
        if (std::ranges::count(examples.positives, c) == 0)
            otherCycles.push_back(c);
    // The negatives; features weighed at least this left out (none reaches 2); the fewest rules for the rarer class.
    const std::tuple<std::vector<int>, double, int> cases[] = {
        {examples.negatives, 2.0, 1}, {otherCycles, 2.0, 1}, {examples.negatives, 0.8, 2}};
    for (const auto& [negatives, leftOut, fewestRules] : cases) {
        SCOPED_TRACE(std::to_string(negatives.size()) + " negatives, left out from " + std::to_string(leftOut));
        examples.negatives = negatives;
        WeighFeatures();
        for (int f = 0; f < features.GetNumFeatures(); ++f)
            if (features.GetValue(f) >= leftOut)
                features.SetValue(f, 0.0);
        form->chunks[0] = std::make_unique<StrategyChunk>(examples.name, nullptr, nullptr, 1.0, 2.0, 0.0, false);
        form->LearnNodeRules(examples);
        EXPECT_TRUE(script.messages.empty());
        ExpectJRipsRules(features, Chunk(0).GetRules(), examples, folder, form->cbAllowDefaultNegative->isChecked(),
                         fewestRules);
        ExpectJRipsPredictions(features, Chunk(0), examples, folder);
    }

    // Two of the node's cycles against two others, where JRip prints its
    // default rule for the node at a tie: it classes every cycle as OTHER, the
    // first class of the dataset, and so does the node's line.
    const TNodeExamples all = examples;
    form->cbVerbose->setChecked(true);
    bool tie = false;
    for (std::size_t k = 0; k + 1 < all.negatives.size() && k < 10 && !tie; ++k) {
        examples.positives = {all.positives[k], all.positives[k + 1]};
        examples.negatives = {all.negatives[k], all.negatives[k + 1]};
        for (const bool allowDefaultNegative : {false, true}) {
            form->cbAllowDefaultNegative->setChecked(allowDefaultNegative);
            form->chunks[0] = std::make_unique<StrategyChunk>(examples.name, nullptr, nullptr, 1.0, 2.0, 0.0, false);
            form->LearnNodeRules(examples);
            if (!(tie = ReadBytes(folder + "/results.txt").find("\n => class=" + examples.name + " (4.0/2.0)\n") !=
                        std::string::npos))
                break;
            EXPECT_TRUE(Lines(form->MemoRules).last().endsWith("<= \tFALSE")) << Lines(form->MemoRules).last().toStdString();
            ExpectJRipsPredictions(features, Chunk(0), examples, folder);
        }
    }
    EXPECT_TRUE(tie);
}

// Every node gets its rule and its dataset: beside the data file the user
// named, or, with the data file in the private folder (the default), in a
// folder of the command's own there, which the command's last line names.
TEST_F(GenerateRules, TheInHouseLearnerGivesEveryNodeItsRule)
{
    form->cbHomeRules->setChecked(true);
    form->EditNumFeatures->setText("2");
    platform::DialogScript script;
    form->BtnSaveRules->click();
    ASSERT_EQ(form->chunks.size(), 3u);
    int lines = 0;
    const QStringList memo = Lines(form->MemoRules);
    for (const auto& chunk : form->chunks) {
        ASSERT_EQ(chunk->GetRules().size(), 1u) << chunk->GetName();
        EXPECT_EQ(chunk->GetRules()[0]->Size(), 2);
        EXPECT_GT(chunk->GetPositiveCount(), 0);
        const QString line = QString::fromStdString(chunk->GetName()) + " (";
        for (const QString& l : memo)
            lines += l.startsWith(line) && l.contains(" <= \t(") ? 1 : 0;
        std::string part = chunk->GetName();
        std::replace(part.begin(), part.end(), ':', '-');
        EXPECT_TRUE(std::filesystem::exists(folder + "/test-" + part + ".data")) << part;
    }
    EXPECT_EQ(lines, 3);
    EXPECT_EQ(memo.filter("// Datasets written to ").size(), 0);
    form->EditFName->setText(QString::fromStdString(own + "/test.data"));
    form->BtnSaveRules->click();
    const std::string said = Lines(form->MemoRules).last().toStdString(), kept = said.substr(23, said.find(": ") - 23);
    EXPECT_TRUE(said.starts_with("// Datasets written to " + own + "/command.") && said.ends_with(": 3 files")) << said;
    EXPECT_EQ(Lines(form->MemoRules).filter("// Datasets written to ").size(), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(kept), std::filesystem::directory_iterator()), 3);
    EXPECT_TRUE(script.messages.empty());
}

// JRip's "A => OTHER; B => OTHER; => node" covers a cycle only where neither
// A nor B holds. Stand-in answers over the ball's features (the only object of
// its kind): "(F = 1)" holds where F's bit is 1, as "Check Rules" and "Test rules" count.
TEST_F(GenerateRules, RulesAreReadAsJRipsDecisionListInEveryCheck)
{
    FeatureList& list = *log_->features;
    const int cycles = list.GetNumInstances();
    const auto bit = [&list](int f, int c) { return list.GetBit(f, c) != 0; };
    std::vector<int> tested;  // what "Test rules" looks at: each graph node's first cycles
    for (int n = 0; n < child->Graph->NodeCount(); ++n) {
        std::vector<int> first;
        CollectCycles(nullptr, child->Graph->GetNode(n), first, TDurationMode::FirstCycle, true);
        tested.insert(tested.end(), first.begin(), first.end());
    }
    // Some tested cycles show neither A nor B, some only B (where A's rule alone would cover).
    int a = -1, b = -1;
    for (int i = 0; i < list.GetNumFeatures() && b < 0; ++i)
        for (int j = 0; j < list.GetNumFeatures() && b < 0 && list.GetObjectIndex(i) == 0; ++j)
            if (list.GetObjectIndex(j) == 0 &&
                std::any_of(tested.begin(), tested.end(), [&](int c) { return !bit(i, c) && !bit(j, c); }) &&
                std::any_of(tested.begin(), tested.end(), [&](int c) { return !bit(i, c) && bit(j, c); }))
                std::tie(a, b) = std::pair(i, j);
    ASSERT_GE(b, 0);
    WriteScript(folder + "/callweka", "cat > \"$2\" <<'END'\nJRIP rules:\n===\n(" + list.GetName(a) + " = 1) => class=OTHER (9/0)\n(" +
                                          list.GetName(b) + " = 1) => class=OTHER (9/0)\n => class=node (9/0)\nNumber of Rules : 3\nEND\n");
    const auto covers = [&](int c) { return !bit(a, c) && !bit(b, c); };
    form->SetTestGraph(child);
    form->cbVerbose->setCheckState(Qt::Unchecked);
    platform::DialogScript script;
    form->BtnRulesClick(nullptr);
    ASSERT_EQ(form->chunks.size(), 3u);
    form->MemoRules->clear();
    form->BtnCheckRulesClick();
    const QStringList check = Lines(form->MemoRules);
    ASSERT_EQ(check.size(), 3 * cycles + 1);
    for (int k = 0; k < 3 * cycles; ++k)
        ASSERT_EQ(check[k], QString("%1: %2").arg(k % cycles).arg(covers(k % cycles) ? "true" : "false"));
    form->MemoRules->clear();
    form->BtnTestRulesClick();
    const QStringList row = Lines(form->MemoRules).last().split('\t');
    const auto want = 3 * std::count_if(tested.begin(), tested.end(), covers);  // once per strategy node
    ASSERT_GT(row.size(), 12);
    EXPECT_EQ(row[9].toInt() + row[10].toInt(), want);  // the rule's tp + fp
    EXPECT_EQ(row[11].toInt() + row[12].toInt(), 3 * static_cast<long>(tested.size()) - want);
    EXPECT_TRUE(script.messages.empty());
}
