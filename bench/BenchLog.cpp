#include "BenchLog.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/io/Convertlog.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"
#include "support/Gunzip.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace {

std::string NamedLog()
{
    const char* named = std::getenv("VELOTRASK_BENCH_LOG");
    return named != nullptr && *named != '\0' ? std::string(named) : std::string();
}

}  // namespace

bool BenchLogIsTheFullMatch() { return NamedLog().empty(); }

const std::string& BenchLog()
{
    static const std::string path = [] {
        const std::string named = NamedLog();
        const std::string source =
            !named.empty() ? named : std::string(VELO_TEST_DATA_DIR) + "/match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg.gz";
        if (source.size() <= 3 || source.compare(source.size() - 3, 3, ".gz") != 0)
            return source;
        const std::filesystem::path plain =
            std::filesystem::temp_directory_path() / ("velotrask-bench-" + std::to_string(::getpid()) + ".rcg");
        GunzipFile(source, plain.string());
        return plain.string();
    }();
    // Registered once the path exists, so that it runs before the path is destroyed.
    static const bool removeAtExit = [] {
        if (path != NamedLog())
            std::atexit([] { std::remove(BenchLog().c_str()); });
        return true;
    }();
    (void)removeAtExit;
    return path;
}

void BuildConceptHierarchiesOnce()
{
    static const bool built = [] {
        const std::filesystem::path previous = std::filesystem::current_path();
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / ("velotrask-bench-gml-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        std::filesystem::current_path(folder);
        CreateConceptHierarchies();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
        return true;
    }();
    (void)built;
}

RoboCupFileT& LoadedBenchLog()
{
    static std::unique_ptr<RoboCupFileT> log;
    if (!log) {
        BuildConceptHierarchiesOnce();
        log = LoadLog(BenchLog(), true);
        // The log refers to the hierarchies: it goes first.
        std::atexit([] {
            log.reset();
            FreeConceptHierarchies();
        });
    }
    return *log;
}

RoboCupFileT& ReadBenchLog()
{
    static std::unique_ptr<RoboCupFileT> log = [] {
        auto record = CreateFileRecord(BenchLog());
        ReadRcgFile(BenchLog(), *record);
        if (record->cycles == 0)
            throw std::runtime_error("the bench log yielded no cycles");
        return record;
    }();
    return *log;
}
