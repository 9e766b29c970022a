#include "core/io/FieldsFile.h"

#include "core/expr/Expression.h"

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

}  // namespace

void WriteFieldDefinitions(std::ostream& out, const std::vector<FieldDefinition>& fields)
{
    for (const FieldDefinition& f : fields)
        out << f.name << '=' << f.expression << "\r\n";
}

std::vector<FieldDefinition> ReadFieldDefinitions(std::istream& in)
{
    std::vector<FieldDefinition> fields;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            fields.push_back({line, {}});
        else
            fields.push_back({line.substr(0, eq), line.substr(eq + 1)});
    }
    return fields;
}

std::string CheckFieldDefinitions(std::string_view bytes)
{
    bool anyDefinition = false;
    std::size_t number = 0;
    for (std::size_t start = 0; start < bytes.size();) {
        ++number;
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::string at = "line " + std::to_string(number);
        if (line.find('\0') != std::string_view::npos)
            return at + " is not text (a NUL byte)";
        for (std::size_t i = 0; i < line.size();) {
            const std::size_t n = Utf8Length(line.substr(i));
            if (n == 0)
                return at + " is not text (not UTF-8)";
            i += n;
        }
        if (line.size() > kMaxExpressionLength)
            return at + " is longer than " + std::to_string(kMaxExpressionLength) + " characters";
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos && line.substr(0, eq).find_first_not_of(" \t") != std::string_view::npos)
            anyDefinition = true;
    }
    return anyDefinition ? std::string() : "no line holds name=expression";
}
