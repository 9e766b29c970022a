// The action-graph window's data window and timeline without the window, on the
// bench log (the full match unless VELOTRASK_BENCH_LOG names another): the rows
// of every occurrence cycle of the whole graph with twenty position fields, and
// the position timeline of every object over every position concept.
#include "BenchLog.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/model/NeighbourStrip.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/io/DataGrid.h"
#include "core/model/CellTable.h"
#include "core/model/RoboCupFile.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void BM_GraphDataWindowWholeGraph(benchmark::State& state)
{
    RoboCupFileT& log = LoadedBenchLog();
    TObjectChoice all{};
    all[0] = true;
    TGraph graph;
    BuildActionGraph(log, all, {}, graph);
    std::vector<TimeChannel*> fields;
    for (int o = 0; o < 10; ++o) {
        fields.push_back(log.posXChannel[static_cast<std::size_t>(o)]);
        fields.push_back(log.posYChannel[static_cast<std::size_t>(o)]);
    }
    std::size_t rows = 0;
    for (auto _ : state) {
        CellTable grid;
        datagrid::InitDataGrid(grid);
        const std::vector<TGraphDataRow> data = GraphDataRows(graph, nullptr, log.cycles);
        AddGraphDataColumns(grid, data, false, fields);
        rows = data.size();
        benchmark::DoNotOptimize(grid.RowCount());
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_GraphDataWindowWholeGraph)->Unit(benchmark::kMillisecond);

void BM_PositionTimelineAllObjects(benchmark::State& state)
{
    RoboCupFileT& log = LoadedBenchLog();
    std::vector<ConceptObject*> concepts;
    ConceptObject::CollectConcepts(g_positionConcepts, &concepts, false);
    for (auto _ : state) {
        std::size_t hits = 0;
        for (int o = 0; o < RoboCupFileT::kObjectCount; ++o)
            for (ConceptObject* c : concepts)
                hits += TimelineSpans(200, 1200, 0, log.cycles, ConceptCycles(log, o, *c)).size();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["rows"] = static_cast<double>(concepts.size() * RoboCupFileT::kObjectCount);
}
BENCHMARK(BM_PositionTimelineAllObjects)->Unit(benchmark::kMillisecond);

}  // namespace
