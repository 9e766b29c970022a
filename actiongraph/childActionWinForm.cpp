// The action-graph window's form: its controls with their captions, hints and
// defaults, laid out once. Behaviour lives in childActionWin.cpp.
#include "actiongraph/childActionWin.h"

#include "ui/FormControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QString& hint = {})
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

QCheckBox* CheckBox(QWidget* parent, const char* name, const QString& caption, bool checked = false)
{
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    c->setChecked(checked);
    return c;
}

QLabel* Label(QWidget* parent, const char* name, const QString& caption)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    return l;
}

QLineEdit* Edit(QWidget* parent, const char* name, const QString& text, const QString& hint = {}, int width = 40)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setFixedWidth(width);
    if (!hint.isEmpty())
        e->setToolTip(hint);
    return e;
}

// A horizontal scroll bar; the large step is what a click beside the thumb moves.
QScrollBar* ScrollBar(QWidget* parent, const char* name, int min, int max, int position, int largeStep, int width = 90)
{
    auto* s = new QScrollBar(Qt::Horizontal, parent);
    s->setObjectName(name);
    s->setRange(min, max);
    s->setPageStep(largeStep);
    s->setSingleStep(1);
    s->setValue(position);
    s->setFixedWidth(width);
    return s;
}

// A string grid as the window uses it: no Qt headers (the grid's own first row
// is its header), text cells that the user does not edit.
QTableWidget* Grid(QWidget* parent, const char* name, int columns, const QString& fontFamily)
{
    auto* g = new QTableWidget(0, columns, parent);
    g->setObjectName(name);
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QFont font(fontFamily);
    font.setPointSize(8);
    g->setFont(font);
    g->verticalHeader()->setDefaultSectionSize(16);
    return g;
}

}  // namespace

void TMDIActionChild::BuildForm()
{
    setWindowTitle("MDIActionChild");
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Upper strip over the pages, then players, features and pages side by side.
    Splitter1 = new QSplitter(Qt::Vertical, content);
    Splitter1->setObjectName("Splitter1");
    ImageGraph = new QLabel(Splitter1);
    ImageGraph->setObjectName("ImageGraph");
    // 76 pixels high at first; Splitter1 below it resizes it, the strip's
    // picture follows the control's size.
    ImageGraph->setMinimumHeight(20);
    ImageGraph->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    ImageGraph->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* middle = new QWidget(Splitter1);
    auto* row = new QHBoxLayout(middle);
    row->setContentsMargins(0, 0, 0, 0);
    lbPlayers = NewPlayersList(middle, 80);
    row->addWidget(lbPlayers);
    Splitter2 = new QSplitter(Qt::Horizontal, middle);
    Splitter2->setObjectName("Splitter2");
    sgFeatures = Grid(Splitter2, "sgFeatures", 3, "Tahoma");
    sgFeatures->hide();

    PageControl1 = new QTabWidget(Splitter2);
    PageControl1->setObjectName("PageControl1");
    tsActions = new QWidget;
    tsActions->setObjectName("tsActions");
    auto* actions = new QVBoxLayout(tsActions);
    auto* find = new QHBoxLayout;
    EditFind = Edit(tsActions, "EditFind", {}, {}, 200);
    BtnFind = Button(tsActions, "BtnFind", "Find");
    find->addWidget(EditFind);
    find->addWidget(BtnFind);
    find->addStretch(1);
    actions->addLayout(find);
    sgActions = Grid(tsActions, "sgActions", 3, "Courier New");
    sgActions->setColumnWidth(0, 40);
    sgActions->setColumnWidth(1, 40);
    sgActions->setColumnWidth(2, 802);
    sgActions->setRowCount(1);
    actions->addWidget(sgActions, 1);

    tsGraph = new QWidget;
    tsGraph->setObjectName("tsGraph");
    auto* graphPage = new QVBoxLayout(tsGraph);
    graphPage->setContentsMargins(0, 0, 0, 0);
    Image = new QLabel(tsGraph);
    Image->setObjectName("Image");
    Image->setMinimumSize(100, 100);
    Image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image->setMouseTracking(true);
    graphPage->addWidget(Image, 1);

    tsTimeline = new QWidget;
    tsTimeline->setObjectName("tsTimeline");
    auto* timeline = new QVBoxLayout(tsTimeline);
    auto* timelineTop = new QHBoxLayout;
    Label5 = Label(tsTimeline, "Label5", "Action node");
    cbActionNodes = new QComboBox(tsTimeline);
    cbActionNodes->setObjectName("cbActionNodes");
    cbActionNodes->setMinimumWidth(250);
    Label7 = Label(tsTimeline, "Label7", "dT");
    TrackBar1 = new QSlider(Qt::Horizontal, tsTimeline);
    TrackBar1->setObjectName("TrackBar1");
    TrackBar1->setValue(0);
    btnDrawTimeline = Button(tsTimeline, "btnDrawTimeline", "Draw");
    for (QWidget* w : std::initializer_list<QWidget*>{Label5, cbActionNodes, Label7, TrackBar1, btnDrawTimeline})
        timelineTop->addWidget(w);
    timelineTop->addStretch(1);
    timeline->addLayout(timelineTop);
    pbTimeline = new QWidget(tsTimeline);
    pbTimeline->setObjectName("pbTimeline");
    timeline->addWidget(pbTimeline, 1);

    PageControl1->addTab(tsActions, "Actions");
    PageControl1->addTab(tsGraph, "Action graph");
    PageControl1->addTab(tsTimeline, "Timeline");
    PageControl1->setTabEnabled(2, false);
    PageControl1->setCurrentWidget(tsGraph);
    Splitter2->addWidget(sgFeatures);
    Splitter2->addWidget(PageControl1);
    Splitter2->setStretchFactor(1, 1);
    row->addWidget(Splitter2, 1);
    Splitter1->addWidget(ImageGraph);
    Splitter1->addWidget(middle);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({76, 600});
    column->addWidget(Splitter1, 1);

    PanelShowHide = new TClickStrip(content);
    PanelShowHide->setObjectName("PanelShowHide");
    PanelShowHide->setFixedHeight(4);
    PanelShowHide->setToolTip("Show/hide panel");
    column->addWidget(PanelShowHide);
    ActionGraphPanel = BuildPanel(content);
    column->addWidget(ActionGraphPanel);

    setWidget(content);
    resize(1131, 753);
}

QWidget* TMDIActionChild::BuildPanel(QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName("ActionGraphPanel");
    panel->setFixedHeight(141);
    auto* g = new QGridLayout(panel);
    g->setContentsMargins(4, 2, 4, 2);
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(1);

    // Column 0: what the drawing shows.
    cbThinEdges = CheckBox(panel, "cbThinEdges", "Thin edges");
    cbSmallNodes = CheckBox(panel, "cbSmallNodes", "Fixed node size");
    cbShowNodes = CheckBox(panel, "cbShowNodes", "Show nodes", true);
    cbShowNames = CheckBox(panel, "cbShowNames", "Show names");
    cbFancyEdges = CheckBox(panel, "cbFancyEdges", "Show fancy edges");
    cbTimeSteps = CheckBox(panel, "cbTimeSteps", "Show time points");
    cbBW = CheckBox(panel, "cbBW", "Black && white");  // shows "Black & white"
    int r = 0;
    for (QCheckBox* c : {cbThinEdges, cbSmallNodes, cbShowNodes, cbShowNames, cbFancyEdges, cbTimeSteps, cbBW})
        g->addWidget(c, r++, 0);

    // Column 1: filter, transparency, zoom, redraw.
    Label6 = Label(panel, "Label6", "Display filter");
    EditFilter = Edit(panel, "EditFilter", {},
                      "Display only nodes and edges with the following substring (case sensitive)", 110);
    Label2 = Label(panel, "Label2", "Transparency");
    sbAlpha = ScrollBar(panel, "sbAlpha", 0, 250, 200, 10);
    sbAlpha->setSingleStep(50);
    Label4 = Label(panel, "Label4", "Selection tansp.");
    sbEmphasize = ScrollBar(panel, "sbEmphasize", 0, 250, 250, 10);
    sbEmphasize->setSingleStep(50);
    Label3 = Label(panel, "Label3", "Zoom");
    sbZoom = ScrollBar(panel, "sbZoom", 1, 5, 1, 1);
    BtnDrawGraph = Button(panel, "BtnDrawGraph", "Redraw graph");
    Button3 = Button(panel, "Button3", "R");
    Button3->setFixedWidth(24);
    r = 0;
    g->addWidget(Label6, r++, 1);
    g->addWidget(EditFilter, r++, 1);
    g->addWidget(Label2, r++, 1);
    g->addWidget(sbAlpha, r++, 1);
    g->addWidget(Label4, r++, 1);
    g->addWidget(sbEmphasize, r++, 1);
    auto* zoomRow = new QHBoxLayout;
    zoomRow->addWidget(Label3);
    zoomRow->addWidget(sbZoom);
    g->addLayout(zoomRow, r++, 1);
    auto* redrawRow = new QHBoxLayout;
    redrawRow->addWidget(BtnDrawGraph);
    redrawRow->addWidget(Button3);
    g->addLayout(redrawRow, r++, 1);

    // Column 2: the value and the remove commands.
    Label1 = Label(panel, "Label1", "Value");
    EditValue = Edit(panel, "EditValue", "2");
    Label10 = Label(panel, "Label10", "Remove:");
    btnRemoveNodesDegreeLessThan =
        Button(panel, "btnRemoveNodesDegreeLessThan", "Nodes, degree <", "Remove nodes with degree less than value");
    btnRemoveEdgesWeightLessThan =
        Button(panel, "btnRemoveEdgesWeightLessThan", "Edges, weight <", "Remove edges with weight less than value");
    BtnRemoveEdgesDisplayerd = Button(panel, "BtnRemoveEdgesDisplayerd", "Edges, displayed", "Remove displayed edges");
    btnRemoveEdgesTimeMarks = Button(panel, "btnRemoveEdgesTimeMarks", "Edges, not in marks", "Remove displayed edges");
    btnRemoveCurrent = Button(panel, "btnRemoveCurrent", "X");
    btnRemoveCurrent->setFixedWidth(24);
    r = 0;
    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(Label1);
    valueRow->addWidget(EditValue);
    valueRow->addStretch(1);
    g->addLayout(valueRow, r++, 2);
    g->addWidget(Label10, r++, 2);
    for (QPushButton* b : {btnRemoveNodesDegreeLessThan, btnRemoveEdgesWeightLessThan, BtnRemoveEdgesDisplayerd,
                           btnRemoveEdgesTimeMarks})
        g->addWidget(b, r++, 2);
    g->addWidget(btnRemoveCurrent, r++, 2, Qt::AlignLeft);

    // Column 3: join and its weights, the test graph, the demonstrations.
    BtnJoinNearest = Button(panel, "BtnJoinNearest", "Join",
                            "Join near nodes describing the same action and role concept. Near is when Euclidian "
                            "soccer field distance  is less than value");
    EditAttrW = Edit(panel, "EditAttrW", "1", "Attribute weight", 30);
    EditRoleW = Edit(panel, "EditRoleW", "30", "Role weight", 30);
    EditActionW = Edit(panel, "EditActionW", "30", "Action weight", 30);
    EditFeatW = Edit(panel, "EditFeatW", "0", "Feature weight", 30);
    cbTestAll = CheckBox(panel, "cbTestAll", "Test all");
    BtnSetTest = Button(panel, "BtnSetTest", "Set as test");
    BtnClearTest = Button(panel, "BtnClearTest", "Clear test");
    Button1 = Button(panel, "Button1", "1");
    Button2 = Button(panel, "Button2", "2");
    Label13 = Label(panel, "Label13", "#Nodes");
    EditNumNodes = Edit(panel, "EditNumNodes", "0", {}, 50);
    EditNumNodes->setReadOnly(true);
    r = 0;
    g->addWidget(BtnJoinNearest, r++, 3);
    auto* weights = new QHBoxLayout;
    for (QLineEdit* e : {EditAttrW, EditRoleW, EditActionW, EditFeatW})
        weights->addWidget(e);
    g->addLayout(weights, r++, 3);
    g->addWidget(cbTestAll, r++, 3);
    g->addWidget(BtnSetTest, r++, 3);
    g->addWidget(BtnClearTest, r++, 3);
    auto* demos = new QHBoxLayout;
    demos->addWidget(Button1);
    demos->addWidget(Button2);
    g->addLayout(demos, r++, 3);
    auto* count = new QHBoxLayout;
    count->addWidget(Label13);
    count->addWidget(EditNumNodes);
    g->addLayout(count, r++, 3);

    // Column 4: saving.
    Label11 = Label(panel, "Label11", "Save:");
    btnSave = Button(panel, "btnSave", "Save Graph");
    BtnSaveAssoc = Button(panel, "BtnSaveAssoc", "Save Assoc. Data");
    BtnSaveNodeMarks = Button(panel, "BtnSaveNodeMarks", "Save Node Marks");
    btnSaveEdgesMark = Button(panel, "btnSaveEdgesMark", "Save Edges Marks");
    BtnSavePathMarks = Button(panel, "BtnSavePathMarks", "Save Path Marks");
    BtnDataWin = Button(panel, "BtnDataWin", "Create Data Win.",
                        "Create data window for all nodes/selected node using selected data fields");
    r = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{Label11, btnSave, BtnSaveAssoc, BtnSaveNodeMarks,
                                                      btnSaveEdgesMark, BtnSavePathMarks, BtnDataWin})
        g->addWidget(w, r++, 4);

    // Column 5: history and future paths.
    const QString historyHint = "Createtes history path from time marks, displayed nodes or selected node ";
    Label8 = Label(panel, "Label8", "History/future:");
    sbHistory = ScrollBar(panel, "sbHistory", 0, 100, 100, 10);
    labelHistory = Label(panel, "labelHistory", "0");
    btnCreateHistoryPath = Button(panel, "btnCreateHistoryPath", "Create history path", historyHint);
    btnCreateFuturePath = Button(panel, "btnCreateFuturePath", "Create future path", historyHint);
    BtnGrow = Button(panel, "BtnGrow", "Grow");
    btnRevalidate = Button(panel, "btnRevalidate", "Revalidate");
    btnRevalidateAll = Button(panel, "btnRevalidateAll", "Revalidate all");
    cbGenerateAll = CheckBox(panel, "cbGenerateAll", "Generate all");
    r = 0;
    g->addWidget(Label8, r++, 5);
    g->addWidget(sbHistory, r++, 5);
    g->addWidget(labelHistory, r++, 5);
    g->addWidget(btnCreateHistoryPath, r++, 5);
    g->addWidget(btnCreateFuturePath, r++, 5);
    auto* grow = new QHBoxLayout;
    grow->addWidget(BtnGrow);
    grow->addWidget(btnRevalidate);
    g->addLayout(grow, r++, 5);
    auto* revalidate = new QHBoxLayout;
    revalidate->addWidget(btnRevalidateAll);
    revalidate->addWidget(cbGenerateAll);
    g->addLayout(revalidate, r++, 5);

    // Column 6: hierarchy depths and paths.
    Label9 = Label(panel, "Label9", "Action / role hierarchy:");
    sbSimilarityDepth = ScrollBar(panel, "sbSimilarityDepth", 0, 5, 0, 1);
    labelActionLevel = Label(panel, "labelActionLevel", {});
    sbSimilarityDepth2 = ScrollBar(panel, "sbSimilarityDepth2", 0, 5, 0, 1);
    labelRoleLevel = Label(panel, "labelRoleLevel", {});
    btnDepth = Button(panel, "btnDepth", "Rebuild graph",
                      "Rebuild graph for selected players using new action and role hierarchy ");
    btnConcepts = Button(panel, "btnConcepts", "?");
    btnConcepts->setVisible(false);
    Label12 = Label(panel, "Label12", "Paths");
    cbPathFunc = new QComboBox(panel);
    cbPathFunc->setObjectName("cbPathFunc");
    cbPathFunc->addItems({"avg", "sum", "min", "max", "len", "len*min", "len*max", "min>1, len>1", "min>1, len>2",
                          "min>2, len>1", "min>2, len>2", "avg, len>1", "avg, len>2", "avg, len=1", "avg, len=2",
                          "avg, len=3", "avg, len=4"});
    cbPathFunc->setCurrentIndex(15);
    cbPaths = new QComboBox(panel);
    cbPaths->setObjectName("cbPaths");
    cbPaths->setMinimumWidth(200);
    sbMinConnected = ScrollBar(panel, "sbMinConnected", 1, 50, 2, 10, 60);
    LabelNumConn = Label(panel, "LabelNumConn", "2 conn");
    r = 0;
    g->addWidget(Label9, r++, 6);
    auto* actionDepth = new QHBoxLayout;
    actionDepth->addWidget(sbSimilarityDepth);
    actionDepth->addWidget(labelActionLevel, 1);
    g->addLayout(actionDepth, r++, 6);
    auto* roleDepth = new QHBoxLayout;
    roleDepth->addWidget(sbSimilarityDepth2);
    roleDepth->addWidget(labelRoleLevel, 1);
    g->addLayout(roleDepth, r++, 6);
    auto* depth = new QHBoxLayout;
    depth->addWidget(btnDepth);
    depth->addWidget(btnConcepts);
    depth->addStretch(1);
    g->addLayout(depth, r++, 6);
    auto* pathHead = new QHBoxLayout;
    pathHead->addWidget(Label12);
    pathHead->addWidget(cbPathFunc, 1);
    g->addLayout(pathHead, r++, 6);
    g->addWidget(cbPaths, r++, 6);
    auto* minConnected = new QHBoxLayout;
    minConnected->addWidget(sbMinConnected);
    minConnected->addWidget(LabelNumConn);
    minConnected->addStretch(1);
    g->addLayout(minConnected, r++, 6);

    g->setColumnStretch(7, 1);
    return panel;
}
