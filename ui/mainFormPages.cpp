// The main window's form, continued: the "Data" and "Marks" pages and the
// channel browser under the pages.
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

