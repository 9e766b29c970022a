// Fuzz target: the whole load of a log file as opening it does, into a fresh
// record: reading, conversion and the derived pass over whatever was read.
#include "core/io/Convertlog.h"
#include "core/model/RoboCupFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto log = CreateFileRecord("fuzz.rcg");
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size), std::ios::binary);
    std::ostream quiet(nullptr);
    ParseRcgStream(in, *log, quiet);
    log->ComputeCalculatedFields();
    for (TimeChannel* leaf : log->stream->GetLeaves())
        if (leaf->GetCount() != log->cycles)
            std::abort();
    return 0;
}
