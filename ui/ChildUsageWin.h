// The concept-usage window: how often the concepts hold for the objects of one
// log over the current time range and at the time marks. Its items are a
// concept for one object, or a team-level concept; the statistics grid ranks
// them by ratios and a TF*IDF score (sorted by dragging a column to the first
// place). It also shows each item at every mark, marks every cycle at which
// enough of the selected items hold ("Mark rules") and selects items named in
// pasted text. Counting lives in core/analysis/ConceptUsage.h.
#pragma once

#include "core/analysis/ConceptUsage.h"
#include "ui/MDIChild.h"

#include <vector>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class TClickStrip;
class TRadioGroup;
class TStringGrid;

class TMDIUsageChild : public TMDIChild {
    Q_OBJECT
public:
    TMDIUsageChild(QMdiArea* area, RoboCupFileT* log);

    // Stores the cycle and the range [start, end) and refreshes the grid; the
    // same values again change nothing.
    void SetTimeRange(int cycle, int start, int end) override;
    void TimeWindowChanged() override;

    void RefreshGrid();
    void AfterTimeWindowChange() {}
    void FillConceptGrid();
    void ClearConceptList();

    // Handlers.
    void lbPlayersClick();
    void btnUpdateClick();
    void cbDynamicTimeRangeClick();
    void sgConceptsColumnMoved(int from, int to);
    // "Cluster": the timeline of the selected items and its clusters (usageCluster.cpp).
    void btnGenerateClick();
    void BtnShowMarksClick();
    void BtnMarkSelectedClick();
    void BtnPasteRulesClick();
    void btnSaveAssocClick() {}
    void PanelShowHideClick();

    // The item behind a row of lbConcepts.
    const UsageItem& Item(int row) const { return items_[static_cast<std::size_t>(row)]; }
    // The rows of lbConcepts that are selected, in list order.
    std::vector<int> SelectedItems() const;

    QWidget* ChartPanel = nullptr;
    TClickStrip* PanelShowHide = nullptr;
    QPushButton* btnUpdate = nullptr;
    QLineEdit* EditWindow = nullptr;
    QLineEdit* EditStep = nullptr;
    QLineEdit* EditCut = nullptr;
    QLineEdit* EditMaxDist = nullptr;
    QLineEdit* EditMaxClusters = nullptr;
    QLineEdit* EditMarkRatio = nullptr;
    TRadioGroup* rgWindowType = nullptr;
    QPushButton* btnGenerate = nullptr;
    QPushButton* BtnShowMarks = nullptr;
    QPushButton* BtnMarkSelected = nullptr;
    QPushButton* BtnPasteRules = nullptr;
    QPushButton* btnSaveAssoc = nullptr;
    QPushButton* BtnGetRules = nullptr;
    // "ball", "Lplayer1".."Lplayer11", "Rplayer1".."Rplayer11": item i is object i.
    QListWidget* lbPlayers = nullptr;
    QListWidget* lbConcepts = nullptr;
    TStringGrid* sgConcepts = nullptr;
    QPlainTextEdit* MemoClusters = nullptr;
    QSplitter* Splitter1 = nullptr;
    QSplitter* Splitter2 = nullptr;

    int CurrentCycle = 0;
    int RangeStart = 0;
    int RangeEnd = 0;

private:
    void BuildForm();
    QWidget* BuildPanel(QWidget* parent);
    // The statistics columns just wide enough for their numbers and their
    // headers' longest word; the headers wrap into a higher first row.
    void FitStatisticsColumns();
    // The marks of the main window at cycles this log has.
    std::vector<int> Marks() const;

    std::vector<UsageItem> items_;  // row i of lbConcepts is items_[i]
    std::vector<int> labelWidths_;  // of the items' labels in the grid's font
    UsageCounter counter_;
    bool markingRules_ = false;     // "Mark rules" is running
    bool clustering_ = false;       // "Cluster" is running
};
