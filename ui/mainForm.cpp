// The main window's form: the frame, the top bar with the time controls, the
// left panel with its pages of commands. Only layout, captions, hints and
// defaults live here; what the controls do is in the handler files
// (mainFiles.cpp, mainTime.cpp, ...).
#include "ui/main.h"

#include "ui/FileList.h"
#include "ui/FormBuild.h"
#include "ui/FormControls.h"
#include "ui/OpenLogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
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

using namespace form;

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

}  // namespace

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

