#include "core/model/Format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

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

// A finite value as decimal digits: value = 0.d1d2d3... * 10^exponent.
struct Decimal {
    bool negative = false;
    std::string digits;  // no leading or trailing zeros; empty for zero
    int exponent = 0;
};

// The value rounded (halves away from zero) to at most maxSignificant digits
// and to no digit below 10^-maxDecimals.
Decimal ToDecimal(double value, int maxSignificant, int maxDecimals)
{
    Decimal d;
    d.negative = std::signbit(value);
    const double a = std::fabs(value);
    if (a == 0)
        return d;
    // 40 significant digits reach well past a double's own, so the digit that
    // decides the rounding below is exact.
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, 39);
    const std::string text(buf, r.ptr);
    const size_t e = text.find('e');
    std::string all;
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            all += text[i];
    d.exponent = std::atoi(text.c_str() + e + 1) + 1;

    const long keep = std::min<long>(maxSignificant, static_cast<long>(d.exponent) + maxDecimals);
    if (keep < 0)
        return Decimal{d.negative, {}, 0};
    const size_t n = static_cast<size_t>(keep);
    std::string kept = all.substr(0, n);
    if (n < all.size() && all[n] >= '5') {
        size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9')
            kept[--i] = '0';
        if (i == 0) {
            kept.insert(kept.begin(), '1');
            ++d.exponent;
        } else {
            ++kept[i - 1];
        }
    }
    while (!kept.empty() && kept.back() == '0')
        kept.pop_back();
    if (kept.empty())
        return Decimal{d.negative, {}, 0};
    d.digits = kept;
    return d;
}

std::string ExponentForm(const Decimal& d)
{
    std::string s = d.negative ? "-" : "";
    s += d.digits[0];
    if (d.digits.size() > 1) {
        s += '.';
        s.append(d.digits, 1, std::string::npos);
    }
    s += 'E';
    s += std::to_string(d.exponent - 1);
    return s;
}

std::string NonFinite(double value)
{
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
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

std::string FormatWholePart(double value)
{
    if (!std::isfinite(value))
        return FormatFloatGeneral(value);
    return FormatFixed(std::trunc(value) + 0.0, 0);  // + 0.0: no "-0"
}

std::string FormatGeneral(double value, int significant)
{
    return ToChars(value, std::chars_format::general, significant < 1 ? 1 : significant);
}

std::string FormatFloatFixed(double value, int precision, int digits)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    precision = std::clamp(precision, 1, 18);
    digits = std::clamp(digits, 0, 18);
    const Decimal d = ToDecimal(value, precision, digits);
    if (d.exponent > precision)
        return ExponentForm(d);
    // A value that rounds to zero is written without a sign.
    std::string s = d.negative && !d.digits.empty() ? "-" : "";
    const auto digitAt = [&d](int pos) {  // pos 0 is the first digit left of the point
        const int i = d.exponent - 1 - pos;
        return i >= 0 && i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<size_t>(i)] : '0';
    };
    for (int pos = std::max(d.exponent, 1) - 1; pos >= 0; --pos)
        s += digitAt(pos);
    if (digits > 0) {
        s += '.';
        for (int k = 1; k <= digits; ++k)
            s += digitAt(-k);
    }
    return s;
}

std::string FormatFloatGeneral(double value, int precision)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    precision = std::clamp(precision, 1, 18);
    const Decimal d = ToDecimal(value, precision, 400);
    if (d.digits.empty())
        return "0";
    if (d.exponent > precision || d.exponent < -4)
        return ExponentForm(d);
    std::string s = d.negative ? "-" : "";
    const int n = static_cast<int>(d.digits.size());
    if (d.exponent <= 0) {
        s += "0." + std::string(static_cast<size_t>(-d.exponent), '0') + d.digits;
    } else if (d.exponent >= n) {
        s += d.digits + std::string(static_cast<size_t>(d.exponent - n), '0');
    } else {
        s += d.digits.substr(0, static_cast<size_t>(d.exponent)) + "." + d.digits.substr(static_cast<size_t>(d.exponent));
    }
    return s;
}

bool IsNonFiniteText(const std::string& text)
{
    return text == NonFinite(std::numeric_limits<double>::quiet_NaN()) ||
           text == NonFinite(std::numeric_limits<double>::infinity()) ||
           text == NonFinite(-std::numeric_limits<double>::infinity());
}

std::string OneLineText(std::string text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (c1)
            ++i;
        out += c < 0x20 || c == 0x7F || c1 ? ' ' : text[i];
    }
    return out;
}

std::string AsciiLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string ListFirst(const std::vector<std::string>& items, std::size_t shown, const std::string& separator,
                      const std::string& what)
{
    std::string out;
    for (std::size_t i = 0; i < items.size() && i < shown; ++i)
        out += (i > 0 ? separator : std::string()) + items[i];
    if (items.size() > shown) {
        const bool lines = !separator.empty() && separator.back() == '\n';
        out += (shown == 0 ? std::string() : lines ? separator : std::string(" ")) + "and " +
               std::to_string(items.size() - shown) + " more (" + std::to_string(items.size()) + " " + what + ")";
    }
    return out;
}
