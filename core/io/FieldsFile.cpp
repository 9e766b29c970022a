#include "core/io/FieldsFile.h"

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
