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
#include <string>
#include <vector>

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

// The settings of a run as the window's boxes hold them.
struct RulesSettings {
    TExampleOptions examples;
    TFeatureOptions weighting;
    double threshold = 0.0;  // the percentages typed, as fractions
    double sampling = 0.0;
};

// The settings; throws EConvertError when the threshold or the sampling is no number.
RulesSettings ReadRulesSettings(const TFormStrategy& form)
{
    RulesSettings settings;
    int duration = form.rgDuration->ItemIndex();
    if (duration < 0 || duration > 2)
        duration = 0;
    settings.threshold = StrToFloatDot(form.EditThreshold->text().toStdString()) * 0.01;
    settings.sampling = StrToFloatDot(form.EditSampling->text().toStdString()) * 0.01;

    TExampleOptions& examples = settings.examples;
    examples.duration = static_cast<TDurationMode>(duration);
    examples.strictTimes = form.cbStrictTimes->isChecked();
    const int source = form.rgNegativeExamples->ItemIndex();
    examples.source = source >= 0 && source <= 2 ? static_cast<TNegativeSource>(source) : TNegativeSource::None;
    examples.minDist = NumberOrZero(form.EditMinDist);
    examples.maxDist = NumberOrZero(form.EditMaxDist);
    TFeatureOptions& weighting = settings.weighting;
    weighting.confidence = ConfidenceOf(form.cbNegativeRules);
    weighting.minConf = NumberOrZero(form.EditMinConf);
    weighting.filterDiff = form.cbMinDiff->isChecked();
    weighting.minDiff = NumberOrZero(form.EditMinDiff);
    const int weight = form.rgFeatureWeight->ItemIndex();
    weighting.weighting = weight >= 0 && weight <= 3 ? static_cast<TFeatureWeighting>(weight) : TFeatureWeighting::None;
    weighting.L = NumberOrZero(form.EditParameterL);
    weighting.duration = examples.duration;
    return settings;
}

// Every node is named in full before the first learner runs, so that a
// command stopped early (Cancel, a dataset not written) leaves no node, nor
// the one "No Last Node" leaves out, under its short grid name. The node the
// walk leaves out has no condition.
void NameNodes(const TPathObject& strategy, std::size_t walked, TChunkList& chunks)
{
    const std::vector<TWalkStep> named = StrategyWalk(strategy, false);
    for (std::size_t k = 0; k < named.size() && k < chunks.size(); ++k)
        chunks[k]->SetName(named[k].name);
    for (std::size_t k = walked; k < chunks.size(); ++k)
        chunks[k]->SetLeftOut();
}

// The examples of one run over a strategy's nodes: where negatives are looked
// for, how features are weighed, and the cycles of every node so far. The node
// distance is the window's with the action weight off (the caller holds it
// off); node feature counts are kept for the whole run, as every node is
// measured again and again.
class ExampleRun {
public:
    ExampleRun(TFormStrategy& form, const TPathPtr& strategy, const RulesSettings& settings)
        : form_(form), strategy_(*strategy), log_(*form.actionChild->File), features_(*log_.features),
          settings_(settings), weights_{form.actionChild->AttrW, form.actionChild->RoleW, form.actionChild->ActionW,
                                        form.actionChild->FeatW},
          cache_(&features_),
          header_(form.cbVerbose->checkState() != Qt::Unchecked && !form.cbComputerOutput->isChecked()),
          listCycles_(form.cbVerbose->checkState() == Qt::Checked && !form.cbComputerOutput->isChecked())
    {
        context_.graph = form.graph;
        context_.strategy = strategy.get();
        for (const TPathItem& item : form.similarItems.Items())
            context_.similar.push_back(item.path.get());
        context_.distance = [this](const TNode& a, const TNode& b) {
            return NodeDistance(a, b, weights_, &features_, &cache_);
        };
    }
    ExampleRun(const ExampleRun&) = delete;
    ExampleRun& operator=(const ExampleRun&) = delete;

    // Each node in walk order: its examples, its learner (generate mode), the
    // user's rule over its examples. False when the command ended on the way.
    bool Nodes(const std::vector<TWalkStep>& steps, bool display)
    {
        TChunkList& chunks = form_.chunks;
        for (std::size_t k = 0; k < steps.size() && k < chunks.size(); ++k) {
            const TNodeExamples examples = Collect(steps[k], static_cast<int>(k), *chunks[k]);
            Prepare(steps[k], examples, display);
            if (!display)
                form_.LearnNodeRules(examples);
            // The learner may let the window's events through: the graph window
            // can be gone by now. Cancel, or a dataset that cannot be written,
            // ends the whole command before its node is evaluated.
            if (!form_.actionChild ||
                (!display && (form_.learners.Cancelled() || form_.learners.Failure(TFormStrategy::kDataset))))
                return false;
            form_.EvaluateOwnRule(examples);
        }
        return true;
    }

    // The example cycles of every node into the graph window's picture.
    void DrawExampleCycles(TMDIActionChild& child)
    {
        child.DrawExampleCycles(positives_, positiveNodes_, &negatives_, 4);
    }

private:
    // The node's positive cycles (their field states into its chunk) and its
    // negatives, positives taken out, then sampled; the run's cycles keep
    // both, the negatives as found.
    TNodeExamples Collect(const TWalkStep& step, int k, StrategyChunk& chunk)
    {
        chunk.GetFieldStates().clear();
        const std::vector<int> positives = CollectPositives(strategy_, step.node, step.final, settings_.examples);
        AddCycleStates(chunk, positives, log_);
        positives_.insert(positives_.end(), positives.begin(), positives.end());
        positiveNodes_.insert(positiveNodes_.end(), positives.size(), step.walk);

        std::vector<int> negatives = CollectNegatives(context_, step.node, step.walk, step.final, settings_.examples);
        RemoveCycles(negatives, positives);
        negatives_.insert(negatives_.end(), negatives.begin(), negatives.end());
        SampleCycles(negatives, settings_.sampling);
        return {step.name, k, step.final, positives, negatives, settings_.threshold};
    }

    // The node on the chart (display mode) and in the verbose header, its
    // features weighed for its learner, its class data to the clipboard when asked.
    void Prepare(const TWalkStep& step, const TNodeExamples& examples, bool display)
    {
        if (display)
            AddNodeSeries(form_.ChartRules, step.name);
        if (header_)
            for (const std::string& line :
                 VerboseHeader(step.name, examples.positives, examples.negatives.size(), listCycles_))
                form_.MemoRules->appendPlainText(QString::fromStdString(line));
        const TWeighResult weighed = WeighFeatures(features_, log_, *form_.graph, step.node, examples.positives,
                                                   examples.negatives, settings_.weighting, context_.distance);
        if (weighed.failedTerms > 0)
            platform::Beep();
        const int copy = form_.rgCopyClassData->ItemIndex();
        if (copy >= 1 && copy <= 3)
            platform::SetClipboardText(
                QString::fromStdString(ClassDataText(copy, examples.positives, examples.negatives)));
    }

    TFormStrategy& form_;
    const TPathObject& strategy_;
    RoboCupFileT& log_;
    FeatureList& features_;
    const RulesSettings settings_;
    const TDistanceWeights weights_;
    TFeatureCache cache_;
    const bool header_;      // each node's verbose header
    const bool listCycles_;  // with its cycles
    TNegativeContext context_;
    std::vector<int> positives_, positiveNodes_, negatives_;
};

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
    RulesSettings settings;
    try {
        settings = ReadRulesSettings(*this);
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
    // The features are named as the attached window names its nodes.
    settings.weighting.roleDepth = actionChild->Depths.role;
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

    ExampleRun run(*this, strategy, settings);
    const std::vector<TWalkStep> steps = StrategyWalk(*strategy, cbNoLastNode->isChecked());
    NameNodes(*strategy, steps.size(), chunks);
    // Apriori's question is the command's: asked before its first node, its
    // answer serves every node of every strategy it learns.
    if (!display && !steps.empty())
        AprioriUseRoles();
    if (!run.Nodes(steps, display))
        return;
    if (!display)
        TellNodesNotLearnt();
    if (cbVerbose->checkState() != Qt::Unchecked)
        PageRules->setCurrentWidget(MemoRules);
    if (display) {
        ChartRules->replot();
        run.DrawExampleCycles(*actionChild);
    }
}
