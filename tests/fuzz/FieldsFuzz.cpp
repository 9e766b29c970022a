// Fuzz target: the fields file, read and written. The bytes as a file: what
// loads, saves and loads again as the same rows and bytes. The bytes as the
// editor's rows: what the saver takes reads back as written, blank rows left
// out. Short limits of line and rows, so that short inputs reach them.
#include "core/io/FieldsFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kLine = 64;
constexpr std::size_t kRows = 6;

std::string Written(const std::vector<FieldDefinition>& rows)
{
    std::ostringstream out;
    WriteFieldDefinitions(out, rows);
    return out.str();
}

// Rows apart at byte 0x1E, the name apart from the expression at the row's first 0x1F.
std::vector<FieldDefinition> AsRows(std::string_view bytes)
{
    std::vector<FieldDefinition> rows(1);
    bool inName = true;
    for (const char c : bytes) {
        if (c == '\x1e')
            rows.emplace_back();
        if (c == '\x1e' || (c == '\x1f' && inName))
            inName = c == '\x1e';
        else
            (inName ? rows.back().name : rows.back().expression) += c;
    }
    return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const FieldsRead loaded = ParseFieldDefinitions(bytes, kLine, kRows);
    if (loaded.error.empty()) {
        if (loaded.fields.empty() || !UnsavableFieldRow(loaded.fields, kLine, kRows).empty())
            std::abort();
        const std::string saved = Written(loaded.fields);
        const FieldsRead again = ParseFieldDefinitions(saved, kLine, kRows);
        if (!again.error.empty() || again.fields != loaded.fields || Written(again.fields) != saved)
            std::abort();
    }

    const std::vector<FieldDefinition> rows = AsRows(bytes);
    if (UnsavableFieldRow(rows, kLine, kRows).empty()) {
        std::vector<FieldDefinition> kept = rows;
        std::erase_if(kept, [](const FieldDefinition& f) { return f.Blank(); });
        const std::string saved = Written(rows);
        const FieldsRead back = ParseFieldDefinitions(saved, kLine, kRows);
        // Nothing to save is written as nothing (and the editor does not save it).
        if (kept.empty() ? !saved.empty() : !back.error.empty() || back.fields != kept)
            std::abort();
    }
    return 0;
}
