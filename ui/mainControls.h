// The main window's controls: the widgets its form builds (mainForm.cpp,
// mainFormPages.cpp) and its handlers use. A plain struct of pointers, set once
// by BuildForm and owned by Qt's parent chain; TMainForm inherits it, so the
// handlers name the controls directly.
#pragma once

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QMdiArea;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QSlider;
class QSplitter;
class QTabWidget;
class QTableWidget;
class QTimer;
class QToolButton;
class QTreeWidget;
class QWidget;
class TClickStrip;
class TRadioGroup;
class TSelTrackBar;

struct TMainFormControls {
    // ---- The form ---------------------------------------------------------
    // Top bar: the time range, playback and the two sliders.
    QWidget* TopPanel = nullptr;
    QLineEdit* EditStartTime = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EditEndTime = nullptr;
    QPushButton* BtnSetTimeRange = nullptr;
    QToolButton* sbFRew = nullptr;
    QToolButton* sbRev = nullptr;
    QToolButton* sbPrev = nullptr;
    QToolButton* sbStop = nullptr;
    QToolButton* sbNext = nullptr;
    QToolButton* sbFwd = nullptr;
    QToolButton* sbFFwd = nullptr;
    QButtonGroup* sbGroup = nullptr;  // the seven playback buttons: only the last pressed stays down
    QScrollBar* sbTimeSpeed = nullptr;
    QSlider* TrackBar2 = nullptr;
    TSelTrackBar* TrackBar1 = nullptr;
    QTimer* Timer = nullptr;
    TClickStrip* Panel7 = nullptr;  // strip under the top bar: folds the top bar away

    // Left panel: the pages of commands above, the channel browser below.
    QWidget* PanelLeft = nullptr;
    QSplitter* SplitterLeft = nullptr;
    TClickStrip* PanelHideLeft = nullptr;  // strip right of the left panel: folds the left panel away
    QTabWidget* pcWindow = nullptr;

    QWidget* tsFiles = nullptr;  // "File"
    QLabel* LabelWindows = nullptr;
    QPushButton* btnCascade = nullptr;
    QPushButton* btnTileV = nullptr;
    QPushButton* btnTileH = nullptr;
    QPushButton* btnMinimize = nullptr;
    QPushButton* btnExit = nullptr;
    QPushButton* btnOpenFile = nullptr;
    QPushButton* BtnRemoveFile = nullptr;
    QPushButton* BtnMergeFiles = nullptr;
    QPushButton* BtnTestFiles = nullptr;
    QLabel* LabelFileWindows = nullptr;
    QPushButton* BtnRestoreWindows = nullptr;
    QPushButton* BtnRemoveWindows = nullptr;
    QPushButton* BtnMinimizeWindows = nullptr;
    QLabel* LabelOpenFiles = nullptr;
    QListView* lbFiles = nullptr;  // shows Logs; the current log's row is always the one selected

    QWidget* tsChart = nullptr;  // "Chart"
    QPushButton* BtnAdd1d = nullptr;
    TRadioGroup* rgSeriesType = nullptr;
    QCheckBox* cbFunction = nullptr;
    QPlainTextEdit* MemoTimeRangeFunction = nullptr;
    QPushButton* BtnAddTimeRange = nullptr;

    QWidget* tsField = nullptr;  // "Analysis"
    QPushButton* BtnAdd2d = nullptr;
    QPushButton* BtnAddUsage = nullptr;
    QPushButton* btnAnalyze = nullptr;
    QPushButton* btnSetTimeWindow = nullptr;
    QCheckBox* cbUseRoles = nullptr;

    QWidget* tsData = nullptr;  // "Data"
    QPushButton* BtnAddData = nullptr;
    QPushButton* btnAddDataSeries = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* BtnAddFunctionSeries = nullptr;
    QPushButton* BtnLoadFields = nullptr;
    QPushButton* BtnSaveFields = nullptr;
    QTableWidget* vlFunctions = nullptr;  // two columns: field name, function

    QWidget* tsMarks = nullptr;  // "Marks"
    QCheckBox* cbUseTimeMarks = nullptr;
    QLabel* lNumMarks = nullptr;
    QCheckBox* cbUseCriteriaFunction = nullptr;
    QPlainTextEdit* MemoMarksFunction = nullptr;
    QListWidget* lbMarks = nullptr;
    QPushButton* BtnAddMarks = nullptr;
    QPushButton* BtnRemoveMarks = nullptr;
    QPushButton* BtnClearMarks = nullptr;
    QPushButton* BtnResetMarks = nullptr;
    QPushButton* btnInvertMarks = nullptr;
    QPushButton* btnPasteMarks = nullptr;
    QPushButton* BtnCopyMarks = nullptr;
    QCheckBox* cbStopAtLastMark = nullptr;

    // Channel browser.
    QTabWidget* pcDataView = nullptr;
    QWidget* tsTree = nullptr;
    QWidget* tsList = nullptr;
    QTreeWidget* TreeView = nullptr;
    QListWidget* ListView = nullptr;
    QPushButton* BtnSelAllNone = nullptr;
    QToolButton* BtnClearFilter = nullptr;
    QLabel* LabelGoodFields = nullptr;
    QPlainTextEdit* MemoGoodFields = nullptr;
    QLabel* LabelBadFields = nullptr;
    QPlainTextEdit* MemoBadFields = nullptr;

    // The frame's client area: the child windows.
    QMdiArea* MdiArea = nullptr;
};
