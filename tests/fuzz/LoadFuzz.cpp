// Fuzz target: the whole load of a log as opening a file does, into a fresh
// record: reading from memory, the derived pass, the roles and the feature matrix.
#include "core/concepts/ConceptHierarchies.h"
#include "core/io/Convertlog.h"
#include "core/learning/Features.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <stdlib.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The hierarchies write their GML files into the current folder: they are
    // built once, in a fresh folder that goes again at once, and freed at exit.
    [[maybe_unused]] static const bool hierarchies = [] {
        namespace fs = std::filesystem;
        std::string name = (fs::temp_directory_path() / "velo-fuzz-load-XXXXXX").string();
        if (::mkdtemp(name.data()) == nullptr)
            std::abort();
        const fs::path here = fs::current_path();
        fs::current_path(name);
        CreateConceptHierarchies();
        std::atexit(FreeConceptHierarchies);
        fs::current_path(here);
        return fs::remove_all(name) > 0;
    }();
    auto log = CreateFileRecord("fuzz.rcg");
    std::ostream quiet(nullptr);
    ParseRcgMemory(data, size, *log, quiet);
    log->ComputeCalculatedFields();
    ComputeRolesAndFeatures(*log, true);
    for (TimeChannel* leaf : log->stream->GetLeaves())
        if (leaf->GetCount() != log->cycles)
            std::abort();
    // One row per cycle, and every feature's count that of its set bits.
    const FeatureList& features = *log->features;
    if (features.GetNumInstances() != log->cycles)
        std::abort();
    std::vector<int> counts(static_cast<std::size_t>(features.GetNumFeatures()), 0);
    for (int t = 0; t < features.GetNumInstances(); ++t)
        features.AddInstanceBits(t, counts.data());
    for (int f = 0; f < features.GetNumFeatures(); ++f)
        if (features.GetCount(f) != counts[static_cast<std::size_t>(f)])
            std::abort();
    return 0;
}
