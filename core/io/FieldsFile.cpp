#include "core/io/FieldsFile.h"

#include "platform/ReadFile.h"

#include <unordered_map>

namespace {

// The length of the valid UTF-8 sequence at the start of s, 0 when there is none.
std::size_t Utf8Length(std::string_view s)
{
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = b(0);
    std::size_t n = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;
        high = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (s.size() < n || b(1) < low || b(1) > high)
        return 0;
    for (std::size_t i = 2; i < n; ++i)
        if (b(i) < 0x80 || b(i) > 0xBF)
            return 0;
    return n;
}

bool IsUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = Utf8Length(s.substr(i));
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

// Why a line is no text a definition can be made of, or "" when it is text.
std::string LineTextFault(std::string_view line, std::size_t maxLineLength)
{
    if (line.find('\0') != std::string_view::npos)
        return "is not text (a NUL byte)";
    if (!IsUtf8(line))
        return "is not text (not UTF-8)";
    if (line.size() > maxLineLength)
        return "is longer than " + std::to_string(maxLineLength) + " characters";
    return {};
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Calls line(number, text) for every line of the bytes until it returns false.
// A line ends at CR LF, LF or a lone CR: a CR never joins two lines into one.
template <class F>
void ForEachLine(std::string_view bytes, F line)
{
    std::size_t number = 0;
    for (std::size_t start = 0; start < bytes.size();) {
        ++number;
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = bytes.size();
        const std::string_view text = bytes.substr(start, end - start);
        start = end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1);
        if (!line(number, text))
            return;
    }
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Why a cell cannot be written into one line, or "" when it can.
std::string CellFault(std::string_view cell)
{
    if (cell.find_first_of("\r\n") != std::string_view::npos)
        return "holds a line break";
    if (cell.find('\0') != std::string_view::npos)
        return "holds a NUL character";
    if (!IsUtf8(cell))
        return "is not UTF-8 text";
    return {};
}

}  // namespace

void WriteFieldDefinitions(std::ostream& out, const std::vector<FieldDefinition>& fields)
{
    bool first = true;
    for (const FieldDefinition& f : fields) {
        if (f.Blank())
            continue;
        // A first name that starts like a byte-order mark keeps it: the
        // reader drops one mark only.
        if (first && f.name.starts_with(kByteOrderMark))
            out << kByteOrderMark;
        first = false;
        out << f.name << '=' << f.expression << "\r\n";
    }
}

FieldsRead ParseFieldDefinitions(std::string_view bytes, std::size_t maxLineLength, std::size_t maxRows)
{
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        bytes.remove_prefix(kByteOrderMark.size());
    // Built apart: the caller gets all of them or none.
    std::vector<FieldDefinition> fields;
    std::string error;
    // Names are unique in the editor: a name met twice is no file of it (a data
    // window's export repeats its column names on every line).
    std::unordered_map<std::string_view, std::size_t> firstLine;
    ForEachLine(bytes, [&](std::size_t number, std::string_view line) {
        const auto at = [number] { return "line " + std::to_string(number) + " "; };
        if (std::string fault = LineTextFault(line, maxLineLength); !fault.empty()) {
            error = at() + fault;
            return false;
        }
        if (Trimmed(line).empty())
            return true;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            error = at() + "has no \"=\"";
            return false;
        }
        // The name is taken as it stands, blanks and all: what the editor
        // saved comes back as it was, and a wrong name is refused when the
        // channels are made.
        const std::string_view name = line.substr(0, eq);
        // "=" alone holds as little as a blank line (and as the editor's blank
        // row it would not be saved again).
        if (line.size() == 1)
            return true;
        if (!name.empty()) {
            const auto [seen, added] = firstLine.try_emplace(name, number);
            if (!added)
                error = at() + "repeats the name \"" + std::string(name) + "\" of line " +
                        std::to_string(seen->second);
        }
        if (error.empty() && fields.size() == maxRows)
            error = "it holds more than " + std::to_string(maxRows) + " definitions";
        if (!error.empty())
            return false;
        fields.push_back({std::string(name), std::string(line.substr(eq + 1))});
        return true;
    });
    if (error.empty() && fields.empty())
        error = "no line holds name=expression";
    if (!error.empty())
        return {{}, error};
    return {std::move(fields), {}};
}

FieldsRead LoadFieldsFile(const std::string& path, std::size_t maxLineLength, std::size_t maxRows)
{
    platform::FileBytes bytes;
    platform::ReadError refused;
    if (!platform::ReadUserFile(path, platform::kFieldsFileLimit, bytes, &refused))
        return {{}, refused.Message()};
    FieldsRead read = ParseFieldDefinitions(bytes.View(), maxLineLength, maxRows);
    if (!read.error.empty())
        read.error = "\"" + path + "\" is no fields file: " + read.error;
    return read;
}

std::string UnsavableFieldRow(const std::vector<FieldDefinition>& rows, std::size_t maxLineLength,
                              std::size_t maxRows)
{
    std::unordered_map<std::string_view, std::size_t> firstRow;
    std::size_t saved = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const FieldDefinition& f = rows[i];
        if (f.Blank())
            continue;  // not saved
        const std::string row = "row " + std::to_string(i + 1);
        if (f.name.find('=') != std::string::npos)
            return row + ": the name holds \"=\"";
        if (std::string fault = CellFault(f.name); !fault.empty())
            return row + ": the name " + fault;
        if (std::string fault = CellFault(f.expression); !fault.empty())
            return row + ": the expression " + fault;
        if (f.name.size() + 1 + f.expression.size() > maxLineLength)
            return row + " is longer than " + std::to_string(maxLineLength) + " characters";
        if (!f.name.empty()) {
            const auto [seen, added] = firstRow.try_emplace(f.name, i + 1);
            if (!added)
                return row + " repeats the name \"" + f.name + "\" of row " + std::to_string(seen->second);
        }
        if (++saved > maxRows)
            return "more than " + std::to_string(maxRows) + " rows hold something";
    }
    return {};
}
