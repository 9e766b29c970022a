// The strategy window: one plain window for the program's whole run. It is
// attached to one action-graph window at a time, lists that window's paths as
// strategies and shows a chosen one as its chunks in sgStrategy.
#pragma once

#include "strategy/StrategyChunks.h"
#include "strategy/TestRecords.h"

#include <QDialog>

class TGraph;
class TMDIActionChild;
class TStringGrid;

class TFormStrategy : public QDialog {
    Q_OBJECT
public:
    explicit TFormStrategy(QWidget* parent = nullptr);
    ~TFormStrategy() override;

    // The attached windows and their graphs (not owned; null when none).
    TGraph* graph = nullptr;
    TGraph* testGraph = nullptr;
    TMDIActionChild* actionChild = nullptr;
    TMDIActionChild* testChild = nullptr;
    // The learner file type (4: Slipper) and the data file.
    int fileType = 4;
    std::string dataFileName;
    // The batch test's record of this run, or null.
    tTest* target = nullptr;
    TChunkList chunks;
    TChunkList testChunks;

    // Lets go of the action-graph window (and its graph) as it closes.
    void ForgetWindow(TMDIActionChild* child);
    // Attaches the window without showing anything: the window's graph, the
    // batch record; an earlier attachment is let go.
    void Attach(TMDIActionChild* child, tTest* batchTarget);
    // Shows the path in sgStrategy and replaces out by its chunks, read from the
    // attached window's log with its join value. False (and a beep) without
    // an attached window.
    bool ShowStrategy(const TPathObject& path, TChunkList& out);

    TStringGrid* sgStrategy = nullptr;

private:
    void Connect(TMDIActionChild* child);
};

// The one strategy window of the run (null before start and after the end).
extern TFormStrategy* FormStrategy;

// Tells the program start how to make the strategy window.
void RegisterStrategyWindow();
