// Number to text, always with "." as the decimal separator, whatever the
// process locale says; and the short form of a long list in a message.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// "%6d": an integer right-aligned in six characters (the text form of a time mark).
std::string FormatInt6(int value);
// Fixed notation with the given number of decimals ("%.2f").
std::string FormatFixed(double value, int decimals);
// The whole part of a value ("-3" for -3.7, never "-0"), or "NAN" / "INF" /
// "-INF" where the value is no finite number: no cast to an integer, which is
// undefined for such a value.
std::string FormatWholePart(double value);
// General notation with the given number of significant digits ("%.6g").
std::string FormatGeneral(double value, int significant = 6);

// The fixed form of typed-in and tabulated values: rounded to at most `precision`
// significant digits and to `digits` decimals (halves away from zero), then
// written with exactly `digits` decimals ("0.85" with 8 and 4 is "0.8500").
// A value with more than `precision` integer digits is written in the exponent
// form of FormatFloatGeneral instead.
std::string FormatFloatFixed(double value, int precision, int digits);
// The shortest form with up to `precision` significant digits and no trailing
// zeros ("0", "0.5", "16", "-1"); the exponent form ("1E20", "1.5E-7") for values
// with more than `precision` integer digits or a magnitude below 0.00001.
std::string FormatFloatGeneral(double value, int precision = 15);

// Whether the text is one of those the formatters write for a value that is no
// finite number: "INF", "-INF", "NAN".
bool IsNonFiniteText(const std::string& text);

// The text as one line of printable characters: every control character
// becomes a blank, C0 (CR, LF, tabs...), DEL and C1 (U+0080..U+009F, written
// in UTF-8 as two bytes, which become one blank) alike.
std::string OneLineText(std::string text);
// The text with its ASCII letters in lower case (other bytes as they are).
std::string AsciiLower(std::string text);

// How one message names a list of any length: the first `shown` items joined by
// the separator, then, when there are more, "and <rest> more (<all> <what>)"
// after a space, or on a line of its own when the separator ends a line.
// ListFirst({"'a'", "'b'", "'c'"}, 2, ", ", "words") is "'a', 'b' and 1 more (3 words)".
std::string ListFirst(const std::vector<std::string>& items, std::size_t shown, const std::string& separator,
                      const std::string& what);
