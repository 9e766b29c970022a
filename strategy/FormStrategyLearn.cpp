// The learner run of one strategy node, the readers of outside learners'
// results and the user's own rule.
#include "strategy/FormStrategy.h"

#include "strategy/model/LearnerFiles.h"
#include "strategy/model/RuleReaders.h"

#include "actiongraph/childActionWin.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "platform/ReadFile.h"
#include "platform/SaveFile.h"
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

enum LearnerFileType { kWekaFile = 1, kSlipperFile = 4 };

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

// Removes a learner's old result, so that it cannot be read as this run's;
// false, with the reason, when it is still there.
bool RemoveOldResult(const QString& file, QString* why)
{
    const QFileInfo info(file);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (info.isDir()) {
        *why = "it is a folder";
        return false;
    }
    // In the private folder the removal goes through the checked folder, never
    // through a link put in its place.
    platform::SaveError error;
    if (platform::RemoveFile(QFile::encodeName(file).toStdString(), &error))
        return true;
    *why = QString::fromStdString(error.reason);
    return false;
}

// Why a learner run gave the node no rules: "cancelled", else the learner's
// failure.
std::string LearnerRunFailure(const std::string& reason)
{
    return reason == "cancelled" ? reason : "learner failed: " + reason;
}

}  // namespace

bool TFormStrategy::RunLearner(const QString& script, const QString& learner, const QStringList& arguments,
                               const QString& folder, const QString& resultFile, const std::string& node,
                               std::string* reason, std::string* output)
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
    QString why;
    if (!RemoveOldResult(resultFile, &why)) {
        *reason = "cannot remove the old result file " + resultFile.toStdString() + " (" + why.toStdString() + ")";
        if (learners.Fail(name, *reason))
            platform::MessageBox(this, "Cannot remove the old result file !", "Warning !", platform::Buttons::Ok,
                                 QDir::toNativeSeparators(resultFile) + ": " + why);
        return false;
    }
    const QString programFolder = learnerFolder.isEmpty() ? QCoreApplication::applicationDirPath() : learnerFolder;
    // A learner's own temporary files (Weka's work folder) go to the program's
    // private folder rather than the shared one.
    QStringList environment;
    const std::string privateFolder = platform::PrivateTempFolder();
    if (!privateFolder.empty())
        environment << "TMPDIR=" + QString::fromStdString(privateFolder);
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

std::string TFormStrategy::PrivateRunFile(const std::string& file, std::string* failure)
{
    if (const std::string* refused = learners.Failure(kPrivateFolder)) {
        learners.NodeLeftOut();
        *failure = *refused;
        return std::string();
    }
    std::string why;
    const std::string folder = platform::PrivateTempFolder(&why);
    if (!folder.empty())
        return (std::filesystem::path(folder) / std::filesystem::path(file).filename()).string();
    *failure = why;
    if (learners.Fail(kPrivateFolder, why))
        platform::MessageBox(this, "No place for the learner's files !", "Warning !", platform::Buttons::Ok,
                             QString::fromStdString(why));
    return std::string();
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

void TFormStrategy::LearnNodeRules(const TNodeExamples& examples)
{
    if (examples.chunk == 0 && !learners.Active())
        learners.Reset();
    if (!actionChild || examples.chunk < 0 || examples.chunk >= static_cast<int>(chunks.size()))
        return;
    StrategyChunk& chunk = *chunks[static_cast<std::size_t>(examples.chunk)];
    FeatureList* features = FeaturesOf(actionChild);

    // The dataset: positives (class 1), then negatives (class 0).
    std::vector<int> cycles = examples.positives;
    cycles.insert(cycles.end(), examples.negatives.begin(), examples.negatives.end());
    std::vector<int> classes(examples.positives.size(), 1);
    classes.resize(cycles.size(), 0);
    const std::vector<std::string> classNames = {"OTHER", examples.name};
    std::vector<std::string> featureTexts;
    for (int i = 0; i < lbFeatures->count(); ++i)
        if (lbFeatures->item(i)->isSelected())
            featureTexts.push_back(lbFeatures->item(i)->text().toStdString());
    const std::string nodeFile = NodeDataFileName(dataFileName, examples.name);
    std::string failure;
    std::string learnerFile;
    bool usersFolder = false;
    // No learner ran for a node whose dataset is missing: its reason never
    // reads "learner failed".
    static constexpr const char* kNotWritten = "dataset not written";
    if (const std::string* unwritten = learners.Failure(kDataset)) {
        // A dataset that could not be written stopped the command: no
        // further node is tried.
        learners.NodeLeftOut();
        failure = std::string(kNotWritten) + ": " + *unwritten + " (not tried)";
    } else {
        // An outside learner reads its dataset from the private folder and
        // leaves its result there, never beside a data file the user named
        // elsewhere, where another user's file or link could stand; that file
        // is still written, for the user. The folder is asked for afresh, as
        // it may have been cleared away or replaced since the window opened,
        // and only its answer is used. Refused, nothing is written and the
        // command says why once.
        const bool outsideLearner =
            !cbHomeRules->isChecked() && (fileType == kWekaFile || fileType == kSlipperFile);
        usersFolder = !platform::InPrivateFolder(nodeFile);
        if (outsideLearner || !usersFolder)
            learnerFile = PrivateRunFile(nodeFile, &failure);
    }
    // A dataset that could not be written (the writer said so) is not learnt
    // from, and it stops the command with the save's own words, told once.
    QString unwritten;
    const auto save = [&](const std::string& file) {
        return actionChild->SaveAssocData(QString::fromStdString(file), fileType, examples.threshold, cycles, classes,
                                          classNames, &featureTexts, &unwritten);
    };
    const bool written = failure.empty() && (!usersFolder || save(nodeFile)) &&
                         (learnerFile.empty() || save(learnerFile));
    if (failure.empty() && !written) {
        const std::string words = unwritten.isEmpty() ? "the file " + nodeFile + " was not written" : unwritten.toStdString();
        failure = std::string(kNotWritten) + ": " + words;
        if (learners.Fail(kDataset, words, kNotWritten))
            platform::MessageBox(this, "Dataset not written !", "Warning !", platform::Buttons::Ok,
                                 QString::fromStdString(words));
    }

    // The learner runs in that folder, given whole paths.
    const auto absolute = [](const std::string& file) {
        return QFileInfo(QString::fromStdString(file)).absoluteFilePath();
    };
    const QString folder = QFileInfo(QString::fromStdString(learnerFile)).absolutePath();
    if (!failure.empty()) {
        // No rules without the dataset, whichever learner.
    } else if (cbHomeRules->isChecked()) {
        auto rule = std::make_unique<RuleObject>(true);
        LearnTopFeatureRule(features, rule.get(), examples.positives, examples.negatives,
                            IntegerOr1(EditNumFeatures), actionChild->File);
        chunk.AddRule(std::move(rule));
    } else if (written && fileType == kWekaFile) {
        const QString results = absolute(WekaResultsFile(learnerFile));
        std::string said;
        if (RunLearner("callweka", "JRip", {absolute(learnerFile), results}, folder, results,
                       examples.name, &failure, &said))
            TakeLearnerResult(results, said, false, examples.positives.empty() ? -1 : examples.positives.front(),
                              chunk);
        else
            failure = LearnerRunFailure(failure);
    } else if (written && fileType == kSlipperFile) {
        const QString hypothesis = absolute(SlipperHypothesisFile(learnerFile));
        const QString stem = absolute(SlipperStem(learnerFile));
        std::string said;
        if (RunLearner("callslipper", "Slipper", {stem, hypothesis}, folder, hypothesis, examples.name, &failure,
                       &said))
            TakeLearnerResult(hypothesis, said, true, -1, chunk);
        else
            failure = LearnerRunFailure(failure);
    } else if (written) {
        // No learner reads this type: the datasets are the user's, and the
        // command says once where they are.
        chunk.SetNotAsked();
        const std::string& usersFile = usersFolder ? nodeFile : learnerFile;
        learners.DatasetsWithoutLearner(QFileInfo(QString::fromStdString(usersFile)).absolutePath().toStdString());
        learners.StrategyNotLearnt("no learner reads this dataset type");
    }
    // The window may have let go of its graph window while the learner ran.
    if (!actionChild)
        return;

    // A node without rules for want of a learner must not read as one whose
    // rules say "never".
    if (!failure.empty())
        chunk.SetNotLearnt(failure);
    chunk.SetPositiveCount(static_cast<int>(examples.positives.size()));
    chunk.SetNegativeCount(static_cast<int>(examples.negatives.size()));
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
            MakeScratchRules(features, rule.get(), examples.positives, examples.negatives);
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
