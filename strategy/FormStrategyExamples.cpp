// "Display Data" and the first half of "Generate rules": the chosen strategy's
// nodes become learning tasks, each with its positive and negative example
// cycles and the log's features filtered, named and weighted for it. Generate
// mode hands each node to the learner; both modes evaluate the user's rule.
#include "strategy/FormStrategy.h"

#include "strategy/model/TrainingExamples.h"

#include "actiongraph/model/Distances.h"
#include "actiongraph/childActionWin.h"
#include "core/learning/Features.h"
#include "core/model/Common.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"
#include "ui/FormControls.h"
#include "ui/waitFormWin.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTabWidget>

#include <optional>

#include <qcustomplot.h>

namespace {

// The boxes that may hold anything: a text that is no number reads as 0.
double NumberOrZero(const QLineEdit* edit)
{
    try {
        return StrToFloatDot(edit->text().toStdString());
    } catch (const EConvertError&) {
        return 0.0;
    }
}

// The node distances of a run ignore the action concepts: the window's action
// weight is 0 while the run lasts and comes back on every way out.
class ActionWeightOff {
public:
    explicit ActionWeightOff(TMDIActionChild* child) : child_(child), saved_(child ? child->ActionW : 0.0)
    {
        if (child)
            child->ActionW = 0.0;
    }
    ~ActionWeightOff()
    {
        if (child_)
            child_->ActionW = saved_;
    }
    ActionWeightOff(const ActionWeightOff&) = delete;
    ActionWeightOff& operator=(const ActionWeightOff&) = delete;

private:
    QPointer<TMDIActionChild> child_;
    double saved_;
};

// One empty point series per node on the rule chart, titled by the node:
// small circles without outline, no line, no marks.
void AddNodeSeries(QCustomPlot* chart, const std::string& name)
{
    QCPGraph* series = chart->addGraph();
    series->setName(QString::fromStdString(name));
    series->setLineStyle(QCPGraph::lsNone);
    QCPScatterStyle circle(QCPScatterStyle::ssCircle, 3);
    circle.setPen(Qt::NoPen);
    circle.setBrush(series->pen().color());
    series->setScatterStyle(circle);
}

TConfidenceTest ConfidenceOf(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked: return TConfidenceTest::AtMost;
    case Qt::PartiallyChecked: return TConfidenceTest::Either;
    case Qt::Unchecked: break;
    }
    return TConfidenceTest::AtLeast;
}

}  // namespace

void TFormStrategy::BtnRulesClick(QObject* Sender)
{
    const bool display = Sender != nullptr;
    // Generate mode that stops before it builds the strategy's nodes leaves
    // none of an earlier run behind, which would read as this run's rules:
    // the strategy is not learnt, for the reason.
    const auto notLearnt = [this, display](const std::string& reason) {
        if (display)
            return;
        DeleteChunks(chunks);
        learners.StrategyNotLearnt(reason);
    };
    int duration = rgDuration->ItemIndex();
    if (duration < 0 || duration > 2)
        duration = 0;
    double threshold = 0.0;
    double sampling = 0.0;
    try {
        threshold = StrToFloatDot(EditThreshold->text().toStdString()) * 0.01;
        sampling = StrToFloatDot(EditSampling->text().toStdString()) * 0.01;
    } catch (const EConvertError& e) {
        notLearnt(e.what());
        // Once in a command that learns strategy after strategy ("All Rules").
        if (display || !learners.Active() || learners.TellOnce(e.what()))
            platform::MessageBox(this, QString::fromStdString(e.what()), "Error");
        return;
    }
    dataFileName = EditFName->text().toStdString();

    const int row = lbPath->currentRow();
    const TPathPtr strategy = row >= 0 && row < pathItems.Count() ? pathItems.Path(row) : nullptr;
    if (!strategy) {
        notLearnt("no strategy chosen");
        platform::MessageBox(this, "Select a strategy !", "Warning !");
        return;
    }
    if (!actionChild || !actionChild->File || !actionChild->File->features || !graph) {
        notLearnt("no action graph with features");
        platform::Beep();
        return;
    }
    RoboCupFileT& log = *actionChild->File;
    FeatureList& features = *log.features;

    TExampleOptions examples;
    examples.duration = static_cast<TDurationMode>(duration);
    examples.strictTimes = cbStrictTimes->isChecked();
    const int source = rgNegativeExamples->ItemIndex();
    examples.source = source >= 0 && source <= 2 ? static_cast<TNegativeSource>(source) : TNegativeSource::None;
    examples.minDist = NumberOrZero(EditMinDist);
    examples.maxDist = NumberOrZero(EditMaxDist);
    TFeatureOptions weighting;
    weighting.confidence = ConfidenceOf(cbNegativeRules);
    weighting.minConf = NumberOrZero(EditMinConf);
    weighting.filterDiff = cbMinDiff->isChecked();
    weighting.minDiff = NumberOrZero(EditMinDiff);
    const int weight = rgFeatureWeight->ItemIndex();
    weighting.weighting = weight >= 0 && weight <= 3 ? static_cast<TFeatureWeighting>(weight) : TFeatureWeighting::None;
    weighting.L = NumberOrZero(EditParameterL);
    weighting.duration = examples.duration;

    if (display) {
        ChartRules->clearGraphs();
        ChartRules->replot();
    }
    const ActionWeightOff actionOff(actionChild);
    // Generate mode is a command of its own, or one run of the command that
    // called it (the sweep, "All Rules", the batch test).
    // Its wait window stays, in one place and with Cancel, from the first
    // node to the last.
    std::optional<TLearnerCommand> command;
    std::optional<WaitCommand> wait;
    if (!display) {
        command.emplace(learners);
        wait.emplace("Generating rules ...", WaitOver(), true);
        learners.BeginRun();
        learners.BeginStrategy();
    }
    if (!ShowStrategy(*strategy, chunks)) {
        notLearnt("the strategy's nodes cannot be built (the join value is no number)");
        return;
    }

    // The window's distance with the action weight off; node feature counts
    // are kept for the whole run, as every node is measured again and again.
    const TDistanceWeights weights{actionChild->AttrW, actionChild->RoleW, actionChild->ActionW, actionChild->FeatW};
    TFeatureCache cache(&features);
    TNegativeContext context;
    context.graph = graph;
    context.strategy = strategy.get();
    for (const TPathItem& item : similarItems.Items())
        context.similar.push_back(item.path.get());
    context.distance = [&weights, &features, &cache](const TNode& a, const TNode& b) {
        return NodeDistance(a, b, weights, &features, &cache);
    };

    const bool header = cbVerbose->checkState() != Qt::Unchecked && !cbComputerOutput->isChecked();
    const bool listCycles = cbVerbose->checkState() == Qt::Checked && !cbComputerOutput->isChecked();
    std::vector<int> allPositives, allPositiveNodes, allNegatives;
    const std::vector<TWalkStep> steps = StrategyWalk(*strategy, cbNoLastNode->isChecked());
    // Every node is named in full before the first learner runs, so that a
    // command stopped early (Cancel, a dataset not written) leaves no node,
    // nor the one "No Last Node" leaves out, under its short grid name.
    const std::vector<TWalkStep> named = StrategyWalk(*strategy, false);
    for (std::size_t k = 0; k < named.size() && k < chunks.size(); ++k)
        chunks[k]->SetName(named[k].name);
    // The node the walk leaves out ("No Last Node") has no condition.
    for (std::size_t k = steps.size(); k < chunks.size(); ++k)
        chunks[k]->SetLeftOut();
    // Apriori's question is the command's: asked before its first node, its
    // answer serves every node of every strategy it learns.
    if (!display && !steps.empty())
        AprioriUseRoles();
    for (std::size_t k = 0; k < steps.size() && k < chunks.size(); ++k) {
        const TWalkStep& step = steps[k];
        StrategyChunk& chunk = *chunks[k];
        chunk.GetFieldStates().clear();

        const std::vector<int> positives = CollectPositives(*strategy, step.node, step.final, examples);
        AddCycleStates(chunk, positives, log);
        allPositives.insert(allPositives.end(), positives.begin(), positives.end());
        allPositiveNodes.insert(allPositiveNodes.end(), positives.size(), step.walk);

        std::vector<int> negatives = CollectNegatives(context, step.node, step.walk, step.final, examples);
        RemoveCycles(negatives, positives);
        allNegatives.insert(allNegatives.end(), negatives.begin(), negatives.end());
        SampleCycles(negatives, sampling);

        if (display)
            AddNodeSeries(ChartRules, step.name);

        if (header)
            for (const std::string& line : VerboseHeader(step.name, positives, negatives.size(), listCycles))
                MemoRules->appendPlainText(QString::fromStdString(line));

        const TWeighResult weighed =
            WeighFeatures(features, log, *graph, step.node, positives, negatives, weighting, context.distance);
        if (weighed.failedTerms > 0)
            platform::Beep();

        const int copy = rgCopyClassData->ItemIndex();
        if (copy >= 1 && copy <= 3)
            platform::SetClipboardText(QString::fromStdString(ClassDataText(copy, positives, negatives)));

        const TNodeExamples nodeExamples{step.name, static_cast<int>(k), step.final, positives, negatives, threshold};
        if (!display)
            LearnNodeRules(nodeExamples);
        // The learner may let the window's events through: the graph window
        // can be gone by now. Cancel, or a dataset that cannot be written,
        // ends the whole command before its node is evaluated.
        if (!actionChild || (!display && (learners.Cancelled() || learners.Failure(kDataset))))
            return;
        EvaluateOwnRule(nodeExamples);
    }

    if (!display)
        TellNodesNotLearnt();
    if (cbVerbose->checkState() != Qt::Unchecked)
        PageRules->setCurrentWidget(MemoRules);
    if (display) {
        ChartRules->replot();
        actionChild->DrawExampleCycles(allPositives, allPositiveNodes, &allNegatives, 4);
    }
}
