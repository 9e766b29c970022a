// The learner run of one strategy node, the readers of outside learners'
// results and the user's own rule.
#include "strategy/FormStrategy.h"

#include "strategy/model/LearnerFiles.h"
#include "strategy/model/RuleReaders.h"

#include "actiongraph/childActionWin.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

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

// Removes a learner's old result; false when it is still there, so that it
// could be read as this run's.
bool RemoveOldResult(const QString& file) { return !QFile::exists(file) || QFile::remove(file); }

}  // namespace

bool TFormStrategy::RunLearner(const QString& script, const QStringList& arguments, const QString& folder)
{
    const QString programFolder = learnerFolder.isEmpty() ? QCoreApplication::applicationDirPath() : learnerFolder;
    const platform::ProgramRun run =
        platform::RunProgram(QDir(programFolder).filePath(script), arguments, learnerTimeoutMs, folder);
    if (run.Succeeded())
        return true;
    // One message per run: a sweep or a batch test would otherwise stop at
    // every node of every run.
    if (!learnerWarned_) {
        learnerWarned_ = true;
        platform::MessageBox(this, "Call failed !", "Warning !", platform::Buttons::Ok,
                             script + ": " + run.Describe(learnerTimeoutMs));
    }
    return false;
}

void TFormStrategy::LearnNodeRules(const TNodeExamples& examples)
{
    if (examples.chunk == 0)
        learnerWarned_ = false;
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
    // A dataset that could not be written (the writer said so) is not learnt from.
    const bool written = actionChild->SaveAssocData(QString::fromStdString(nodeFile), fileType, examples.threshold,
                                                    cycles, classes, classNames, &featureTexts);

    const bool allowDefaultNegative = cbAllowDefaultNegative->isChecked();
    const QString folder = QFileInfo(QString::fromStdString(nodeFile)).absolutePath();
    if (cbHomeRules->isChecked()) {
        auto rule = std::make_unique<RuleObject>(true);
        LearnTopFeatureRule(features, rule.get(), examples.positives, examples.negatives,
                            IntegerOr1(EditNumFeatures), actionChild->File);
        chunk.AddRule(std::move(rule));
    } else if (written && fileType == kWekaFile) {
        const QString results = QString::fromStdString(WekaResultsFile(nodeFile));
        const QString absoluteResults = QFileInfo(results).absoluteFilePath();
        if (RemoveOldResult(absoluteResults) &&
            RunLearner("callweka", {QFileInfo(QString::fromStdString(nodeFile)).absoluteFilePath(), absoluteResults},
                       folder))
            ReadWekaRules(absoluteResults.toStdString(), chunk, allowDefaultNegative,
                          examples.positives.empty() ? -1 : examples.positives.front());
    } else if (written && fileType == kSlipperFile) {
        const QString hypothesis = QFileInfo(QString::fromStdString(SlipperHypothesisFile(nodeFile))).absoluteFilePath();
        const QString stem = QFileInfo(QString::fromStdString(SlipperStem(nodeFile))).absoluteFilePath();
        if (RemoveOldResult(hypothesis) && RunLearner("callslipper", {stem}, folder))
            ReadSlipperRules(hypothesis.toStdString(), chunk, allowDefaultNegative);
    }

    chunk.SetPositiveCount(static_cast<int>(examples.positives.size()));
    chunk.SetNegativeCount(static_cast<int>(examples.negatives.size()));
    if (Verbose(cbVerbose))
        MemoRules->appendPlainText(QString::fromStdString(RuleLine(features, chunk, cbComputerOutput->isChecked())));
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

void TFormStrategy::ReadWekaRules(const std::string& fileName, StrategyChunk& chunk, bool allowDefaultNegative,
                                  int firstPositive)
{
    TFeatureConditions conditions;
    conditions.list = FeaturesOf(actionChild);
    conditions.firstPositive = firstPositive;
    conditions.roleRoot = g_roleConcepts;
    ::ReadWekaRules(fileName, conditions, chunk, allowDefaultNegative);
}

void TFormStrategy::ReadSlipperRules(const std::string& fileName, StrategyChunk& chunk, bool allowDefaultNegative)
{
    ::ReadSlipperRules(fileName, MakeSlipperNames(g_roleConcepts, FeaturesOf(actionChild)), chunk,
                       allowDefaultNegative, cbFirstSlipperRule->isChecked());
}
