#include "ui/main.h"

#include "ui/FileList.h"
#include "ui/FormControls.h"
#include "ui/MDIChild.h"
#include "ui/OpenLogs.h"
#include "ui/TimeSource.h"
#include "ui/About.h"
#include "ui/common.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

TMainForm* MainForm = nullptr;

namespace {

// Shapes of the playback buttons, drawn rather than taken from a font so that
// they look the same on every system.
enum class Glyph { FastRewind, Rewind, Previous, Stop, Next, Forward, FastForward };

QIcon PlaybackIcon(Glyph g)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0));
    auto right = [&](double x0) {  // triangle pointing right, 6 wide
        QPainterPath path;
        path.moveTo(x0, 3);
        path.lineTo(x0 + 6, 8);
        path.lineTo(x0, 13);
        path.closeSubpath();
        p.drawPath(path);
    };
    auto left = [&](double x0) {  // triangle pointing left, 6 wide
        QPainterPath path;
        path.moveTo(x0 + 6, 3);
        path.lineTo(x0, 8);
        path.lineTo(x0 + 6, 13);
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (g) {
    case Glyph::FastRewind: left(2); left(8); break;
    case Glyph::Rewind: left(5); break;
    case Glyph::Previous: p.drawRect(QRectF(3, 3, 2, 10)); left(6); break;
    case Glyph::Stop: p.drawRect(QRectF(4, 4, 8, 8)); break;
    case Glyph::Next: right(4); p.drawRect(QRectF(11, 3, 2, 10)); break;
    case Glyph::Forward: right(5); break;
    case Glyph::FastForward: right(2); right(8); break;
    }
    return QIcon(pm);
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QString& hint = {})
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

QCheckBox* CheckBox(QWidget* parent, const char* name, const QString& caption, const QString& hint = {})
{
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    if (!hint.isEmpty())
        c->setToolTip(hint);
    return c;
}

// A heading inside a page: the framework's labels carry their spaces in the text.
QLabel* Heading(QWidget* parent, const char* name, const QString& caption)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setFrameShape(QFrame::StyledPanel);
    l->setAutoFillBackground(true);
    l->setBackgroundRole(QPalette::Mid);
    return l;
}

// The selection stays visible when the control loses the focus: the user clicks
// a channel while the memo or tree keeps showing what is selected.
void KeepSelectionVisible(QWidget* w)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    w->setPalette(pal);
}

QPlainTextEdit* Memo(QWidget* parent, const char* name, const QString& hint)
{
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(name);
    m->setToolTip(hint);
    m->setTabChangesFocus(true);
    KeepSelectionVisible(m);
    return m;
}

QWidget* Page(const char* name)
{
    auto* w = new QWidget;
    w->setObjectName(name);
    return w;
}

// The layout of a page of commands: the controls close together inside a narrow margin.
template <typename Layout>
Layout* PageLayout(QWidget* page)
{
    auto* layout = new Layout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    return layout;
}

}  // namespace

std::function<void()>& TMainForm::AboutBoxRunner()
{
    static std::function<void()> runner = &TMainForm::ShowAboutBox;
    return runner;
}

void TMainForm::ShowAboutBox()
{
    if (FormAbout)
        FormAbout->exec();
}

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    // 2. No open log yet.
    Logs = new TOpenLogs(this);
    // 1. The form: every control exists after this.
    BuildForm();
    // 3. Playback stands still.
    PlayStep = 0;
    FileSwitching = false;
    // The wait window and the dialogs are shown over this window.
    SetMainWindow(this);
    // 4. Numbers are read and written with "." whatever the locale.
    platform::UseCNumericLocale();
    // 5. The seven concept hierarchies, in order; six of them are written as GML
    // files into the current folder.
    CreateConceptHierarchies();
    // 6. The "File" page comes first.
    pcWindow->setCurrentWidget(tsFiles);
    // 7. The GUI thread runs one step below normal priority.
    platform::LowerThreadPriority();
}

TMainForm::~TMainForm() { FormDestroy(); }

void TMainForm::BuildForm()
{
    setObjectName("MainForm");
    setWindowTitle("RoboCup VeloTrask");
    setGeometry(0, 82, 884, 701);
    setWindowState(Qt::WindowMaximized);

    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    TopPanel = BuildTopPanel();
    outer->addWidget(TopPanel);

    Panel7 = new TClickStrip(central);
    Panel7->setObjectName("Panel7");
    Panel7->setFixedHeight(4);
    outer->addWidget(Panel7);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    PanelLeft = BuildLeftPanel();
    body->addWidget(PanelLeft);

    PanelHideLeft = new TClickStrip(central);
    PanelHideLeft->setObjectName("PanelHideLeft");
    PanelHideLeft->setFixedWidth(4);
    body->addWidget(PanelHideLeft);

    MdiArea = new QMdiArea(central);
    MdiArea->setObjectName("MdiArea");
    MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    body->addWidget(MdiArea, 1);
    outer->addLayout(body, 1);

    setCentralWidget(central);

    Timer = new QTimer(this);
    Timer->setObjectName("Timer");
    Timer->setInterval(100);

    ConnectHandlers();
}

QWidget* TMainForm::BuildTopPanel()
{
    auto* panel = new QWidget;
    panel->setObjectName("TopPanel");
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(3);

    EditStartTime = new QLineEdit("1", panel);
    EditStartTime->setObjectName("EditStartTime");
    EditStartTime->setToolTip("First cycle of time range");
    EditStartTime->setFixedWidth(48);
    row->addWidget(EditStartTime);

    Label1 = new QLabel("-", panel);
    Label1->setObjectName("Label1");
    row->addWidget(Label1);

    EditEndTime = new QLineEdit("1000", panel);
    EditEndTime->setObjectName("EditEndTime");
    EditEndTime->setToolTip("Last cycle of time range");
    EditEndTime->setFixedWidth(48);
    row->addWidget(EditEndTime);

    BtnSetTimeRange = Button(panel, "BtnSetTimeRange", "Set", "Set new time range");
    BtnSetTimeRange->setFixedWidth(40);
    row->addWidget(BtnSetTimeRange);
    row->addSpacing(6);

    sbGroup = new QButtonGroup(panel);
    sbGroup->setExclusive(true);
    struct Spec {
        QToolButton** member;
        const char* name;
        Glyph glyph;
    };
    const Spec buttons[] = {
        {&sbFRew, "sbFRew", Glyph::FastRewind}, {&sbRev, "sbRev", Glyph::Rewind},
        {&sbPrev, "sbPrev", Glyph::Previous},   {&sbStop, "sbStop", Glyph::Stop},
        {&sbNext, "sbNext", Glyph::Next},       {&sbFwd, "sbFwd", Glyph::Forward},
        {&sbFFwd, "sbFFwd", Glyph::FastForward},
    };
    for (const Spec& s : buttons) {
        auto* b = new QToolButton(panel);
        b->setObjectName(s.name);
        b->setCheckable(true);
        b->setAutoRaise(false);
        b->setIcon(PlaybackIcon(s.glyph));
        b->setFixedSize(24, 24);
        sbGroup->addButton(b);
        row->addWidget(b);
        *s.member = b;
    }
    sbStop->setChecked(true);

    sbTimeSpeed = new QScrollBar(Qt::Vertical, panel);
    sbTimeSpeed->setObjectName("sbTimeSpeed");
    sbTimeSpeed->setRange(1, 301);
    sbTimeSpeed->setValue(61);
    sbTimeSpeed->setSingleStep(30);
    sbTimeSpeed->setPageStep(30);
    sbTimeSpeed->setToolTip("Increase (down) or decrease (up) delay between cycles");
    sbTimeSpeed->setFixedSize(16, 28);
    row->addWidget(sbTimeSpeed);
    row->addSpacing(4);

    TrackBar2 = new QSlider(Qt::Horizontal, panel);
    TrackBar2->setObjectName("TrackBar2");
    TrackBar2->setRange(0, 0);
    TrackBar2->setSingleStep(10);
    TrackBar2->setPageStep(100);
    TrackBar2->setTickInterval(1000);
    TrackBar2->setTickPosition(QSlider::TicksBelow);
    TrackBar2->setToolTip("Time range size");
    TrackBar2->setFixedWidth(120);
    row->addWidget(TrackBar2);

    TrackBar1 = new TSelTrackBar(panel);
    TrackBar1->setObjectName("TrackBar1");
    TrackBar1->setRange(0, 0);
    TrackBar1->setSingleStep(10);
    TrackBar1->setPageStep(100);
    TrackBar1->setTickInterval(100);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setToolTip("Current time slider");
    row->addWidget(TrackBar1, 1);  // fills the rest of the bar
    return panel;
}

QWidget* TMainForm::BuildLeftPanel()
{
    auto* panel = new QWidget;
    panel->setObjectName("PanelLeft");
    panel->setFixedWidth(225);
    auto* col = new QVBoxLayout(panel);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(0);

    SplitterLeft = new QSplitter(Qt::Vertical, panel);
    SplitterLeft->setObjectName("SplitterLeft");
    SplitterLeft->setChildrenCollapsible(false);

    pcWindow = new QTabWidget(SplitterLeft);
    pcWindow->setObjectName("pcWindow");
    // All five tabs fit in the panel's width side by side.
    pcWindow->setUsesScrollButtons(false);
    pcWindow->setStyleSheet(
        "QTabBar::tab { padding: 3px 5px; border: 1px solid palette(mid); border-bottom: none;"
        " background: palette(button); margin-right: -1px; }"
        "QTabBar::tab:selected { background: palette(window); }"
        "QTabBar::tab:!selected { margin-top: 2px; }");
    tsFiles = BuildFilesPage();
    tsChart = BuildChartPage();
    tsField = BuildFieldPage();
    tsData = BuildDataPage();
    tsMarks = BuildMarksPage();
    pcWindow->addTab(tsFiles, "File");
    pcWindow->addTab(tsChart, "Chart");
    pcWindow->addTab(tsField, "Analysis");
    pcWindow->addTab(tsData, "Data");
    pcWindow->addTab(tsMarks, "Marks");
    SplitterLeft->addWidget(pcWindow);
    SplitterLeft->addWidget(BuildDataView());
    SplitterLeft->setStretchFactor(0, 0);
    SplitterLeft->setStretchFactor(1, 1);
    // The pages take what their buttons need; the channel browser the rest.
    SplitterLeft->setSizes({350, 10000});
    col->addWidget(SplitterLeft);
    return panel;
}

QWidget* TMainForm::BuildFilesPage()
{
    QWidget* page = Page("tsFiles");
    auto* g = PageLayout<QGridLayout>(page);
    int r = 0;

    btnOpenFile = Button(page, "btnOpenFile", "Open File", "Open RoboCup log file(s)");
    BtnRemoveFile = Button(page, "BtnRemoveFile", "Remove File", "Remove current file");
    g->addWidget(btnOpenFile, r, 0, 1, 3);
    g->addWidget(BtnRemoveFile, r++, 3, 1, 3);
    BtnMergeFiles = Button(page, "BtnMergeFiles", "Merge Files", "Merge data for selected team from all open files");
    BtnTestFiles = Button(page, "BtnTestFiles", "Test");
    g->addWidget(BtnMergeFiles, r, 0, 1, 3);
    g->addWidget(BtnTestFiles, r++, 3, 1, 3);

    LabelWindows = Heading(page, "LabelWindows", "  Windows  ");
    g->addWidget(LabelWindows, r++, 0, 1, 6);
    btnCascade = Button(page, "btnCascade", "Cascade", "Cascade windows");
    btnMinimize = Button(page, "btnMinimize", "Minimize All", "Minimize all windows");
    g->addWidget(btnCascade, r, 0, 1, 3);
    g->addWidget(btnMinimize, r++, 3, 1, 3);
    btnTileV = Button(page, "btnTileV", "Tile Vertically", "Tile windows vertically");
    btnTileH = Button(page, "btnTileH", "Tile Horizontally", "Tile windows horizontally");
    g->addWidget(btnTileV, r, 0, 1, 3);
    g->addWidget(btnTileH, r++, 3, 1, 3);
    btnExit = Button(page, "btnExit", "Exit", "Exit program");
    g->addWidget(btnExit, r++, 0, 1, 3);

    LabelFileWindows = Heading(page, "LabelFileWindows", "  Current file windows only  ");
    g->addWidget(LabelFileWindows, r++, 0, 1, 6);
    BtnRestoreWindows = Button(page, "BtnRestoreWindows", "Show", "Show current file windows only");
    BtnRemoveWindows = Button(page, "BtnRemoveWindows", "Close", "Close all current file windows");
    BtnMinimizeWindows = Button(page, "BtnMinimizeWindows", "Minimize", "Minimize all current file windows");
    g->addWidget(BtnRestoreWindows, r, 0, 1, 2);
    g->addWidget(BtnRemoveWindows, r, 2, 1, 2);
    g->addWidget(BtnMinimizeWindows, r++, 4, 1, 2);

    LabelOpenFiles = Heading(page, "LabelOpenFiles", "  Open files:  ");
    g->addWidget(LabelOpenFiles, r++, 0, 1, 6);
    lbFiles = new QListView(page);
    lbFiles->setObjectName("lbFiles");
    lbFiles->setModel(Logs);
    lbFiles->setUniformItemSizes(true);
    lbFiles->setItemDelegate(new TFileListDelegate(lbFiles));
    lbFiles->setMinimumHeight(3 * 26 + 4);
    g->addWidget(lbFiles, r, 0, 1, 6);
    g->setRowStretch(r, 1);
    return page;
}

QWidget* TMainForm::BuildChartPage()
{
    QWidget* page = Page("tsChart");
    auto* v = PageLayout<QVBoxLayout>(page);
    BtnAdd1d = Button(page, "BtnAdd1d", "Chart window", "Open new chart window");
    v->addWidget(BtnAdd1d);
    rgSeriesType = new TRadioGroup(" Series type ", {"Lines", "Dots", "Bars"}, 3, page);
    rgSeriesType->setObjectName("rgSeriesType");
    rgSeriesType->SetItemIndex(0);
    v->addWidget(rgSeriesType);
    cbFunction = CheckBox(page, "cbFunction", "Use function expression :");
    v->addWidget(cbFunction);
    MemoTimeRangeFunction = Memo(page, "MemoTimeRangeFunction", "Function expression");
    MemoTimeRangeFunction->setMinimumHeight(48);
    v->addWidget(MemoTimeRangeFunction, 1);
    BtnAddTimeRange = Button(page, "BtnAddTimeRange", "Add chart series",
                             "Add selected data fields of function expression to current chart window");
    v->addWidget(BtnAddTimeRange);
    return page;
}

QWidget* TMainForm::BuildFieldPage()
{
    QWidget* page = Page("tsField");
    auto* v = PageLayout<QVBoxLayout>(page);
    BtnAdd2d = Button(page, "BtnAdd2d", "Field window", "New soccer field window");
    BtnAddUsage = Button(page, "BtnAddUsage", "Concepts window", "New soccer-concepts windows");
    btnAnalyze = Button(page, "btnAnalyze", "Action graph window", "New action graph window");
    btnSetTimeWindow = Button(page, "btnSetTimeWindow", "Set time window=1");
    btnSetTimeWindow->setVisible(false);
    cbUseRoles = CheckBox(page, "cbUseRoles", "Use player roles");
    cbUseRoles->setChecked(true);
    v->addWidget(BtnAdd2d);
    v->addWidget(BtnAddUsage);
    v->addWidget(btnAnalyze);
    v->addWidget(btnSetTimeWindow);
    v->addWidget(cbUseRoles);
    v->addStretch(1);
    return page;
}

QWidget* TMainForm::BuildDataPage()
{
    QWidget* page = Page("tsData");
    auto* v = PageLayout<QVBoxLayout>(page);
    BtnAddData = Button(page, "BtnAddData", "Data window", "New data window");
    btnAddDataSeries = Button(page, "btnAddDataSeries", "Add selected data series");
    v->addWidget(BtnAddData);
    v->addWidget(btnAddDataSeries);
    Label5 = Heading(page, "Label5", "  Create new data fields:  ");
    v->addWidget(Label5);
    BtnAddFunctionSeries = Button(page, "BtnAddFunctionSeries", "Create new data fields", "Create new data fields");
    v->addWidget(BtnAddFunctionSeries);
    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    BtnLoadFields = Button(page, "BtnLoadFields", "Load fields", "Load saved field names and expressions");
    BtnSaveFields = Button(page, "BtnSaveFields", "Save fields", "Save current field names and expressions");
    row->addWidget(BtnLoadFields);
    row->addWidget(BtnSaveFields);
    v->addLayout(row);

    vlFunctions = new QTableWidget(1, 2, page);
    vlFunctions->setObjectName("vlFunctions");
    vlFunctions->setToolTip("Define new field name and corresponding function expression");
    vlFunctions->setHorizontalHeaderLabels({"Field name", "Function"});
    vlFunctions->verticalHeader()->setVisible(false);
    vlFunctions->verticalHeader()->setDefaultSectionSize(18);
    vlFunctions->setColumnWidth(0, 69);
    vlFunctions->setColumnWidth(1, 140);
    vlFunctions->horizontalHeader()->setStretchLastSection(true);
    vlFunctions->setSelectionBehavior(QAbstractItemView::SelectItems);
    vlFunctions->setSelectionMode(QAbstractItemView::SingleSelection);
    vlFunctions->setEditTriggers(QAbstractItemView::AllEditTriggers);
    vlFunctions->setMinimumHeight(80);
    v->addWidget(vlFunctions, 1);  // the editor sits at the page's bottom and takes what is left
    return page;
}

QWidget* TMainForm::BuildMarksPage()
{
    QWidget* page = Page("tsMarks");
    auto* g = PageLayout<QGridLayout>(page);
    int r = 0;

    cbUseTimeMarks = CheckBox(page, "cbUseTimeMarks", "Use Time Marks", "Use time marks instead of time slider");
    QFont bold = cbUseTimeMarks->font();
    bold.setBold(true);
    cbUseTimeMarks->setFont(bold);
    lNumMarks = new QLabel("0", page);
    lNumMarks->setObjectName("lNumMarks");
    lNumMarks->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* top = new QHBoxLayout;
    top->addWidget(cbUseTimeMarks, 1);
    top->addWidget(lNumMarks);
    g->addLayout(top, r++, 0, 1, 2);

    cbUseCriteriaFunction = CheckBox(page, "cbUseCriteriaFunction", "Use criteria function:",
                                     "Check if entry box consists time marks criteria function");
    g->addWidget(cbUseCriteriaFunction, r++, 0, 1, 2);
    MemoMarksFunction = Memo(page, "MemoMarksFunction", "Time cycle or time mark criteria function");
    MemoMarksFunction->setFixedHeight(40);
    g->addWidget(MemoMarksFunction, r++, 0, 1, 2);

    lbMarks = new QListWidget(page);
    lbMarks->setObjectName("lbMarks");
    lbMarks->setSortingEnabled(true);
    QFont mono("Courier New");
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(11);
    lbMarks->setFont(mono);
    lbMarks->setUniformItemSizes(true);
    lbMarks->setItemDelegate(new TFixedHeightDelegate(14, lbMarks));

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(3);
    BtnAddMarks = Button(page, "BtnAddMarks", "Add", "Add new time mark(s)");
    BtnRemoveMarks = Button(page, "BtnRemoveMarks", "Remove", "Remove time mark(s)");
    BtnClearMarks = Button(page, "BtnClearMarks", "Clear marks", "Clear all time marks");
    BtnResetMarks = Button(page, "BtnResetMarks", "Reset marks", "Fill all time instances");
    btnInvertMarks = Button(page, "btnInvertMarks", "Invert marks", "Fill all time instances");
    btnPasteMarks = Button(page, "btnPasteMarks", "Paste Time Marks", "Paste time marks");
    BtnCopyMarks = Button(page, "BtnCopyMarks", "Copy Time Marks", "Paste time marks");
    for (QPushButton* b : {BtnAddMarks, BtnRemoveMarks, BtnClearMarks, BtnResetMarks, btnInvertMarks, btnPasteMarks,
                           BtnCopyMarks})
        buttons->addWidget(b);
    buttons->addStretch(1);
    g->addWidget(lbMarks, r, 0);
    g->addLayout(buttons, r, 1);
    g->setRowStretch(r++, 1);
    g->setColumnStretch(0, 1);

    cbStopAtLastMark = CheckBox(page, "cbStopAtLastMark", "Stop at last mark");
    g->addWidget(cbStopAtLastMark, r++, 0, 1, 2);
    return page;
}

QWidget* TMainForm::BuildDataView()
{
    auto* area = new QWidget;
    area->setObjectName("PanelDataView");
    auto* v = new QVBoxLayout(area);
    v->setContentsMargins(0, 2, 0, 0);
    v->setSpacing(2);

    pcDataView = new QTabWidget(area);
    pcDataView->setObjectName("pcDataView");
    pcDataView->setToolTip("Tree/list view of data fields");
    tsTree = Page("tsTree");
    tsList = Page("tsList");

    TreeView = new QTreeWidget(tsTree);
    TreeView->setObjectName("TreeView");
    TreeView->setHeaderHidden(true);
    TreeView->setColumnCount(1);
    TreeView->setIndentation(19);
    TreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView->setSelectionBehavior(QAbstractItemView::SelectRows);
    TreeView->setSelectionMode(QAbstractItemView::SingleSelection);
    KeepSelectionVisible(TreeView);
    auto* tl = new QVBoxLayout(tsTree);
    tl->setContentsMargins(0, 0, 0, 0);
    tl->addWidget(TreeView);

    ListView = new QListWidget(tsList);
    ListView->setObjectName("ListView");
    ListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView->setUniformItemSizes(true);
    ListView->setItemDelegate(new TFixedHeightDelegate(13, ListView));
    KeepSelectionVisible(ListView);
    auto* ll = new QVBoxLayout(tsList);
    ll->setContentsMargins(0, 0, 0, 0);
    ll->addWidget(ListView);

    pcDataView->addTab(tsTree, "Tree view");
    pcDataView->addTab(tsList, "List view");
    v->addWidget(pcDataView, 1);

    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    BtnSelAllNone = Button(area, "BtnSelAllNone", "All/None", "Select all/none data fields");
    BtnClearFilter = new QToolButton(area);
    BtnClearFilter->setObjectName("BtnClearFilter");
    BtnClearFilter->setText("Clear filter");
    BtnClearFilter->setToolTip("Clear filter");
    BtnClearFilter->setAutoRaise(true);  // flat
    row->addWidget(BtnSelAllNone);
    row->addStretch(1);
    row->addWidget(BtnClearFilter);
    v->addLayout(row);

    auto* words = new QGridLayout;
    words->setSpacing(2);
    LabelGoodFields = new QLabel("+ words", area);
    LabelGoodFields->setObjectName("LabelGoodFields");
    LabelBadFields = new QLabel("- words", area);
    LabelBadFields->setObjectName("LabelBadFields");
    MemoGoodFields = Memo(area, "MemoGoodFields", "Accepted words in data field names");
    MemoBadFields = Memo(area, "MemoBadFields", "Rejected words in data field names");
    {
        QPalette pal = MemoGoodFields->palette();
        pal.setColor(QPalette::Text, QColor(0, 0, 128));  // navy
        MemoGoodFields->setPalette(pal);
        pal = MemoBadFields->palette();
        pal.setColor(QPalette::Text, QColor(255, 0, 0));
        MemoBadFields->setPalette(pal);
    }
    for (QPlainTextEdit* m : {MemoGoodFields, MemoBadFields}) {
        m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m->setFixedHeight(64);
    }
    words->addWidget(LabelGoodFields, 0, 0);
    words->addWidget(LabelBadFields, 0, 1);
    words->addWidget(MemoGoodFields, 1, 0);
    words->addWidget(MemoBadFields, 1, 1);
    v->addLayout(words);
    return area;
}

void TMainForm::ConnectClicks(std::initializer_list<std::pair<QPushButton*, void (TMainForm::*)()>> clicks)
{
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this, [this, handler = handler] { (this->*handler)(); });
}

void TMainForm::ConnectHandlers()
{
    ConnectClicks({{btnCascade, &TMainForm::btnCascadeClick},
                   {btnTileV, &TMainForm::btnTileVClick},
                   {btnTileH, &TMainForm::btnTileHClick},
                   {btnMinimize, &TMainForm::btnMinimizeClick},
                   {btnExit, &TMainForm::btnExitClick},
                   {btnSetTimeWindow, &TMainForm::btnSetTimeWindowClick},
                   {btnOpenFile, &TMainForm::btnOpenFileClick},
                   {btnAnalyze, &TMainForm::btnAnalyzeClick}});
    connect(Panel7, &TClickStrip::clicked, this, [this] { Panel7Click(); });
    ConnectFileHandlers();
    ConnectMarksHandlers();
}

bool TMainForm::event(QEvent* e)
{
    const bool handled = QMainWindow::event(e);
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return handled;
}

void TMainForm::FormActivate()
{
    TrackBar1Change(this);
    // The About box and the file dialog are modal: closing them activates the
    // frame again while this first activation is still running. That nested
    // activation only re-runs the time change.
    if (!FirstActivation || activating_)
        return;
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }  // also when the About box or the dialog fails
    } running(activating_);
    if (AboutBoxRunner())
        AboutBoxRunner()();
    FirstActivation = false;
    // Again, before any log is read: whatever ran meanwhile may have changed it.
    platform::UseCNumericLocale();
    btnOpenFileClick();
}

void TMainForm::FormDestroy()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    // Closing a log's windows activates other windows, which make their log
    // current by walking the open logs. So each log stops being current and
    // leaves the list before its windows close and it is freed: whatever runs
    // on the way can only reach logs that are still alive.
    Logs->SetCurrent(nullptr);
    while (!Logs->Empty()) {
        std::unique_ptr<RoboCupFileT> log = Logs->Take(Logs->At(0));
        if (log) {
            DeleteFileEntry(log.get());
            TimeSource().Forget(log.get());
        }
    }
    // The child windows that remain are destroyed with the frame after this:
    // their activation must not call into a main window that is gone.
    g_onChildActivated = nullptr;
    FreeConceptHierarchies();
}

void TMainForm::btnCascadeClick() { MdiArea->cascadeSubWindows(); }

void TMainForm::btnTileVClick() { TileChildren(true); }

void TMainForm::btnTileHClick() { TileChildren(false); }

void TMainForm::TileChildren(bool columns)
{
    // Minimized children keep their place along the bottom; the others share
    // the rest of the client area in equal columns (vertical tiling) or rows.
    QList<QMdiSubWindow*> tiled;
    // The whole client area: scroll bars shown now for children that stick out
    // go once the children are tiled, and must not leave a gap behind.
    QRect domain(QPoint(0, 0), MdiArea->contentsRect().size());
    for (QMdiSubWindow* w : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (w->isHidden())
            continue;
        if (w->isMinimized())
            domain.setBottom(std::min(domain.bottom(), w->geometry().top() - 1));
        else
            tiled.append(w);
    }
    const int n = static_cast<int>(tiled.size());
    if (n == 0 || domain.isEmpty())
        return;
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* w = tiled[i];
        if (w->isMaximized())
            w->showNormal();
        QRect r;
        if (columns) {
            const int x0 = domain.left() + domain.width() * i / n;
            const int x1 = domain.left() + domain.width() * (i + 1) / n;
            r = QRect(x0, domain.top(), x1 - x0, domain.height());
        } else {
            const int y0 = domain.top() + domain.height() * i / n;
            const int y1 = domain.top() + domain.height() * (i + 1) / n;
            r = QRect(domain.left(), y0, domain.width(), y1 - y0);
        }
        w->setGeometry(r);
    }
}

void TMainForm::btnMinimizeClick()
{
    MinimizeChildren([](const QMdiSubWindow*) { return true; });
}

void TMainForm::MinimizeChildren(const std::function<bool(const QMdiSubWindow*)>& which)
{
    // While one child is maximized the area hands that state on to the child
    // that becomes active, also to the one being minimized: restore first.
    for (QMdiSubWindow* w : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (which(w) && w->isMaximized())
            w->showNormal();
    }
    // Minimizing may reorder the children, so the scan starts again from the
    // first child after every change and ends when a whole pass changes nothing.
    bool changed = true;
    while (changed) {
        changed = false;
        for (QMdiSubWindow* w : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
            if (!which(w) || w->isMinimized())
                continue;
            w->showMinimized();
            // A window that refuses to be minimized must not make the scan run forever.
            if (w->isMinimized()) {
                changed = true;
                break;
            }
        }
    }
}

void TMainForm::btnExitClick() { close(); }

void TMainForm::Panel7Click() { TopPanel->setHidden(!TopPanel->isHidden()); }

void TMainForm::btnSetTimeWindowClick() { ChangeTimeWindow(1); }

void TMainForm::DeleteFileEntry(RoboCupFileT* log)
{
    CloseFileWindows(log);
    if (log == Logs->Current()) {
        TrackBar2->setValue(1);
        TrackBar1->setValue(0);
    }
}

QList<QPointer<QMdiSubWindow>> TMainForm::GuardedChildren() const
{
    QList<QPointer<QMdiSubWindow>> children;
    for (QMdiSubWindow* w : MdiArea->subWindowList(QMdiArea::CreationOrder))
        children << w;
    return children;
}

void TMainForm::CloseFileWindows(RoboCupFileT* log)
{
    for (const QPointer<QMdiSubWindow>& w : GuardedChildren()) {
        if (auto* child = qobject_cast<TMDIChild*>(w.data()))
            child->ForgetFile(log);
    }
}

void TMainForm::btnAnalyzeClick()
{
    if (NoCurrentLog())
        return;
    NewActionGraphWindow(Logs->Current());
}

namespace {
ActionGraphWindowKind g_actionGraphKind;
}

void SetActionGraphWindowKind(ActionGraphWindowKind kind) { g_actionGraphKind = std::move(kind); }

TMDIActionChild* TMainForm::NewActionGraphWindow(RoboCupFileT* log)
{
    if (!g_actionGraphKind.create)
        return nullptr;
    // The window about to be made counts too.
    return g_actionGraphKind.create(MdiArea, log, "Action graph " + QString::number(MdiArea->subWindowList().size() + 1));
}

void TMainForm::FillDataTree()
{
    // The channel tree comes with the channel browser.
}
