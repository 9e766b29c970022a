// Number to text, always with "." as the decimal separator, whatever the
// process locale says.
#pragma once

#include <string>

// "%6d": an integer right-aligned in six characters (the text form of a time mark).
std::string FormatInt6(int value);
// Fixed notation with the given number of decimals ("%.2f").
std::string FormatFixed(double value, int decimals);
// General notation with the given number of significant digits ("%.6g").
std::string FormatGeneral(double value, int significant = 6);
