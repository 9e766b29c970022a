#include "Format.h"

#include <charconv>
#include <cmath>

namespace {

std::string ToChars(double value, std::chars_format fmt, int precision)
{
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char buf[512];
    auto r = std::to_chars(buf, buf + sizeof buf, value, fmt, precision);
    return std::string(buf, r.ptr);
}

}  // namespace

std::string FormatInt6(int value)
{
    std::string s = std::to_string(value);
    if (s.size() < 6)
        s.insert(0, 6 - s.size(), ' ');
    return s;
}

std::string FormatFixed(double value, int decimals)
{
    return ToChars(value, std::chars_format::fixed, decimals < 0 ? 0 : decimals);
}

std::string FormatGeneral(double value, int significant)
{
    return ToChars(value, std::chars_format::general, significant < 1 ? 1 : significant);
}
