// The concept hierarchies are built, numbered, weighed and written as GML at every
// program start: how long each builder takes, the keepaway lattice being the
// largest (662 nodes, 11508 node visits per numbering).
#include "core/concepts/Concepts.h"
#include "core/concepts/RelativeConcepts.h"
#include "core/concepts/SpatialConcepts.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Runs the builder in a scratch folder, since the builders write their files into
// the current one.
template <ConceptObject* (*Build)()>
void BM_Build(benchmark::State& state)
{
    const fs::path previous = fs::current_path();
    const fs::path scratch = fs::temp_directory_path() / ("velotrask-hierarchy-bench-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    fs::current_path(scratch);
    for (auto _ : state) {
        ConceptObject* root = Build();
        benchmark::DoNotOptimize(root);
        delete root;
    }
    fs::current_path(previous);
    fs::remove_all(scratch);
}

}  // namespace

BENCHMARK(BM_Build<CreatePositionConcepts>)->Name("BM_CreatePositionConcepts")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Build<CreateSpeedConcepts>)->Name("BM_CreateSpeedConcepts")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Build<CreateBallRelativeConcepts>)->Name("BM_CreateBallRelativeConcepts")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Build<CreateRelativeConcepts>)->Name("BM_CreateRelativeConcepts")->Unit(benchmark::kMicrosecond);
