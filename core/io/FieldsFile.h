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
    // Empty in both cells: one of the editor's unused rows, never saved.
    bool Blank() const { return name.empty() && expression.empty(); }
    bool operator==(const FieldDefinition&) const = default;
};

// The most definitions a fields file may hold.
inline constexpr std::size_t kMaxFieldRows = 10000;

// Writes "name=expression\r\n" for every definition, in order, but for those
// empty in both cells (the editor's unused rows).
void WriteFieldDefinitions(std::ostream& out, const std::vector<FieldDefinition>& fields);

// Why the editor's rows cannot be saved so that ParseFieldDefinitions reads them
// back as they are, or "" when they can. Rows empty in both cells are not saved
// and pass; rows count from 1 including them: "row N: the name holds \"=\"",
// "row N: the name|expression holds a line break", "... holds a NUL character",
// "... is not UTF-8 text", "row N is longer than <maxLineLength> characters",
// "row N repeats the name \"<name>\" of row M", "more than <maxRows> rows hold
// something".
std::string UnsavableFieldRow(const std::vector<FieldDefinition>& rows, std::size_t maxLineLength,
                              std::size_t maxRows = kMaxFieldRows);

// What reading a definitions file gave: every definition of the file, or none
// and why.
struct FieldsRead {
    std::vector<FieldDefinition> fields;
    std::string error;  // "" when fields holds the whole file
};

// The definitions of the bytes, all of them or none. A UTF-8 byte-order mark at
// the start is dropped; lines end with CR LF, LF or a lone CR; blank lines and
// lines "=" alone are skipped. Every other line is a definition: the name (as it
// stands, empty or with blanks), "=", and the expression, all after the first
// "=" (it may be empty). Whether a name or an expression is usable is decided
// when the channels are made. The first line that is none refuses the whole text, named
// in the error: "line N is not text (a NUL byte)", "line N is not text (not
// UTF-8)", "line N is longer than <maxLineLength> characters", "line N has no
// \"=\"", "line N repeats the name \"<name>\" of line M" (a data window's
// ".txt" export: its column names repeat on every line); also "it holds more
// than <maxRows> definitions" and "no line holds name=expression".
FieldsRead ParseFieldDefinitions(std::string_view bytes, std::size_t maxLineLength,
                                 std::size_t maxRows = kMaxFieldRows);

// The definitions of the file the user chose, read only when it is a regular
// file of at most platform::kFieldsFileLimit bytes (never waiting on it), then
// parsed as above. The error is the whole message for the user: "Cannot read the
// file <path>: <reason>" or "\"<path>\" is no fields file: <why>".
FieldsRead LoadFieldsFile(const std::string& path, std::size_t maxLineLength, std::size_t maxRows = kMaxFieldRows);
