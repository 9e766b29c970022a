// Fuzz target: any byte sequence loaded into a log record must leave the record
// whole: no crash, no read outside a buffer, and every leaf holding exactly one
// value per cycle counted, the input read from memory as a file is.
#include "core/io/Convertlog.h"
#include "core/model/RoboCupFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <ostream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // One record for the whole run, emptied per input as a re-read empties it:
    // building the 939-leaf schema per input would drown the reader in set-up.
    static std::unique_ptr<RoboCupFileT> log = CreateFileRecord("fuzz.rcg");
    log->cycles = 0;
    log->stream->ClearChannels();
    log->playerTypes.clear();

    std::ostream quiet(nullptr);
    ParseRcgMemory(data, size, *log, quiet);

    // Every show record takes 1430 bytes of the input.
    if (log->cycles < 0 || static_cast<size_t>(log->cycles) > size / 1430)
        std::abort();
    for (TimeChannel* leaf : log->stream->GetLeaves())
        if (leaf->GetCount() != log->cycles)
            std::abort();
    return 0;
}
