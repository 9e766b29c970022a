// The strategy window: one plain window for the program's whole run. It is
// attached to one action-graph window at a time, lists that window's paths as
// strategies and shows a chosen one as its chunks in sgStrategy.
#pragma once

#include "strategy/model/LearnerRecord.h"
#include "strategy/model/NodeExamples.h"
#include "strategy/model/RuleTest.h"
#include "strategy/model/StrategyChunks.h"
#include "strategy/model/TestRecords.h"

#include <QDialog>
#include <QPointer>

#include <set>

#include "actiongraph/model/Paths.h"
#include "actiongraph/model/PathsMemo.h"
#include "actiongraph/StrategyLink.h"

class TRadioGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QCustomPlot;
class QPushButton;
class QSpinBox;
class QTabWidget;
class TGraph;
class TMDIActionChild;
class TMDIChild;
class TStringGrid;
namespace platform {
class WorkFolder;
}


class TFormStrategy : public QDialog, public TStrategyLink {
    Q_OBJECT
public:
    // The name a refused private folder fails a command's learner runs under.
    static constexpr const char* kPrivateFolder = "private folder";
    // The name a dataset that cannot be written stops its command under.
    static constexpr const char* kDataset = "dataset";
    // How a node reads whose dataset was never written, for want of the file
    // or of the private folder: no learner ran, so it never reads "learner failed".
    static constexpr const char* kNotWritten = "dataset not written";
    // The name a sweep without a test graph stops its command under.
    static constexpr const char* kNoTestGraph = "no test graph";
    explicit TFormStrategy(QWidget* parent = nullptr);
    ~TFormStrategy() override;

    // ---- Reached by the action-graph window and the batch test ----
    // Attaches the window to child (Attach) and runs it: in batch mode only
    // "Find test"; otherwise "Find test" when a test strategy is stored, else
    // "Find" when a start cycle is typed (each followed by the sweep, and no
    // window, when the child's "Test all" is checked); then with the child's
    // "Generate all" checked the window is shown without waiting while "All
    // Rules" runs, else it is shown modally (platform::ShowModal: a test's
    // DialogScript answers it without showing anything). Shown modally in
    // the middle of a command (the batch test), the window's own commands
    // are commands of their own: a Cancel there ends only them.
    void Init(TMDIActionChild* child, bool batch, tTest* target) override;
    // child becomes the test window ("Generate test"); null clears the test graph.
    void SetTestGraph(TMDIActionChild* child) override;
    bool HasTestGraph() const override { return testGraph && testChild; }
    // What Init looks for under "Test all": the stored test strategy or a start cycle.
    bool HasTestStrategy() const override;
    void AppendMemo(const std::string& line) override;
    // The series is one command of learners (see TLearnerRecord).
    void BeginSeries() override
    {
        learners.Begin();
        testMissedAt_.clear();
        testFoundSteps_ = 0;
    }
    void EndSeries() override { learners.End(); }
    void CancelSeries() override { learners.Cancel(); }
    bool SeriesStopped() const override { return learners.Stopped(); }
    // The memo's last line says how the series ended ("// Test all ended by
    // Cancel"), the window lists child's paths again and shows, without waiting.
    void SeriesEnded(TMDIActionChild* child, const std::string& series) override;
    // The join-value test's record (FormStrategyRecords.cpp): a new tTest; the
    // shown strategy's chunks copied into it with the value; its results as a
    // table in MemoRules (header, equal settings merged); deleted, the target
    // let go first when it is that record.
    tTest* NewTestRecord() override;
    void StoreTestChunks(tTest* record, double value) override;
    void WriteTestResults(tTest* record) override;
    void FreeTestRecord(tTest* record) override;
    // Lets go of every window and the lists holding their paths (the chunks
    // stay), then shows the window modally.
    void ResetAndShow();
    // False after the warning "No action graph attached" when no window is attached.
    bool RequireAttached();

    // The attached windows and their graphs (not owned; null when none).
    TGraph* graph = nullptr;
    TGraph* testGraph = nullptr;
    TMDIActionChild* actionChild = nullptr;
    TMDIActionChild* testChild = nullptr;
    // The learner file type (1: Weka, the learner the set-up installs; 4:
    // Slipper) and the data file.
    int fileType = 1;
    std::string dataFileName;
    // The batch test's record of this run, or null.
    tTest* target = nullptr;
    TChunkList chunks;
    TChunkList testChunks;
    // The strategies (copies of the attached window's path list) and the test
    // strategies; paths are shared with the lists they came from.
    TPathList allStrategies{false};
    TPathList testStrategies{false};
    // The list box items, the truth behind lbPath and lbSimilar.
    TPathList pathItems{false};
    TPathList similarItems{true};

    // Lets go of the action-graph window (and its graph) as it closes.
    void ForgetWindow(TMDIActionChild* child);
    // Attaches the window without showing anything: the window's graph, the
    // batch record, the feature groups of its log in lbFeatures (all chosen)
    // and its path list as the strategies.
    void Attach(TMDIActionChild* child, tTest* batchTarget);

    // ---- Small handlers ----
    // The learner file type and the save dialog's filter and extension.
    void rgFileTypeClick();
    // The similar strategies become the strategy list to work on, then "All".
    void BtnStoreSimilarClick();
    // Every line of the list box, each ended by a line feed, to the clipboard.
    void BtnCopySimilarClick();
    void BtnCopyStrategiesClick();
    // Folds the rules panel away or shows it again at 1070 pixels.
    void PanelHideClick();
    void btnClearClick();

    // The selected strategy list item shows its path alone in the action-graph window.
    void lbPathClick();
    void lbPathDblClick();
    // Display mode of rule learning with the similar list as the sender.
    void lbSimilarDblClick();
    // Generate mode of rule learning.
    void BtnSaveRulesClick();
    // The data file by the save dialog; the results file dialog (its choice unused).
    void BtnBrowseClick();
    void BtnBrowseResultsClick();
    // Closes (Cancel); see done().
    void BtnCloseClick();
    // Every way of closing ends here ("Close", Esc, the title bar): the
    // attached window gets back the path list it had when attached (less the
    // paths gone since) and draws its whole graph again.
    void done(int result) override;

    // ---- Similar and test strategies, the filter (FormStrategySimilar.cpp) ----
    // Similarity of a candidate to the selected strategy by the attached
    // window's node distance (see StrategySimilar.h).
    bool PathDistance(const TPathObject* a, const TPathObject* b, double t, bool avgMode, double& d);
    // Nodes of the path found at a field state of the chunks, read from log.
    int CountTargetChunks(const TChunkList& targetChunks, const TPathObject& path, const RoboCupFileT& log);
    // The path is the strategy of the chunks (on the attached window's log).
    bool MatchTestChunks(const TPathObject& path, const TChunkList& chunkList);
    // testChunks := copies of the source chunks.
    void SetTestChunks(const TChunkList& source);
    // Shows the selected similar strategy alone in its window.
    void lbSimilarClick();
    void btnUpdateSimilarClick();
    void btnFindStartClick();
    void btnStoreTestClick();
    void btnFindTestClick();
    void BtnEraseTestClick();
    void btnSetFilterClick();
    void btnGenerateTestGraphClick();
    void btnClearTestClick();

    // ---- Training examples (FormStrategyExamples.cpp) ----
    // Generate mode with a null sender, display mode otherwise.
    void BtnRulesClick(QObject* Sender);

    // ---- Learners and rule reading (FormStrategyLearn.cpp) ----
    // The learner run of one node in generate mode: the node's dataset beside
    // dataFileName (in the command's own folder when that is the private
    // folder; an outside learner's copy, and its result, in a work folder of
    // the run's own there, removed after), the learner (in-house, Weka or
    // Slipper by file type), the
    // rules and counts in the node's chunk, the rule line. A learner that
    // fails is reported once per command (see learners); outside a command
    // the first node (chunk 0) starts one. A node left without rules by its
    // learner prints "learner failed: <reason>", one its learner refused
    // "not learnt: <reason>" (and the command goes on).
    void LearnNodeRules(const TNodeExamples& examples);
    // Its steps, in order: the node's dataset and where it goes; the folders
    // of the user's copy and the learner's; the datasets written; the learner
    // run into the chunk; the node's state, counts and lines. A step that
    // fails notes why in the run, and the later ones then only tell it.
    struct TNodeRun;
    void StartNodeRun(TNodeRun& node);
    void PlaceNodeFiles(TNodeRun& node, platform::WorkFolder& run);
    void WriteNodeDataset(TNodeRun& node);
    void RunNodeLearner(TNodeRun& node, const platform::WorkFolder& run, StrategyChunk& chunk);
    void FinishNodeRules(const TNodeRun& node, StrategyChunk& chunk);
    // The user's own rule against the node's examples, in both modes.
    void EvaluateOwnRule(const TNodeExamples& examples);
    // EditRule ("(f1 = 1) and (f2 = 0)") becomes ownRule.
    void BtnEvaluateRuleClick();
    // Whether an Apriori dataset names players by role: asked once per
    // command (the first time, before its first node) and the answer kept
    // for every node of it; false for the other dataset types.
    bool AprioriUseRoles();
    // Whether the node's dataset (and its second file) may be written where
    // the user's files are: where one of the user's own is there already
    // (not a dataset this window wrote), the user is asked once per command,
    // naming it, and the answer holds for every later one.
    bool MayReplaceDataset(const std::vector<std::string>& files);
    // The files of the node's dataset saved as file: a second one beside it
    // for Apriori and Slipper.
    std::vector<std::string> DatasetFiles(const std::string& file) const;
    // The datasets this window wrote where the user's files are: a later
    // command replaces them unasked.
    std::set<std::string> datasetsWritten_;
    // The user's own rule, evaluated on every node's examples when it has conditions.
    RuleObject ownRule{true};
    // Where callweka and callslipper are (the program's folder when empty) and
    // how long a learner may run on one node: long enough for JRip on a node
    // of a whole match, short enough that a hung learner does not hold the
    // program (the wait window offers Cancel meanwhile).
    QString learnerFolder;
    int learnerTimeoutMs = 10 * 60 * 1000;
    // The learner runs of the command that runs now: its failures, a Cancel,
    // the runs left out of the tables.
    TLearnerRecord learners;
    // Counts the times the attached window dropped its paths (and the lists
    // holding them went too).
    int pathListsDropped = 0;

    // ---- Rule tests (FormStrategyTest.cpp, FormStrategyWhole.cpp) ----
    void BtnTestRulesClick();
    void BtnWholeTestRulesClick();
    // A double click on sgStrategy: the rules as a recognizer of the listed
    // strategies of the strategy's length.
    void sgStrategyDblClick();

    // ---- Sweep, rule check and export (FormStrategySweep.cpp, FormStrategyExport.cpp) ----
    // Twelve learning and test runs of the selected strategy, one result row
    // each; afterwards the path lists hold only "All".
    void RunParameterSweep();
    // One join value of "Test all", after "Find test": the sweep of the test
    // strategy found; when "Find test" found none, the memo says so under the
    // join value instead of a table without rows, and the series' last line
    // names the strategy and where it was missing (SeriesEnded).
    void RunTestAllStep();
    // A right press on sgStrategy runs the sweep.
    void sgStrategyMouseDown(Qt::MouseButton button);
    // Per node and cycle of the (test) log whether the rules hold, and the counts.
    void BtnCheckRulesClick();
    // Every listed strategy's rules as source text, saved after each strategy
    // to TempResults.txt in the command's own folder in the private folder,
    // and once more finished; the memo's last line says where.
    void btnAllRulesClick();
    QString saveFilter = "Weka format (*.arff)";
    QString saveSuffix = "arff";
    // Shows the path in sgStrategy and replaces out by its chunks, read from the
    // attached window's log with its join value. False (and a beep) without
    // an attached window.
    bool ShowStrategy(const TPathObject& path, TChunkList& out);

    // ---- The form (FormStrategyForm.cpp) ----
    QListWidget* lbPath = nullptr;
    QLabel* lStrategyCount = nullptr;
    QPushButton* BtnCopyStrategies = nullptr;
    QLineEdit* EditStartCycle = nullptr;
    QPushButton* btnFindStart = nullptr;
    QPushButton* btnStoreTest = nullptr;
    QPushButton* btnFindTest = nullptr;
    QPushButton* BtnEraseTest = nullptr;
    QLineEdit* EditFilter = nullptr;
    QPushButton* btnSetFilter = nullptr;
    QPushButton* btnAllRules = nullptr;
    QPushButton* btnUpdateSimilar = nullptr;
    QLabel* lSimilarCount = nullptr;
    QPushButton* BtnStoreSimilar = nullptr;
    QPushButton* BtnCopySimilar = nullptr;
    QCheckBox* cbUseTest = nullptr;
    QCheckBox* cbAverageDist = nullptr;
    QLineEdit* EditThreshold = nullptr;
    QListWidget* lbSimilar = nullptr;
    QWidget* PanelHide = nullptr;
    QLabel* PanelHideCaption = nullptr;
    QListWidget* lbFeatures = nullptr;
    QWidget* PanelRules = nullptr;
    QPushButton *BtnRules = nullptr, *BtnSaveRules = nullptr, *BtnCheckRules = nullptr, *BtnWholeTestRules = nullptr,
                *BtnTestRules = nullptr, *btnClear = nullptr, *BtnClose = nullptr, *BtnBrowse = nullptr,
                *BtnEvaluateRule = nullptr, *BtnBrowseResults = nullptr, *btnGenerateTestGraph = nullptr,
                *btnClearTest = nullptr;
    QCheckBox *cbComputerOutput = nullptr, *cbMinDiff = nullptr, *cbNegativeRules = nullptr, *cbStrictTimes = nullptr,
              *cbNoLastNode = nullptr, *cbVerbose = nullptr, *cbTestAll = nullptr, *cbAllowDefaultNegative = nullptr,
              *cbHomeRules = nullptr, *cbPruneRules = nullptr, *cbFirstSlipperRule = nullptr;
    TRadioGroup *rgCopyClassData = nullptr, *rgNegativeExamples = nullptr, *rgDuration = nullptr,
                *rgFileType = nullptr, *rgFeatureWeight = nullptr;
    QLineEdit *EditMinConf = nullptr, *EditMinDiff = nullptr, *EditSampling = nullptr, *EditMinDist = nullptr,
              *EditMaxDist = nullptr, *EditFName = nullptr, *EditRule = nullptr, *EditParameterL = nullptr,
              *EditNumFeatures = nullptr;
    QSpinBox* UpDownSampling = nullptr;
    TStringGrid* sgStrategy = nullptr;
    QTabWidget* PageRules = nullptr;
    QPlainTextEdit* MemoRules = nullptr;
    // The rule chart on page "Graph": FP rate across, TP rate up, both -0.1 .. 1.1.
    QCustomPlot* ChartRules = nullptr;

protected:
    // A press on PanelHide folds the rules panel; while the window is modal
    // and minimised, any stir of its owner brings it back.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Shown, the window stays above the attached window's main window.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // A modal window minimised on its own is shown again at once: the rest of
    // the program would ignore every click with nothing to answer.
    void changeEvent(QEvent* event) override;

private:
    // The attached window's own path list, given back on closing.
    TPathListMemo windowPaths_;
    // The window whose strategy the grid and the memo show (null also once
    // it closed), and whether any was attached yet: attached to another one,
    // the window starts empty rather than show a strategy of a graph it no
    // longer lists.
    QPointer<TMDIActionChild> shownFor_;
    bool attachedBefore_ = false;
    // The join values of this series at which "Find test" found no test
    // strategy, and the number at which it found one.
    std::vector<std::string> testMissedAt_;
    int testFoundSteps_ = 0;
    // The top-level window this one was last shown above (not owned).
    QWidget* owner_ = nullptr;
    void BringBackIfMinimised();
    // Says why when the private folder for the learner's files cannot be had.
    void WarnIfNoPrivateFolder();
    // The window a command's wait window is centred over.
    QWidget* WaitOver();
    // Runs a learner script of learnerFolder on the node in the run's work
    // folder (its TMPDIR too), showing what runs in the wait window with
    // Cancel. False, with *reason, when the node gets no rules from it: the
    // learner failed now (told once per command) or earlier in the command,
    // or the user cancelled. True, with what the run wrote in *output, when
    // it ended well.
    bool RunLearner(const QString& script, const QString& learner, const QStringList& arguments,
                    const QString& folder, const std::string& node, std::string* reason, std::string* output);
    // After a JRip (or Slipper) run that ended well: its result file read into
    // the chunk's rule list, or false, the node marked not learnt, when the run
    // gave none (see TakeWekaResult); the object concepts of JRip conditions
    // are the roles at firstPositive (see RuleReaders.h).
    bool TakeLearnerResult(const QString& resultFile, const std::string& output, bool slipper, int firstPositive,
                           StrategyChunk& chunk);
    // A work folder of the node's learner run's own in the private folder as
    // the folder answers now; false, with *failure, when it is refused (told
    // once per command, and no further node asks: learners.Failure(
    // kPrivateFolder) says why).
    bool MakeRunFolder(platform::WorkFolder& run, std::string* failure);
    // The command's own folder in the private folder, kept after it, where it
    // leaves files for the user; made when first asked, refused as above.
    std::string CommandFolder(std::string* failure);
    // True, with *failure and the node left out, when the private folder was
    // refused earlier in the command.
    bool PrivateFolderRefusedBefore(std::string* failure);
    // The private folder refused for the reason: told once per command.
    void PrivateFolderRefused(const std::string& why, std::string* failure);
    // The rule tests' common start (FormStrategyTest.cpp): the test graph and
    // attached window checks, the weights, the match value (the record's in a
    // batch test), the verbose state and the setting texts; then the test
    // paths are found anew. False (after its message) when the run must stop.
    bool StartRuleTest(TNodeTestInput& in);
    // False (after its message) when there are no chunks, or a node of them
    // was not learnt or no learner was asked for it: a test would take its
    // missing rules for rules that never hold (or hold everywhere).
    bool RequireLearnt();
    // The command's last line counts its nodes not learnt (an outermost
    // command only: a command around it counts them in its own way).
    void TellNodesNotLearnt();
    // The outermost command's last line, however it ended, names the folder
    // of the datasets it kept for the user and counts them, unless its export
    // said so already (see DatasetsLine).
    void TellDatasetsKept();
    // Writes a run's lines into MemoRules, cleared first unless Verbose is unchecked.
    void WriteRuleTestLines(const std::vector<std::string>& lines, TVerbose verbose);
    TVerbose VerboseState() const;

    void BuildForm();
    void ConnectHandlers();
    void Connect(TMDIActionChild* child);
    // Shows a path list in a list box.
    static void ShowList(QListWidget* box, const TPathList& items);
    // Drops every list that holds paths of the attached window.
    void ClearStrategyLists();
    // The log of a connected window goes: the window is let go of at once and,
    // when it is the attached one, the strategy read from that log goes too.
    void LogRemoved(TMDIChild* child);
    // No strategy shown or held: the grid as at the start, no chunks, no
    // feature groups (the test strategy, the user's own, stays).
    void EmptyStrategy();
    // The child dropped its paths before changing its graph: the lists
    // holding paths of that graph go too.
    void PathsDropped(TMDIActionChild* child);
    // The path of the selected item of lbPath / lbSimilar, or null.
    TPathPtr SelectedPath() const;
    TPathPtr SelectedSimilar() const;
};

// The one strategy window of the run (null before start and after the end).
extern TFormStrategy* FormStrategy;

// Tells the program start how to make the strategy window.
void RegisterStrategyWindow();
