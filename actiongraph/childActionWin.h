// The action-graph window: a child window on one log whose graph is built from
// the actions of the objects selected in lbPlayers. The main window creates it,
// selects every object, builds the graph and lays the window out. The window
// owns its graph, its path list and the weights of the node distance; the
// graph model, its building and its algorithms live in window-free files.
#pragma once

#include "actiongraph/GraphView.h"
#include "core/model/Common.h"
#include "ui/FormSaveData.h"
#include "ui/MDIChild.h"
#include "actiongraph/model/Paths.h"
#include "actiongraph/childActionWinControls.h"
#include "actiongraph/childActionWinState.h"

#include <QImage>

#include <array>
#include <memory>
#include <string>
#include <vector>

class QColor;
class QLineEdit;
class QPainter;
class QRect;
class QWidget;
class TMDIDataChild;
class TGraph;
class TNode;
class TPathObject;

// The form's controls are the members of TActionChildControls
// (childActionWinControls.h); the graph, the selection, the paths and the view
// those of TActionGraphState (childActionWinState.h).
class TMDIActionChild : public TMDIChild,
                        public SaveDataWindow,
                        public TActionChildControls,
                        public TActionGraphState {
    Q_OBJECT
public:
    TMDIActionChild(QMdiArea* area, RoboCupFileT* log);
    ~TMDIActionChild() override;

    // ---- Graph building (childActionWinBuild.cpp) -----------------------------------
    // Builds graph from the window's log for the objects selected in lbPlayers
    // ("ball" stands for all). For the window's own graph the selection and the
    // path list are emptied first, and afterwards the node list is refilled,
    // the graph drawn, EditValue set to "1" and the nodes left without
    // connections removed.
    void BuildActionGraph(TGraph* graph);
    // Sizes the picture to Image (the pitch's proportions), re-creates both
    // surfaces and draws pitch and graph again through sbZoomChange.
    void FormResize(QObject* Sender);

    // ---- Handlers ---------------------------------------------------------------
    void FormCreate();
    // Fills sgActions with the focused object's events, then draws.
    void lbPlayersClick();
    // lbPlayersClick, then rebuilds and draws the graph.
    void lbPlayersDblClick();
    // Rebuilds the graph with the action and role paths cut to the depths of
    // sbSimilarityDepth and sbSimilarityDepth2 (0: whole paths). The depths
    // become the window's own (Depths), for all it names until the next
    // "Rebuild graph" in it; other windows keep theirs.
    void btnDepthClick();
    void btnConceptsClick() {}
    // The two demonstration graphs; "2" chains EditValue actions.
    void Button1Click();
    void Button2Click();
    // "Nodes, degree <": removes the nodes whose degree is below EditValue.
    void btnRemoveNodesDegreeLessThanClick();
    void sbSimilarityDepthChange();
    void sbSimilarityDepth2Change();
    void sbHistoryChange();
    void sbMinConnectedChange();
    // "Save Graph" (childActionWinSave.cpp): asks for a name and saves.
    void btnSaveClick();
    // Saves by the name's extension: ".gml", ".net", ".txt" (Chaco), ".text",
    // ".bmp" and ".jpg" (the picture); any other, or an upper-case one, is
    // refused with a warning. False, after a message, when nothing was saved.
    bool SaveGraphFile(const QString& fileName);
    // "Save Assoc. Data" (childActionWinAssoc.cpp): the dataset dialog on
    // this window, then the dataset it chose; a cancelled dialog or no
    // example saves nothing, with a warning.
    void BtnSaveAssocClick();
    // Writes (childActionWinAssoc.cpp) the log's features at the example cycles, each with its class,
    // in a learner's format (0 Apriori, 1 Weka, 2 CN2, 3 Orange, 4 Slipper);
    // Apriori names players by their roles with useRoles (the caller asks,
    // AskUseRoles, once for all it saves). Slipper prunes selection (may be
    // null). False, after a message, when a file could not be written; with
    // failure given, the message is left there instead of shown.
    bool SaveAssocData(const QString& fileName, int format, double threshold, const std::vector<int>& instanceCycles,
                       const std::vector<int>& instanceClasses, const std::vector<std::string>& classNames,
                       std::vector<std::string>* selection, QString* failure = nullptr, bool useRoles = false);
    // Apriori's question whether players go by role instead of name, over parent.
    static bool AskUseRoles(QWidget* parent);

    // ---- Examples and marks (childActionWinClasses.cpp) ----------------------------
    // The dataset dialog's view of the window: the log's features and cycles.
    FeatureList* Features() override;
    int NumCycles() const override;
    // Fills the four lists by the data mode (0..9) from the graph, the selected
    // node and the path chosen in cbPaths (see MarkExampleCycles); a missing
    // node or path is reported ("Select a node first!" / "Select a path
    // first!", "Warning !"). Epsilon above 0 marks the nodes near the selected
    // one by NodeDistance.
    void MarkCycles(int mode, std::vector<int>& instanceCycles, std::vector<std::string>& classNames,
                    std::vector<int>& instanceClasses, std::vector<int>& markedCycles, double epsilon) override;
    // Per class (one entry of counts each) the examples the rule text covers
    // (see CountRuleCoverage); avgDepth is left alone for 0 conditions. One
    // beep when some example has more hits than conditions.
    void RuleCoverage(const std::string& rule, int conditions, std::vector<int>& counts,
                      const std::vector<int>& instanceCycles, const std::vector<int>& instanceClasses,
                      double& avgDepth) override;
    // The examples on the picture, the marked cycles as the second set.
    void DrawExampleCycles(const std::vector<int>& cycles, const std::vector<int>& classes,
                           const std::vector<int>& marked, int jitter) override;
    // "Set as test" / "Clear test": this window becomes, or no window stays,
    // the strategy window's test graph (nothing without a strategy window).
    void BtnSetTestClick();
    void BtnClearTestClick();
    // "Save Node Marks", "Save Edges Marks", "Save Path Marks": cycles of the
    // nodes, connections or chosen path become time marks of the main window,
    // each once (see NodeMarkCycles, EdgeMarkCycles, PathMarkCycles).
    void BtnSaveNodeMarksClick();
    void btnSaveEdgesMarkClick();
    void BtnSavePathMarksClick();

    // ---- Drawing (childActionWinDraw.cpp) --------------------------------------------
    // Draws the whole graph over the pitch into Image, as the display controls
    // say; hideEdges leaves the connections out, hideSingle those of thickness 1.
    void DrawGraph(bool hideEdges = false, bool hideSingle = false);
    // Places the nodes as DrawGraph does before it draws them (nothing while
    // the layout is kept): for a picture that is left out.
    void PlaceAsDrawn();
    // A new zoom from sbZoom (the pan scaled along), then pitch and graph.
    void sbZoomChange();
    // The pitch in colour or, with "Black & white", in greys, into the pitch surface.
    void DrawPitch();
    void DrawPitchSpot(double x, double y);
    // The picture becomes the plain pitch again.
    void RestoreBase() { GraphView.RestoreBase(); }
    // "Black & white": pitch and graph again.
    void cbBWClick();

    // ---- Shared steps -------------------------------------------------------------
    // Selects the node (null: none): its colour becomes the selection colour,
    // the previous one's the default again.
    void SelectNode(TNode* node);
    // Lets go of every path of cbPaths and leaves the single item "All", selected.
    void ClearPaths();
    // Lists every node of the graph in cbActionNodes (name, node), item 0 selected.
    void RefillActionNodes();
    // The path of the item (null for "All" and outside the list).
    TPathObject* PathAt(int item) const;
    // Adds a path item in text order; the chosen item stays chosen.
    void AddPath(const QString& text, TPathPtr path);
    // The node of an item of cbActionNodes, or null.
    TNode* ActionNodeAt(int item) const;

    // ---- Paths (childActionWinPaths.cpp) ----------------------------------------------
    // Lists every path of graph carried by at least minCount occurrences into
    // items, scored by the function of cbPathFunc, with texts from the window's
    // log. Listing into Paths keeps the chosen item chosen ("All" stays "All").
    void FindPaths(TGraph* graph, int minCount, TPathList& items);
    // Grows path backwards from node with the chain's earliest start cycles
    // times and minimum count k, listing what counts into items.
    void ExtendPath(TPathList& items, TNode* node, const std::vector<int>& times, const TPathObject& path, int k);
    // Scores the path by cbPathFunc and lists it when its value is not 0.
    void EvaluatePath(const TPathPtr& path, TPathList& items);
    // Empties items to the single item "All" (Paths: as ClearPaths()).
    void ClearPaths(TPathList& items);
    // Adds "All paths": every listed path's connections, their values summed.
    void AddAllPathsItem(TPathList& items);
    // A new choice in cbPaths draws the graph again.
    void cbPathsChange();
    // The path of an item of cbPaths as shared (null for "All" and outside).
    TPathPtr SharedPathAt(int item) const;
    // Replaces the path list by the items (paths shared, not copied), chooses
    // item chosen and, with redraw, runs cbPathsChange. The graph is not
    // touched, so nobody is told that the paths were dropped.
    void SetPaths(const TPathList& items, int chosen, bool redraw);

    // ---- Editing (childActionWinEdit.cpp) -----------------------------------------------
    // The "Remove:" commands. Each clears the path list (paths may run over
    // what goes), drops the selection when its node goes, refills the node
    // list and draws the graph. A value that is not a whole number stops the
    // weight and degree commands before anything changes.
    // "Edges, weight <": connections whose weight is below EditValue.
    void btnRemoveEdgesWeightLessThanClick();
    // "Edges, displayed": every connection for an empty EditFilter, else those
    // whose source node's name contains it.
    void BtnRemoveEdgesDisplayerdClick();
    // "Edges, not in marks": connections none of whose occurrences covers a
    // time mark of the main window.
    void btnRemoveEdgesTimeMarksClick();
    // "X": the selected node (a beep without one).
    void btnRemoveCurrentClick();
    // The common tail of every command that changes the graph: the selection
    // dropped when its node went, the node list refilled (item 0 selected)
    // and the neighbour strip drawn again.
    void RemoveMarkedFinish();

    // ---- View interaction (childActionWinMouse.cpp) -----------------------------------
    // The node's cycles (see CollectNodeCycles in NodeView.h) into cycles.
    void CollectNodeCycles(const TPathObject* path, const TNode* node, std::vector<int>& cycles, bool clear);
    // Ranks the log's features over the selected node's cycles (on the chosen
    // path) into sgFeatures, largest value first, and shows it; each value
    // becomes the feature's value in the log's feature list.
    void RankSelectedNodeFeatures();
    // "R": every node on a random circle round the centre spot, drawn once so.
    void Button3Click();
    // Moves the main window's time to the start cycle of the current action row.
    void sgActionsDblClick();
    void Splitter2Moved();
    // The mouse on the picture (x, y in picture pixels). Left button: selects
    // the node hit (none: clears the selection) and shows the graph without
    // connections until the button is released; with Alt the selected node's
    // features are ranked too. Right button dragged: pans, showing the pitch
    // only. Release: pitch and graph again.
    void ImageMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void ImageMouseMove(Qt::MouseButtons buttons, int x, int y);
    void ImageMouseUp();
    // Shows example cycles on the pitch instead of the graph: the ball's
    // position at each cycle (jittered by jitter, see ExamplePoints) as a dot
    // in its class's palette colour, their hull; the second cycles (may be
    // null) as small black dots with a white hull. Stays until the next drawing.
    void DrawExampleCycles(const std::vector<int>& cycles, const std::vector<int>& classes,
                           const std::vector<int>* second, int jitter);

    // ---- Neighbour strip, timeline, graph data (childActionWinStrip.cpp) ----------------
    // Paints the selected node with its neighbours into ImageGraph at its size.
    void DrawImageGraph();
    // A press on the strip (x, y in strip pixels), with a selected node: on a
    // band of the left (incoming) or right (outgoing) third, the left button
    // selects that neighbour and draws the graph, another button raises the
    // neighbour's number by one and redraws the strip. Borders, the middle
    // third and a strip without selection do nothing.
    void ImageGraphMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void Splitter1Moved();
    // Paints the timeline of the node chosen in cbActionNodes into
    // TimelineImage, which pbTimeline shows; a missing or stale choice or a log
    // without cycles leaves it white.
    void btnDrawTimelineClick();
    void DrawTimelineRow(QPainter& canvas, int from, int to, const QRect& rect, const QColor& colour,
                         const std::vector<int>& cycles);
    // "Create Data Win.": a new data window on the log with the class column
    // and the main window's chosen fields at every occurrence cycle of the
    // selected node (class: the target's neighbour number mod 22) or of every
    // node (class: the node's index). Without a chosen field it warns and
    // opens nothing. Returns the new window, or null.
    TMDIDataChild* BtnDataWinClick();
    QImage TimelineImage;  // the timeline as last drawn; pbTimeline shows it

    // ---- Joining (childActionWinJoin.cpp) ---------------------------------------------
    // The weighted distance of two nodes of the graph by the window's weights
    // and its log's features (see actiongraph/model/Distances.h).
    double NodeDistance(TNode* a, TNode* b);
    // How a "Join" ended: refused before it began (a second start, no graph, a
    // value that is no number), run to its end, or stopped by Cancel with the
    // graph put back as it was.
    enum class TJoinEnd { Refused, Done, Cancelled };
    // "Join": loads the four weights, then merges the nearest nodes while they
    // lie within EditValue, with Cancel in the wait window. A second start
    // while one runs is refused.
    TJoinEnd BtnJoinNearestClick();
    // Merges the nodes at 0 and 1 (no control runs it).
    void BtnJoinClick();
    bool Joining = false;  // a join run is under way

    // ---- Growing and revalidating (childActionWinGrow.cpp) ------------------------------
    // "Grow": keeps the nodes within EditValue steps of the selected node,
    // forward for a positive depth, backward for a negative one.
    void BtnGrowClick();
    // "Create history path" / "Create future path": keeps the connections that
    // occurred up to sbHistory cycles before / after the time marks (with "Use
    // Time Marks"), else the cycles of the selected node or of the nodes
    // matching EditFilter. History empties EditFilter.
    void btnCreateHistoryPathClick();
    void btnCreateFuturePathClick();
    // "Revalidate": lists the paths ending at the selected node and hands them
    // to the strategy window.
    void btnRevalidateClick();
    // "Revalidate all": the plain search, or with "Generate all" the series
    // over seven join values and four path lengths, or with "Test all" the
    // join-value test over 0 .. 20 into a test record.
    void btnRevalidateAllClick();
    bool Revalidating = false;  // a series of "Revalidate all" is under way

signals:
    // The window is going: whoever holds its graph, nodes or paths (the
    // strategy window, the dataset dialog) lets go of them now, while they
    // still exist.
    void Closing(TMDIActionChild* window);
    // The window dropped its path list (ClearPaths), as it does before every
    // change of its graph: whoever holds paths of this graph lets go of them.
    void PathsCleared(TMDIActionChild* window);

private:
    void BuildForm();
    QWidget* BuildPanel(QWidget* parent);
    void ConnectHandlers();
    // The players list, "Rebuild graph" and the demonstration buttons.
    void ConnectBuildHandlers();
    // The display controls redraw; resizing Image sizes the picture.
    void ConnectDrawHandlers();
    void ConnectSaveHandlers();
    void ConnectClassHandlers();
    void ConnectAssocHandlers();
    // The objects whose events build the graph, from the selection of lbPlayers.
    std::array<bool, 23> ChosenObjects() const;
    // EditValue as a whole number; a text that is not one shows the conversion
    // error and gives false.
    bool ReadValue(int* value);
    void ConnectPathHandlers();
    void ConnectEditHandlers();
    void ConnectMouseHandlers();
    void ConnectJoinHandlers();
    void ConnectStripHandlers();
    void ConnectGrowHandlers();
    // The history and future commands but for the side they keep.
    void CreateTimePath(bool future);
    // The two series of "Revalidate all".
    void RevalidateSeries();
    void RevalidateTestSeries();
    // The edit's text as a number ("." decimal separator); a text that is not
    // one shows the conversion error and gives false.
    bool ReadFloat(QLineEdit* edit, double* value);
    // Shows Paths in cbPaths again, the chosen path still chosen (else item 0).
    void ShowPaths();

    std::unique_ptr<TGraph> graph_;
};

// Tells the main window how to open an action-graph window.
void RegisterActionGraphWindow();
