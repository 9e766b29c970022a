// Fuzz target: the fields file, read and written. The bytes as a file: what
// loads, saves and loads again as the same rows, and saves again as the same
// bytes. The bytes as the editor's rows (rows apart at byte 0x1E, the name apart
// from the expression at the row's first 0x1F): what the saver takes reads back
// as written, its blank rows left out. Short limits of line and rows, so that
// short inputs reach them.
#include "core/io/FieldsFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
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

std::vector<FieldDefinition> AsRows(std::string_view bytes)
{
    std::vector<FieldDefinition> rows;
    for (std::size_t start = 0; start <= bytes.size();) {
        std::size_t end = bytes.find('\x1e', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        const std::string_view row = bytes.substr(start, end - start);
        const std::size_t cut = row.find('\x1f');
        if (cut == std::string_view::npos)
            rows.push_back({std::string(row), {}});
        else
            rows.push_back({std::string(row.substr(0, cut)), std::string(row.substr(cut + 1))});
        start = end + 1;
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
        std::vector<FieldDefinition> kept;
        std::copy_if(rows.begin(), rows.end(), std::back_inserter(kept),
                     [](const FieldDefinition& f) { return !f.Blank(); });
        const std::string saved = Written(rows);
        const FieldsRead back = ParseFieldDefinitions(saved, kLine, kRows);
        // Nothing to save is written as nothing (and the editor does not save it).
        if (kept.empty() ? !saved.empty() : !back.error.empty() || back.fields != kept)
            std::abort();
    }
    return 0;
}
