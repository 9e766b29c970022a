#include "core/io/FieldsFile.h"

#include "platform/ReadFile.h"

#include <algorithm>

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

// Why a line is no text a definition can be made of, or "" when it is text.
std::string LineTextFault(std::string_view line, std::size_t maxLineLength)
{
    if (line.find('\0') != std::string_view::npos)
        return "is not text (a NUL byte)";
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t n = Utf8Length(line.substr(i));
        if (n == 0)
            return "is not text (not UTF-8)";
        i += n;
    }
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

// A character that can be part of a name or a number (letters beyond ASCII too).
bool InWord(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.';
}

// True when a value (a name, a number or a closing bracket) is followed, past
// blanks only, by another name or number: no expression can hold that, while
// the "name=value name=value" lines of a data export always do.
bool TwoValuesInARow(std::string_view expression)
{
    for (std::size_t i = 1; i < expression.size(); ++i) {
        if (!IsBlank(expression[i]) || IsBlank(expression[i - 1]))
            continue;
        const char before = expression[i - 1];
        std::size_t j = i;
        while (j < expression.size() && IsBlank(expression[j]))
            ++j;
        if (j < expression.size() && (InWord(before) || before == ')') && InWord(expression[j]))
            return true;
    }
    return false;
}

// Calls line(number, text) for every line of the bytes (the line end and a
// carriage return before it cut off) until it returns false.
template <class F>
void ForEachLine(std::string_view bytes, F line)
{
    std::size_t number = 0;
    for (std::size_t start = 0; start < bytes.size();) {
        ++number;
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view text = bytes.substr(start, end - start);
        start = end + 1;
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        if (!line(number, text))
            return;
    }
}

}  // namespace

void WriteFieldDefinitions(std::ostream& out, const std::vector<FieldDefinition>& fields)
{
    for (const FieldDefinition& f : fields)
        out << f.name << '=' << f.expression << "\r\n";
}

FieldsRead ParseFieldDefinitions(std::string_view bytes, std::size_t maxLineLength, std::size_t maxRows)
{
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        bytes.remove_prefix(kByteOrderMark.size());
    // Built apart: the caller gets all of them or none.
    std::vector<FieldDefinition> fields;
    std::string error;
    ForEachLine(bytes, [&](std::size_t number, std::string_view line) {
        const auto at = [number] { return "line " + std::to_string(number) + " "; };
        if (std::string fault = LineTextFault(line, maxLineLength); !fault.empty()) {
            error = at() + fault;
            return false;
        }
        if (Trimmed(line).empty())
            return true;
        const std::size_t eq = line.find('=');
        const std::string_view name = Trimmed(line.substr(0, eq == std::string_view::npos ? 0 : eq));
        if (eq == std::string_view::npos)
            error = at() + "has no \"=\"";
        else if (name.empty())
            error = at() + "has no name before \"=\"";
        else if (std::find_if(name.begin(), name.end(), IsBlank) != name.end())
            error = at() + "has a name of more than one word";
        else if (TwoValuesInARow(line.substr(eq + 1)))
            error = at() + "holds two values without an operator between them";
        else if (fields.size() == maxRows)
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
