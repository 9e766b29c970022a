// The action-graph window's controls: the widgets its form builds
// (childActionWinForm.cpp) and its handlers use. A plain struct of pointers,
// set once by BuildForm and owned by Qt's parent chain; TMDIActionChild
// inherits it, so the handlers name the controls directly.
#pragma once

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;
class QSlider;
class QSplitter;
class QTableWidget;
class QTabWidget;
class QWidget;
class TClickStrip;

struct TActionChildControls {
    // ---- The form -------------------------------------------------------------------
    // "ball", "Lplayer1".."Lplayer11", "Rplayer1".."Rplayer11": item i is object i.
    QListWidget* lbPlayers = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* tsActions = nullptr;
    QWidget* tsGraph = nullptr;
    QWidget* tsTimeline = nullptr;
    QLineEdit* EditFind = nullptr;
    QPushButton* BtnFind = nullptr;
    QTableWidget* sgActions = nullptr;  // row 0 is the (empty) header row
    QLabel* Image = nullptr;            // the drawn graph
    QComboBox* cbActionNodes = nullptr;
    QSlider* TrackBar1 = nullptr;
    QLabel* Label7 = nullptr;
    QPushButton* btnDrawTimeline = nullptr;
    QWidget* pbTimeline = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* ImageGraph = nullptr;  // the neighbour strip
    QSplitter* Splitter1 = nullptr;
    QTableWidget* sgFeatures = nullptr;
    QSplitter* Splitter2 = nullptr;
    QWidget* ActionGraphPanel = nullptr;
    TClickStrip* PanelShowHide = nullptr;

    QCheckBox* cbThinEdges = nullptr;
    QCheckBox* cbSmallNodes = nullptr;
    QCheckBox* cbShowNodes = nullptr;
    QCheckBox* cbShowNames = nullptr;
    QCheckBox* cbFancyEdges = nullptr;
    QCheckBox* cbTimeSteps = nullptr;
    QCheckBox* cbBW = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* EditFilter = nullptr;
    QLabel* Label2 = nullptr;
    QScrollBar* sbAlpha = nullptr;
    QLabel* Label4 = nullptr;
    QScrollBar* sbEmphasize = nullptr;
    QLabel* Label3 = nullptr;
    QScrollBar* sbZoom = nullptr;
    QPushButton* BtnDrawGraph = nullptr;
    QPushButton* Button3 = nullptr;

    QLabel* Label1 = nullptr;
    QLineEdit* EditValue = nullptr;

    QLabel* Label10 = nullptr;
    QPushButton* btnRemoveNodesDegreeLessThan = nullptr;
    QPushButton* btnRemoveEdgesWeightLessThan = nullptr;
    QPushButton* BtnRemoveEdgesDisplayerd = nullptr;
    QPushButton* btnRemoveEdgesTimeMarks = nullptr;
    QPushButton* btnRemoveCurrent = nullptr;

    QPushButton* BtnJoinNearest = nullptr;  // the form's default button: Return runs it
    QLineEdit* EditAttrW = nullptr;
    QLineEdit* EditRoleW = nullptr;
    QLineEdit* EditActionW = nullptr;
    QLineEdit* EditFeatW = nullptr;

    QLabel* Label11 = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* BtnSaveAssoc = nullptr;
    QPushButton* BtnSaveNodeMarks = nullptr;
    QPushButton* btnSaveEdgesMark = nullptr;
    QPushButton* BtnSavePathMarks = nullptr;
    QPushButton* BtnDataWin = nullptr;

    QLabel* Label8 = nullptr;
    QScrollBar* sbHistory = nullptr;
    QLabel* labelHistory = nullptr;
    QPushButton* btnCreateHistoryPath = nullptr;
    QPushButton* btnCreateFuturePath = nullptr;
    QPushButton* BtnGrow = nullptr;
    QPushButton* btnRevalidate = nullptr;
    QPushButton* btnRevalidateAll = nullptr;
    QCheckBox* cbGenerateAll = nullptr;

    QLabel* Label9 = nullptr;
    QScrollBar* sbSimilarityDepth = nullptr;
    QScrollBar* sbSimilarityDepth2 = nullptr;
    QLabel* labelActionLevel = nullptr;
    QLabel* labelRoleLevel = nullptr;
    QPushButton* btnDepth = nullptr;
    QPushButton* btnConcepts = nullptr;

    QLabel* Label12 = nullptr;
    QComboBox* cbPathFunc = nullptr;
    QComboBox* cbPaths = nullptr;
    QScrollBar* sbMinConnected = nullptr;
    QLabel* LabelNumConn = nullptr;

    QCheckBox* cbTestAll = nullptr;
    QPushButton* BtnSetTest = nullptr;
    QPushButton* BtnClearTest = nullptr;

    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    QLabel* Label13 = nullptr;
    QLineEdit* EditNumNodes = nullptr;
};
