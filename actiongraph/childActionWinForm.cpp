// The action-graph window's form: its controls with their captions, hints and
// defaults, laid out once. Behaviour lives in childActionWin.cpp.
#include "actiongraph/childActionWin.h"

#include "ui/FlowLayout.h"
#include "ui/FormControls.h"

#include <QCheckBox>
#include <QComboBox>
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
    // Seven columns of controls side by side; a window too narrow for them
    // puts the last columns in a further row.
    auto* flow = new TFlowLayout(panel, 6, 2);
    flow->setContentsMargins(4, 2, 4, 2);
    QVBoxLayout* columns[7];
    for (QVBoxLayout*& c : columns) {
        c = new QVBoxLayout;
        c->setSpacing(1);
        flow->addLayout(c);
    }

    // Column 0: what the drawing shows.
    cbThinEdges = CheckBox(panel, "cbThinEdges", "Thin edges");
    cbSmallNodes = CheckBox(panel, "cbSmallNodes", "Fixed node size");
    cbShowNodes = CheckBox(panel, "cbShowNodes", "Show nodes", true);
    cbShowNames = CheckBox(panel, "cbShowNames", "Show names");
    cbFancyEdges = CheckBox(panel, "cbFancyEdges", "Show fancy edges");
    cbTimeSteps = CheckBox(panel, "cbTimeSteps", "Show time points");
    cbBW = CheckBox(panel, "cbBW", "Black && white");  // shows "Black & white"
    for (QCheckBox* c : {cbThinEdges, cbSmallNodes, cbShowNodes, cbShowNames, cbFancyEdges, cbTimeSteps, cbBW})
        columns[0]->addWidget(c);

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
    columns[1]->addWidget(Label6);
    columns[1]->addWidget(EditFilter);
    columns[1]->addWidget(Label2);
    columns[1]->addWidget(sbAlpha);
    columns[1]->addWidget(Label4);
    columns[1]->addWidget(sbEmphasize);
    auto* zoomRow = new QHBoxLayout;
    zoomRow->addWidget(Label3);
    zoomRow->addWidget(sbZoom);
    columns[1]->addLayout(zoomRow);
    auto* redrawRow = new QHBoxLayout;
    redrawRow->addWidget(BtnDrawGraph);
    redrawRow->addWidget(Button3);
    columns[1]->addLayout(redrawRow);

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
    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(Label1);
    valueRow->addWidget(EditValue);
    valueRow->addStretch(1);
    columns[2]->addLayout(valueRow);
    columns[2]->addWidget(Label10);
    for (QPushButton* b : {btnRemoveNodesDegreeLessThan, btnRemoveEdgesWeightLessThan, BtnRemoveEdgesDisplayerd,
                           btnRemoveEdgesTimeMarks})
        columns[2]->addWidget(b);
    columns[2]->addWidget(btnRemoveCurrent, 0, Qt::AlignLeft);

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
    columns[3]->addWidget(BtnJoinNearest);
    auto* weights = new QHBoxLayout;
    for (QLineEdit* e : {EditAttrW, EditRoleW, EditActionW, EditFeatW})
        weights->addWidget(e);
    columns[3]->addLayout(weights);
    columns[3]->addWidget(cbTestAll);
    columns[3]->addWidget(BtnSetTest);
    columns[3]->addWidget(BtnClearTest);
    auto* demos = new QHBoxLayout;
    demos->addWidget(Button1);
    demos->addWidget(Button2);
    columns[3]->addLayout(demos);
    auto* count = new QHBoxLayout;
    count->addWidget(Label13);
    count->addWidget(EditNumNodes);
    columns[3]->addLayout(count);

    // Column 4: saving.
    Label11 = Label(panel, "Label11", "Save:");
    btnSave = Button(panel, "btnSave", "Save Graph");
    BtnSaveAssoc = Button(panel, "BtnSaveAssoc", "Save Assoc. Data");
    BtnSaveNodeMarks = Button(panel, "BtnSaveNodeMarks", "Save Node Marks");
    btnSaveEdgesMark = Button(panel, "btnSaveEdgesMark", "Save Edges Marks");
    BtnSavePathMarks = Button(panel, "BtnSavePathMarks", "Save Path Marks");
    BtnDataWin = Button(panel, "BtnDataWin", "Create Data Win.",
                        "Create data window for all nodes/selected node using selected data fields");
    for (QWidget* w : std::initializer_list<QWidget*>{Label11, btnSave, BtnSaveAssoc, BtnSaveNodeMarks,
                                                      btnSaveEdgesMark, BtnSavePathMarks, BtnDataWin})
        columns[4]->addWidget(w);

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
    columns[5]->addWidget(Label8);
    columns[5]->addWidget(sbHistory);
    columns[5]->addWidget(labelHistory);
    columns[5]->addWidget(btnCreateHistoryPath);
    columns[5]->addWidget(btnCreateFuturePath);
    auto* grow = new QHBoxLayout;
    grow->addWidget(BtnGrow);
    grow->addWidget(btnRevalidate);
    columns[5]->addLayout(grow);
    auto* revalidate = new QHBoxLayout;
    revalidate->addWidget(btnRevalidateAll);
    revalidate->addWidget(cbGenerateAll);
    columns[5]->addLayout(revalidate);

    // Column 6: hierarchy depths and paths.
    Label9 = Label(panel, "Label9", "Action / role hierarchy:");
    // Narrow bars leave the level names room beside them; each reaches as
    // deep as its hierarchy (set as the window is made).
    sbSimilarityDepth = ScrollBar(panel, "sbSimilarityDepth", 0, 5, 0, 1, 60);
    labelActionLevel = Label(panel, "labelActionLevel", {});
    sbSimilarityDepth2 = ScrollBar(panel, "sbSimilarityDepth2", 0, 5, 0, 1, 60);
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
    columns[6]->addWidget(Label9);
    auto* actionDepth = new QHBoxLayout;
    actionDepth->addWidget(sbSimilarityDepth);
    actionDepth->addWidget(labelActionLevel, 1);
    columns[6]->addLayout(actionDepth);
    auto* roleDepth = new QHBoxLayout;
    roleDepth->addWidget(sbSimilarityDepth2);
    roleDepth->addWidget(labelRoleLevel, 1);
    columns[6]->addLayout(roleDepth);
    auto* depth = new QHBoxLayout;
    depth->addWidget(btnDepth);
    depth->addWidget(btnConcepts);
    depth->addStretch(1);
    columns[6]->addLayout(depth);
    auto* pathHead = new QHBoxLayout;
    pathHead->addWidget(Label12);
    pathHead->addWidget(cbPathFunc, 1);
    columns[6]->addLayout(pathHead);
    columns[6]->addWidget(cbPaths);
    auto* minConnected = new QHBoxLayout;
    minConnected->addWidget(sbMinConnected);
    minConnected->addWidget(LabelNumConn);
    minConnected->addStretch(1);
    columns[6]->addLayout(minConnected);
    // Seven rows of controls fit the panel's 141 pixels.
    for (QWidget* w : panel->findChildren<QWidget*>())
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w))
            w->setFixedHeight(18);
    FitPanelToRows(panel, 141);
    return panel;
}
