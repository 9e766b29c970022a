// The definitions file of the expression channels: one line per definition,
// name "=" expression, each line ended by CR LF ("fields.txt" by default).
#pragma once

#include <ostream>
#include <cstddef>
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

// The most definitions a fields file may hold.
inline constexpr std::size_t kMaxFieldRows = 10000;

// What reading a definitions file gave: every definition of the file, or none
// and why.
struct FieldsRead {
    std::vector<FieldDefinition> fields;
    std::string error;  // "" when fields holds the whole file
};

// The definitions of the bytes, all of them or none. A UTF-8 byte-order mark at
// the start is dropped; lines end with CR LF or LF; blank lines are skipped.
// Every other line is a definition: a name of one word (blanks around it are
// dropped), "=", and the expression, all after the first "=" (it may be empty).
// The first line that is none refuses the whole text, named in the error:
// "line N is not text (a NUL byte)", "line N is not text (not UTF-8)", "line N
// is longer than <maxLineLength> characters", "line N has no \"=\"", "line N has
// no name before \"=\"", "line N has a name of more than one word", "line N
// holds two values without an operator between them" (a data window's ".txt"
// export: "Ball_pos_x=0.0000 play_mode=2"); also "it holds more than <maxRows>
// definitions" and "no line holds name=expression".
FieldsRead ParseFieldDefinitions(std::string_view bytes, std::size_t maxLineLength,
                                 std::size_t maxRows = kMaxFieldRows);

// The definitions of the file the user chose, read only when it is a regular
// file of at most platform::kFieldsFileLimit bytes (never waiting on it), then
// parsed as above. The error is the whole message for the user: "Cannot read the
// file <path>: <reason>" or "\"<path>\" is no fields file: <why>".
FieldsRead LoadFieldsFile(const std::string& path, std::size_t maxLineLength, std::size_t maxRows = kMaxFieldRows);
