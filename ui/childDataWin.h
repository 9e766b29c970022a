// The data window: channel values of one log as a table, one column per
// channel and one row per cycle below four header rows (name, min, max, type).
// The main window's "Add selected data series" and the action-graph window fill
// it; it follows the current cycle, turns a double-clicked row into a time mark,
// deletes columns and saves the table as text, raw text, C4.5 or ARFF, with the
// time marks as class or as row filter. The grid's layout is core/io/DataGrid.h.
#pragma once

#include "ui/MDIChild.h"

#include <functional>
#include <string>
#include <vector>

class CellTable;
class QCheckBox;
class QFileDialog;
class QMenu;
class QPushButton;
class TClickStrip;
class TRadioGroup;
class TStringGrid;
class TimeChannel;

class TMDIDataChild : public TMDIChild {
    Q_OBJECT
public:
    TMDIDataChild(QMdiArea* area, RoboCupFileT* log);

    // The grid, for callers that fill it themselves (then FitGrid).
    TStringGrid* GetGrid() const { return dataGrid; }
    // Rows for every cycle of the log (column 0 numbered afresh), then one column
    // per channel in order, then FitGrid and the current cycle's row shown.
    // Earlier columns stay. The new columns follow their channels.
    void AddChannels(const std::vector<TimeChannel*>& channels);
    // How a column is filled from its channel over what it held; false when the
    // channel holds nothing the column can show.
    using ColumnFill = std::function<bool(CellTable& grid, int col, TimeChannel* channel)>;
    // The grid's column col follows the log's channel of that full name from now
    // on (see FollowChannels), filled by fill.
    void FollowColumn(int col, const std::string& fullName, ColumnFill fill);
    // The log's channels were computed again or removed: every column that
    // follows a channel is filled again from what the channel holds now, min
    // and max included; a column whose channel is gone is deleted. A saved
    // table thus never holds values a channel no longer holds.
    void FollowChannels();
    // Fixes column 0 (with a second column) and rows 0-3 (with a fifth row), and
    // sizes every column to its name and row 0 to the highest name.
    void FitGrid();
    // The cycle each data row shows, for a window whose rows are not the log's
    // cycles in order (the action graph's "Graph Data"); by default row 4 + c
    // shows cycle c.
    void SetRowCycles(std::vector<int> cycles) { rowCycles_ = std::move(cycles); }
    // The first data row that shows the cycle, -1 for none; the cycle a row
    // shows, -1 for a header row or a row beyond the data.
    int RowOfCycle(int cycle) const;
    int CycleOfRow(int row) const;
    // The main window's time push: selects the cycle's row from column 1 on and
    // scrolls it to the top. A cycle without a row is only remembered.
    void SetTimeRange(int cycle, int from, int to) override;
    // The averaging time window changed: the header is fitted again.
    void TimeWindowChanged() override;

    // Handlers.
    void FormCreate();
    void PanelShowHideClick();
    void dataGridMouseDown(Qt::MouseButton button, int col, int row, QPoint globalPos);
    void dataGridDblClick();
    void Deletecolumn1Click();
    void Filter1Click();
    void BtnSaveClick();
    // Writes the table, its columns first filled again from their channels, into
    // the file in the format its extension names (".txt", ".raw", ".names" with
    // ".data", ".arff"); another extension writes nothing. False, after telling
    // the user, when a file cannot be written or the table has no column to save.
    bool SaveData(const QString& fileName);

    QWidget* ChartPanel = nullptr;
    TClickStrip* PanelShowHide = nullptr;
    QPushButton* BtnSave = nullptr;
    TRadioGroup* rgUseMarks = nullptr;
    TStringGrid* dataGrid = nullptr;
    QMenu* PopupMenu = nullptr;
    QAction* Deletecolumn1 = nullptr;
    QAction* Filter1 = nullptr;

    int CurrentCycle = 0;
    bool FilterEnabled = false;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void dataGridDrawCell(QPainter& painter, const QRect& rect, int col, int row, bool fixed, bool selected);
    // FollowChannels, then true after telling the user when no column is left to save.
    bool NothingToSave();

    struct ColumnSource {
        std::string fullName;  // "" for a column that follows no channel
        ColumnFill fill;
    };
    std::vector<ColumnSource> sources_;  // by grid column, as far as columns follow channels
    std::vector<int> rowCycles_;         // see SetRowCycles; empty: row 4 + c shows cycle c
    int menuTag_ = -1;  // the column the menu acts on, less one
};
