// The definitions file of the expression channels: one line per definition,
// name "=" expression, each line ended by CR LF ("fields.txt" by default).
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// One expression channel to make: the field name and its expression text.
struct FieldDefinition {
    std::string name;
    std::string expression;
    bool operator==(const FieldDefinition&) const = default;
};

// Writes "name=expression\r\n" for every definition, in order.
void WriteFieldDefinitions(std::ostream& out, const std::vector<FieldDefinition>& fields);

// The definitions of the lines: the first "=" separates the name from the
// expression (a line without one is a name with an empty expression). Line ends
// CR LF or LF; blank lines are skipped.
std::vector<FieldDefinition> ReadFieldDefinitions(std::istream& in);

// Why the bytes of a file are no definitions file, or "" when they are one:
// "line N is not text (a NUL byte)", "line N is not text (not UTF-8)", "line N
// is longer than 10000 characters" for the first such line, or "no line holds
// name=expression". Checked before anything is read from the file, so that a
// wrong file changes nothing.
std::string CheckFieldDefinitions(std::string_view bytes);
