// The learner run of one strategy node, the readers of outside learners'
// results and the user's own rule.
#include "strategy/FormStrategy.h"

#include "strategy/model/LearnerFiles.h"
#include "strategy/model/RuleReaders.h"

#include "actiongraph/childActionWin.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/io/AssocData.h"
#include "core/learning/DecisionList.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "platform/ReadFile.h"
#include "platform/PrivateFolder.h"
#include "platform/SaveFile.h"
#include "platform/WorkFolder.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"
#include "ui/waitFormWin.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QLabel>
#include <QPlainTextEdit>

#include <filesystem>

namespace {

enum LearnerFileType { kAprioriFile = 0, kWekaFile = 1, kSlipperFile = 4 };

FeatureList* FeaturesOf(const TMDIActionChild* child)
{
    return child && child->File ? child->File->features.get() : nullptr;
}

bool Verbose(const QCheckBox* box) { return box->checkState() != Qt::Unchecked; }

// The integer of the edit; 1 when it holds none.
int IntegerOr1(const QLineEdit* edit)
{
    bool ok = false;
    const int k = edit->text().trimmed().toInt(&ok);
    return ok ? k : 1;
}

// Why a learner run gave the node no rules: "cancelled", else the learner's
// failure.
std::string LearnerRunFailure(const std::string& reason)
{
    return reason == "cancelled" ? reason : "learner failed: " + reason;
}

}  // namespace

bool TFormStrategy::RunLearner(const QString& script, const QString& learner, const QStringList& arguments,
                               const QString& folder, const std::string& node, std::string* reason,
                               std::string* output)
{
    const std::string name = script.toStdString();
    // What runs shows in the command's wait window. Its Cancel, pressed since
    // the last run (while the examples were saved, say), ends the command here.
    const WaitCommand wait("Learning rules of " + QString::fromStdString(node) + " with " + learner + " ...",
                           WaitOver(), true);
    if (WaitFormCancelled())
        learners.Cancel();
    // After Cancel nothing of the command is learnt any more.
    if (learners.Cancelled()) {
        *reason = "cancelled";
        return false;
    }
    if (const std::string* failed = learners.Failure(name)) {
        learners.NodeLeftOut();
        *reason = *failed + " (not run again)";
        return false;
    }
    const QString programFolder = learnerFolder.isEmpty() ? QCoreApplication::applicationDirPath() : learnerFolder;
    // A learner's own temporary files (the script's work folder) go into the
    // run's folder too, rather than the shared temporary folder, and go with it.
    const QStringList environment{"TMPDIR=" + folder};
    const platform::ProgramRun run =
        platform::RunProgram(QDir(programFolder).filePath(script), arguments, learnerTimeoutMs, folder,
                             [] { return !WaitFormCancelled(); }, environment);
    if (run.Succeeded()) {
        *output = run.output.toStdString();
        return true;
    }
    if (run.cancelled) {
        learners.Cancel();
        *reason = "cancelled";
        return false;
    }
    // What a learner says as it is stopped is no reason of its failure.
    *reason = LearnerFailureReason(name, run.Describe(learnerTimeoutMs).toStdString(),
                                   run.finished ? run.output.toStdString() : std::string());
    // One message per command: a sweep or a batch test would otherwise stop
    // at every node of every run. The learner's own words go with it.
    if (learners.Fail(name, *reason)) {
        QString detail = script + ": " + run.Describe(learnerTimeoutMs);
        const QString output = platform::ShortenText(run.output, 1200);
        if (!output.isEmpty())
            detail += "\n\n" + output;
        platform::MessageBox(this, "Call failed !", "Warning !", platform::Buttons::Ok, detail);
    }
    return false;
}

QWidget* TFormStrategy::WaitOver()
{
    // The graph window it learns for while the strategy window is hidden (a
    // series of "Test all").
    return isVisible() || !actionChild ? static_cast<QWidget*>(this) : actionChild;
}

bool TFormStrategy::PrivateFolderRefusedBefore(std::string* failure)
{
    const std::string* refused = learners.Failure(kPrivateFolder);
    if (!refused)
        return false;
    learners.NodeLeftOut();
    *failure = std::string(kNotWritten) + ": " + *refused;
    return true;
}

void TFormStrategy::PrivateFolderRefused(const std::string& why, std::string* failure)
{
    *failure = std::string(kNotWritten) + ": " + why;
    if (learners.Fail(kPrivateFolder, why, kNotWritten))
        platform::MessageBox(this, "No place for the learner's files !", "Warning !", platform::Buttons::Ok,
                             QString::fromStdString(why));
}

bool TFormStrategy::MakeRunFolder(platform::WorkFolder& run, std::string* failure)
{
    if (PrivateFolderRefusedBefore(failure))
        return false;
    // The private folder is asked for afresh, as it may have been cleared
    // away or replaced since the window opened, and only its answer is used.
    std::string why;
    if (run.Make("run", &why))
        return true;
    PrivateFolderRefused(why, failure);
    return false;
}

std::string TFormStrategy::CommandFolder(std::string* failure)
{
    if (!learners.CommandFolder().empty() || PrivateFolderRefusedBefore(failure))
        return learners.CommandFolder();
    std::string why;
    const std::string folder = platform::MakeWorkFolder("command", &why);
    if (folder.empty())
        PrivateFolderRefused(why, failure);
    learners.SetCommandFolder(folder);
    return folder;
}

bool TFormStrategy::AprioriUseRoles()
{
    if (fileType != kAprioriFile)
        return false;
    if (!learners.UseRoles())
        learners.SetUseRoles(TMDIActionChild::AskUseRoles(this));
    return *learners.UseRoles();
}

std::vector<std::string> TFormStrategy::DatasetFiles(const std::string& file) const
{
    std::vector<std::string> files{file};
    if (fileType >= 0 && fileType <= 4) {
        const std::string ext = assocdata::SecondFileExt(static_cast<assocdata::Format>(fileType));
        if (const std::string second = ext.empty() ? std::string() : assocdata::SecondFileName(file, ext);
            !second.empty())
            files.push_back(second);
    }
    return files;
}

bool TFormStrategy::MayReplaceDataset(const std::vector<std::string>& files)
{
    if (const std::optional<bool>& answer = learners.ReplaceDatasets())
        return *answer;
    // A target the save would refuse is told by the save itself.
    std::vector<std::string> there;
    if (!platform::CheckSaveTargets(files, there))
        return true;
    std::erase_if(there, [this](const std::string& t) { return datasetsWritten_.count(t) > 0; });
    if (there.empty())
        return true;
    learners.SetReplaceDatasets(platform::MessageBox(this,
                                                     platform::ReplaceQuestion(there) +
                                                         " and every other dataset of this command already there?",
                                                     "Save datasets", platform::Buttons::YesNo) == platform::Answer::Yes);
    return *learners.ReplaceDatasets();
}

bool TFormStrategy::TakeLearnerResult(const QString& resultFile, const std::string& output, bool slipper,
                                      int firstPositive, StrategyChunk& chunk)
{
    // Far more than any rule list with its report.
    constexpr std::uint64_t kResultLimit = std::uint64_t(64) << 20;
    platform::FileBytes bytes;
    platform::ReadError error;
    // Read as the program's own file: never through a link put in its place.
    const bool read = platform::ReadOwnFile(QFile::encodeName(resultFile).toStdString(), kResultLimit, bytes, &error);
    const std::string result = read ? std::string(bytes.View()) : std::string();
    const bool allowDefaultNegative = cbAllowDefaultNegative->isChecked();
    bool learnt = false;
    if (slipper) {
        learnt = TakeSlipperResult(read ? &result : nullptr, output,
                                   MakeSlipperNames(g_roleConcepts, FeaturesOf(actionChild)), chunk,
                                   allowDefaultNegative, cbFirstSlipperRule->isChecked());
    } else {
        TFeatureConditions conditions;
        conditions.list = FeaturesOf(actionChild);
        conditions.firstPositive = firstPositive;
        conditions.roleRoot = g_roleConcepts;
        learnt = TakeWekaResult(result, output, conditions, chunk, allowDefaultNegative);
        // The learner's own words say more than a result that is missing.
        if (!learnt && !read && chunk.NotLearnt() == kWekaEmptyResult)
            chunk.SetNotLearnt(OneLine("no result from the learner (" + error.reason + ")"));
    }
    if (!learnt)
        learners.NodeNotLearnt(chunk.NotLearnt());
    return learnt;
}

// One node's learning in generate mode: its dataset, where its files go and
// how far it got.
struct TFormStrategy::TNodeRun {
    explicit TNodeRun(const TNodeExamples& e) : examples(e) {}
    const TNodeExamples& examples;
    std::vector<int> cycles;  // the positives (class 1), then the negatives (class 0)
    std::vector<int> classes;
    std::vector<std::string> classNames;
    std::vector<std::string> featureTexts;
    std::string nodeFile;       // the dataset as the data file names it
    bool outsideLearner = false;
    bool usersFolder = false;   // the data file is not in the private folder
    std::string usersFile;      // the dataset kept for the user
    std::string learnerFile;    // the outside learner's copy, in the run's folder
    bool written = false;
    std::string failure;        // why the node gets no rules; empty while it may
};

void TFormStrategy::LearnNodeRules(const TNodeExamples& examples)
{
    if (examples.chunk == 0 && !learners.Active())
        learners.Reset();
    if (!actionChild || examples.chunk < 0 || examples.chunk >= static_cast<int>(chunks.size()))
        return;
    StrategyChunk& chunk = *chunks[static_cast<std::size_t>(examples.chunk)];
    TNodeRun node(examples);
    StartNodeRun(node);
    // An outside learner reads its dataset from a work folder of the run's
    // own in the private folder and leaves its result there, never beside a
    // data file the user named elsewhere, where another user's file or link
    // could stand, nor at a name another run or process uses; the folder
    // goes when the run is over, however it ends.
    platform::WorkFolder run;
    PlaceNodeFiles(node, run);
    WriteNodeDataset(node);
    RunNodeLearner(node, run, chunk);
    // The window may have let go of its graph window while the learner ran.
    if (!actionChild)
        return;
    FinishNodeRules(node, chunk);
}

void TFormStrategy::StartNodeRun(TNodeRun& node)
{
    const TNodeExamples& examples = node.examples;
    node.cycles = examples.positives;
    node.cycles.insert(node.cycles.end(), examples.negatives.begin(), examples.negatives.end());
    node.classes.assign(examples.positives.size(), 1);
    node.classes.resize(node.cycles.size(), 0);
    node.classNames = {"OTHER", examples.name};
    for (int i = 0; i < lbFeatures->count(); ++i)
        if (lbFeatures->item(i)->isSelected())
            node.featureTexts.push_back(lbFeatures->item(i)->text().toStdString());
    // In a command that learns several strategies or settings, each run's
    // datasets carry its number: no run writes over another's.
    node.nodeFile = NodeDataFileName(dataFileName, examples.name, learners.Nested() ? learners.Strategies() : 0);
    node.outsideLearner = !cbHomeRules->isChecked() && (fileType == kWekaFile || fileType == kSlipperFile);
    // Where the data file is the program's private folder, the datasets kept
    // for the user go into the command's own folder there.
    node.usersFolder = !platform::InPrivateFolder(node.nodeFile);
}

void TFormStrategy::PlaceNodeFiles(TNodeRun& node, platform::WorkFolder& run)
{
    if (const std::string* unwritten = learners.Failure(kDataset)) {
        // A dataset that could not be written stopped the command: no
        // further node is tried.
        learners.NodeLeftOut();
        node.failure = std::string(kNotWritten) + ": " + *unwritten + " (not tried)";
        return;
    }
    // Refused, the private folder gets nothing and the command says why once.
    const std::filesystem::path name = std::filesystem::path(node.nodeFile).filename();
    if (node.usersFolder) {
        node.usersFile = node.nodeFile;
    } else if (!node.outsideLearner) {
        if (const std::string folder = CommandFolder(&node.failure); !folder.empty())
            node.usersFile = (std::filesystem::path(folder) / name).string();
    }
    if (node.failure.empty() && node.outsideLearner && MakeRunFolder(run, &node.failure))
        node.learnerFile = run.File(name.string());
}

void TFormStrategy::WriteNodeDataset(TNodeRun& node)
{
    // A dataset that could not be written (the writer said so) is not learnt
    // from, and it stops the command with the save's own words, told once.
    QString unwritten;
    // A file of the user's is replaced only when they said so; answered No,
    // the command writes no dataset further.
    if (node.failure.empty() && node.usersFolder && !MayReplaceDataset(DatasetFiles(node.usersFile))) {
        const std::string words = node.usersFile + " is kept, as the user chose";
        node.failure = std::string(kNotWritten) + ": " + words;
        learners.Fail(kDataset, words, kNotWritten);
    }
    const bool useRoles = node.failure.empty() && AprioriUseRoles();
    const auto save = [&](const std::string& file) {
        return actionChild->SaveAssocData(QString::fromStdString(file), fileType, node.examples.threshold, node.cycles,
                                          node.classes, node.classNames, &node.featureTexts, &unwritten, useRoles);
    };
    node.written = node.failure.empty() && (node.usersFile.empty() || save(node.usersFile)) &&
                   (node.learnerFile.empty() || save(node.learnerFile));
    if (node.written && node.usersFolder)
        for (const std::string& f : DatasetFiles(node.usersFile))
            datasetsWritten_.insert(f);
    if (node.failure.empty() && !node.written) {
        const std::string words =
            unwritten.isEmpty() ? "the file " + node.nodeFile + " was not written" : unwritten.toStdString();
        node.failure = std::string(kNotWritten) + ": " + words;
        if (learners.Fail(kDataset, words, kNotWritten))
            platform::MessageBox(this, "Dataset not written !", "Warning !", platform::Buttons::Ok,
                                 QString::fromStdString(words));
    }
    // The command says once at its end where the datasets kept for the user
    // are, and how many, when no learner reads them or the user could not
    // know the folder.
    const bool noLearner = !cbHomeRules->isChecked() && !node.outsideLearner;
    if (node.written && !node.usersFile.empty() && (noLearner || !node.usersFolder))
        learners.DatasetsWritten(QFileInfo(QString::fromStdString(node.usersFile)).absolutePath().toStdString(),
                                 fileType == kAprioriFile || fileType == kSlipperFile ? 2 : 1, noLearner);
}

void TFormStrategy::RunNodeLearner(TNodeRun& node, const platform::WorkFolder& run, StrategyChunk& chunk)
{
    const TNodeExamples& examples = node.examples;
    // The learner runs in its folder, given whole paths.
    const auto absolute = [](const std::string& file) {
        return QFileInfo(QString::fromStdString(file)).absoluteFilePath();
    };
    const QString folder = absolute(run.Path());
    std::string said;
    if (!node.failure.empty()) {
        // No rules without the dataset, whichever learner.
    } else if (cbHomeRules->isChecked()) {
        auto rule = std::make_unique<RuleObject>(true);
        LearnTopFeatureRule(FeaturesOf(actionChild), rule.get(), examples.positives, examples.negatives,
                            IntegerOr1(EditNumFeatures), actionChild->File);
        chunk.AddRule(std::move(rule));
    } else if (node.written && fileType == kWekaFile) {
        const QString results = absolute(WekaResultsFile(node.learnerFile));
        if (RunLearner("callweka", "JRip", {absolute(node.learnerFile), results}, folder, examples.name, &node.failure,
                       &said))
            TakeLearnerResult(results, said, false, examples.positives.empty() ? -1 : examples.positives.front(),
                              chunk);
        else
            node.failure = LearnerRunFailure(node.failure);
    } else if (node.written && fileType == kSlipperFile) {
        const QString hypothesis = absolute(SlipperHypothesisFile(node.learnerFile));
        const QString stem = absolute(SlipperStem(node.learnerFile));
        if (RunLearner("callslipper", "Slipper", {stem, hypothesis}, folder, examples.name, &node.failure, &said))
            TakeLearnerResult(hypothesis, said, true, -1, chunk);
        else
            node.failure = LearnerRunFailure(node.failure);
    } else if (node.written) {
        // No learner reads this type: the datasets are the user's.
        chunk.SetNotAsked();
        learners.StrategyNotLearnt("no learner reads this dataset type");
    }
}

void TFormStrategy::FinishNodeRules(const TNodeRun& node, StrategyChunk& chunk)
{
    FeatureList* features = FeaturesOf(actionChild);
    // A node without rules for want of a learner must not read as one whose
    // rules say "never".
    if (!node.failure.empty())
        chunk.SetNotLearnt(node.failure);
    chunk.SetPositiveCount(static_cast<int>(node.examples.positives.size()));
    chunk.SetNegativeCount(static_cast<int>(node.examples.negatives.size()));
    // The node where Cancel stopped the command says so, also when quiet,
    // unless a command around it tells it in its own way (a sweep row). A
    // node no learner was asked for has no rule line.
    const bool tellCancel = learners.Cancelled() && (Verbose(cbVerbose) || !learners.Nested());
    if ((Verbose(cbVerbose) || tellCancel) && chunk.State() != TChunkState::NotAsked) {
        if (tellCancel)
            learners.TellCancel();
        MemoRules->appendPlainText(QString::fromStdString(RuleLine(features, chunk, cbComputerOutput->isChecked())));
    }
    if (cbPruneRules->isChecked())
        for (const auto& rule : chunk.GetRules())
            MakeScratchRules(features, rule.get(), node.examples.positives, node.examples.negatives);
}

void TFormStrategy::EvaluateOwnRule(const TNodeExamples& examples)
{
    FeatureList* features = FeaturesOf(actionChild);
    if (!features || ownRule.Size() < 1 || !Verbose(cbVerbose))
        return;
    int tp = 0, fp = 0, tn = 0, fn = 0;
    EvaluateRule(*features, ownRule, examples.positives, examples.negatives, &tp, &fp, &tn, &fn);
    MemoRules->appendPlainText("Evaluating rule");
    MemoRules->appendPlainText(QString::fromStdString(EvaluationLine(tp, fp, tn, fn)));
}

void TFormStrategy::BtnEvaluateRuleClick()
{
    TFeatureConditions conditions;
    conditions.list = FeaturesOf(testChild ? testChild : actionChild);
    conditions.roleRoot = g_roleConcepts;
    ParseRuleText(EditRule->text().toStdString(), conditions, ownRule);
}
