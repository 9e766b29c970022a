// The data window on the full match: adding all 939 leaves as columns (the
// column store and the fitted grid), scrolling through the grid, and an ARFF
// export of 20 columns. Memory is reported as the growth of the resident set.
#include "core/io/DataExport.h"
#include "core/io/DataGrid.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"
#include "ui/StringGrid.h"
#include "ui/childDataWin.h"

#include "BenchLog.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The benchmark program's main makes the application object (offscreen) first.
void App() { Q_ASSERT(QApplication::instance() != nullptr); }

RoboCupFileT& FullMatch()
{
    static std::unique_ptr<RoboCupFileT> log = [] {
        return LoadLog(BenchLog(), false);
    }();
    return *log;
}

std::vector<TimeChannel*> Leaves(const RoboCupFileT& log, int count)
{
    std::vector<TimeChannel*> leaves;
    for (int i = 0; i < count; ++i)
        leaves.push_back(log.stream->GetChannel(i));
    return leaves;
}

double ResidentMB()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Every leaf into a new data window, as "Add selected data series" on the tree's root does.
void BM_AddAllLeaves(benchmark::State& state)
{
    App();
    RoboCupFileT& log = FullMatch();
    const std::vector<TimeChannel*> leaves = Leaves(log, 939);
    double grown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<TMDIDataChild>(nullptr, &log);
        const double before = ResidentMB();
        state.ResumeTiming();
        window->AddChannels(leaves);
        state.PauseTiming();
        grown = std::max(grown, ResidentMB() - before);  // the first run: later ones reuse freed memory
        window.reset();
        state.ResumeTiming();
    }
    state.counters["cycles"] = log.cycles;
    state.counters["MB_more"] = grown;
}
BENCHMARK(BM_AddAllLeaves)->Unit(benchmark::kMillisecond)->Iterations(3);

// Paging down through the whole grid of every leaf: only the shown cells are formatted.
void BM_ScrollGrid(benchmark::State& state)
{
    App();
    RoboCupFileT& log = FullMatch();
    TMDIDataChild window(nullptr, &log);
    window.AddChannels(Leaves(log, 939));
    window.resize(1000, 700);
    window.show();
    QImage image(window.dataGrid->size(), QImage::Format_RGB32);
    int pages = 0;
    for (auto _ : state) {
        for (int row = 4; row < window.dataGrid->RowCount(); row += 600) {
            window.dataGrid->SetTopRow(row);
            window.dataGrid->render(&image);
            ++pages;
        }
    }
    state.counters["pages"] = benchmark::Counter(pages, benchmark::Counter::kIsRate);
    state.counters["cycles"] = log.cycles;
}
BENCHMARK(BM_ScrollGrid)->Unit(benchmark::kMillisecond);

void BM_ArffExport20Columns(benchmark::State& state)
{
    RoboCupFileT& log = FullMatch();
    CellTable grid;
    datagrid::InitDataGrid(grid);
    datagrid::SetCycleRows(grid, log.cycles);
    std::vector<TimeChannel*> columns;
    for (int i = 0; i < 20; ++i)
        columns.push_back(log.stream->GetChannel(i * 40));
    datagrid::AddChannelColumns(grid, columns);
    const dataexport::MarkSet marks{10, 500, 1000};
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::ostringstream out;
        dataexport::WriteArff(out, grid, marks, dataexport::MarkMode::MarksAsTarget);
        bytes = out.str().size();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["cycles"] = log.cycles;
}
BENCHMARK(BM_ArffExport20Columns)->Unit(benchmark::kMillisecond);

}  // namespace
