// Fuzz target: the whole load of a log as opening a file does, into a fresh
// record: the input held in memory with its show records decoded where they lie,
// the derived pass, the roles and the feature matrix with the program's concept
// hierarchies.
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

namespace {

// The hierarchies write their GML files into the current folder: they are built
// once, in a fresh folder that goes again at once.
class Hierarchies {
public:
    Hierarchies()
    {
        namespace fs = std::filesystem;
        std::string name = (fs::temp_directory_path() / "velo-fuzz-load-XXXXXX").string();
        if (::mkdtemp(name.data()) == nullptr)
            std::abort();
        const fs::path here = fs::current_path();
        fs::current_path(name);
        CreateConceptHierarchies();
        fs::current_path(here);
        fs::remove_all(name);
    }
    ~Hierarchies() { FreeConceptHierarchies(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Hierarchies hierarchies;
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
