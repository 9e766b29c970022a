// Building the action graph of every object of the full match, as a new
// action-graph window does (passes 1 to 3 and the degree filter).
#include "actiongraph/Actiongraph.h"
#include "actiongraph/GraphBuilder.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/io/LoadLog.h"
#include "core/model/RoboCupFile.h"

#include "support/Gunzip.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The full match, loaded once with roles, in a temporary folder (the
// hierarchies write their GML files where they are built).
RoboCupFileT& FullMatch()
{
    static std::unique_ptr<RoboCupFileT> log = [] {
        const fs::path folder = fs::temp_directory_path() / ("velotrask-graphbench-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        const fs::path previous = fs::current_path();
        fs::current_path(folder);
        CreateConceptHierarchies();
        fs::current_path(previous);
        const std::string plain = (folder / "full.rcg").string();
        GunzipFile(std::string(VELO_TEST_DATA_DIR) + "/match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg.gz", plain);
        auto loaded = LoadLog(plain, true);
        fs::remove_all(folder);
        return loaded;
    }();
    return *log;
}

void BM_BuildActionGraphAllObjects(benchmark::State& state)
{
    RoboCupFileT& log = FullMatch();
    TObjectChoice all{};
    all[0] = true;
    TGraph graph;
    int events = 0;
    for (const auto& list : log.events)
        events += static_cast<int>(list.size());
    for (auto _ : state) {
        BuildActionGraph(log, all, graph);
        RemoveNodesWithDegreeBelow(graph, 1);
        benchmark::DoNotOptimize(graph.NodeCount());
    }
    state.counters["events"] = events;
    state.counters["nodes"] = graph.NodeCount();
    state.counters["connections"] = graph.ConnectionCount();
}
BENCHMARK(BM_BuildActionGraphAllObjects)->Unit(benchmark::kMillisecond);

}  // namespace
