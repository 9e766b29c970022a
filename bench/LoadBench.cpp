// The whole load of a match log as the main window does it: record, reading,
// derived pass with events and roles, roles as "Use player roles" says, features.
// The log is the file named by VELOTRASK_BENCH_LOG (a plain .rcg or a .rcg.gz), or
// the real full match of tests/data. Before the timed runs it prints one load's
// phases, what was loaded and what the loaded log costs in memory beside what its
// channels and features need. Timed on all cores and on one thread.
#include "BenchLog.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/load/LoadLog.h"
#include "core/model/Parallel.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// The moments at which the load changes its wait text: the phases of the
// derived pass show themselves that way.
class PhaseClock : public platform::Hooks {
public:
    PhaseClock() : previous_(platform::SetHooks(this)) {}
    ~PhaseClock() override { platform::SetHooks(previous_); }
    PhaseClock(const PhaseClock&) = delete;
    PhaseClock& operator=(const PhaseClock&) = delete;

    void SetWaitText(const std::string& text) override { marks.emplace_back(text, Clock::now()); }
    // The first moment the text was shown.
    Clock::time_point At(const std::string& text) const
    {
        for (const auto& [shown, when] : marks)
            if (shown == text)
                return when;
        throw std::runtime_error("the load never showed \"" + text + "\"");
    }

    std::vector<std::pair<std::string, Clock::time_point>> marks;

private:
    platform::Hooks* previous_;
};

double Ms(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// A field of /proc/self/status in MB ("VmRSS", "VmHWM").
double StatusMb(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::stod(line.substr(field.size() + 1)) / 1024.0;
    return -1.0;
}

// Lets the peak resident size start again from the current one.
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Bytes of every leaf's values: what the channels themselves need.
double ChannelBytes(const TimeStream& stream)
{
    double bytes = 0.0;
    for (const TimeChannel* leaf : stream.GetLeaves()) {
        const std::string type = leaf->GetTypeName();
        const double size = type == "char" ? 1.0 : type == "short" ? 2.0 : type == "long" ? 4.0 : 8.0;
        bytes += size * leaf->GetCount();
    }
    return bytes;
}

// Bytes of the feature matrix and of its per-instance role columns.
double FeatureBytes(const FeatureList& features)
{
    const double instances = features.GetNumInstances();
    return instances * features.GetBytesPerRow() + instances * FeatureList::kObjectColumns * sizeof(void*);
}

// One load, with its phases, what it loaded and its memory printed.
void ReportOneLoad(const std::string& path)
{
    const double rssBefore = StatusMb("VmRSS");
    ResetPeak();
    LoadLogTimes times;
    std::unique_ptr<RoboCupFileT> log;
    Clock::time_point start;
    Clock::time_point end;
    PhaseClock clock;
    {
        start = Clock::now();
        log = LoadLog(path, true, &times);
        end = Clock::now();
    }
    const double rssAfter = StatusMb("VmRSS");
    const double peak = StatusMb("VmHWM");

    // Reading ends where the derived pass starts; its channels end where its
    // events start; events, their order and the first role analysis end with
    // the pass's empty text. The first role analysis costs what the second does.
    const Clock::time_point readStart = start + std::chrono::duration_cast<Clock::duration>(
                                                    std::chrono::duration<double>(times.create));
    const Clock::time_point derivedStart = clock.At("Initializing lookup data structures");
    const Clock::time_point eventsStart = clock.At("Computing events");
    const Clock::time_point passEnd = clock.At("");
    const double create = times.create * 1000.0;
    const double read = Ms(readStart, derivedStart);
    const double derived = Ms(derivedStart, eventsStart);
    const double roles = times.roles * 1000.0;
    const double events = Ms(eventsStart, passEnd) - roles;
    const double features = times.features * 1000.0;
    const double total = Ms(start, end);

    std::printf("Whole load of %s\n", path.c_str());
    std::printf("  %-38s %9.1f ms\n", "record with its schema", create);
    std::printf("  %-38s %9.1f ms\n", "read", read);
    std::printf("  %-38s %9.1f ms\n", "derived channels", derived);
    std::printf("  %-38s %9.1f ms\n", "events (with their order, min/max)", events);
    std::printf("  %-38s %9.1f ms  (run twice: in the pass and by the choice)\n", "roles", roles);
    std::printf("  %-38s %9.1f ms  (%.0f %% of the load)\n", "features", features, 100.0 * features / total);
    std::printf("  %-38s %9.1f ms\n", "total", total);
    std::printf("Loaded: %d cycles, %s %d - %d %s, %s log\n", log->cycles, log->leftTeam.c_str(), log->leftScore,
                log->rightScore, log->rightTeam.c_str(), log->isKeepaway ? "keepaway" : "normal");
    std::map<std::string, int> perAction;
    int allEvents = 0;
    for (const auto& list : log->events)
        for (const auto& event : list) {
            ++perAction[event->action != nullptr ? ConceptObject::GetPathName(event->action) : std::string("(none)")];
            ++allEvents;
        }
    std::printf("  events: %d\n", allEvents);
    for (const auto& [action, count] : perAction)
        std::printf("    %-40s %6d\n", action.c_str(), count);
    std::printf("  features: %d over %d cycles\n", log->features->GetNumFeatures(),
                log->features->GetNumInstances());
    const double channels = ChannelBytes(*log->stream) / (1024.0 * 1024.0);
    const double featureBytes = FeatureBytes(*log->features) / (1024.0 * 1024.0);
    std::printf("Memory: resident %.1f MB before, %.1f MB with the log loaded (the log costs %.1f MB); "
                "peak %.1f MB (%.1f MB above the start)\n",
                rssBefore, rssAfter, rssAfter - rssBefore, peak, peak - rssBefore);
    std::printf("  its values need %.1f MB: channels %.1f MB, features %.1f MB; the log costs %.1f %% of that\n",
                channels + featureBytes, channels, featureBytes,
                100.0 * (rssAfter - rssBefore) / (channels + featureBytes));
    std::fflush(stdout);
}

// Argument: the threads to use, 0 for every core.
void BM_WholeLoad(benchmark::State& state)
{
    const std::string& path = BenchLog();
    // The process's one set: the logs other benchmarks keep loaded point into it.
    BuildConceptHierarchiesOnce();
    static bool reported = false;
    if (!reported) {
        reported = true;
        ReportOneLoad(path);
    }
    SetWorkerThreads(static_cast<int>(state.range(0)));
    LoadLogTimes sum;
    int cycles = 0;
    for (auto _ : state) {
        LoadLogTimes times;
        auto log = LoadLog(path, true, &times);
        benchmark::DoNotOptimize(log.get());
        cycles = log->cycles;
        sum.create += times.create;
        sum.read += times.read;
        sum.roles += times.roles;
        sum.features += times.features;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["read+derived_ms"] = (sum.create + sum.read) * 1000.0 / n;
    state.counters["roles_ms"] = sum.roles * 1000.0 / n;
    state.counters["features_ms"] = sum.features * 1000.0 / n;
    state.counters["cycles"] = cycles;
    SetWorkerThreads(0);
}
BENCHMARK(BM_WholeLoad)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace
