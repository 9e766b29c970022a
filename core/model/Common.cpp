#include "core/model/Common.h"

#include "core/model/Pitch.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

std::string MakeIdentifier(std::string text)
{
    for (const char from : {'.', ':', '-'})
        std::replace(text.begin(), text.end(), from, '_');
    return text;
}

namespace {

// The text without leading and trailing characters with codes 0 to 32.
std::string TrimBlanks(const std::string& text)
{
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    size_t first = 0;
    size_t last = text.size();
    while (first < last && blank(text[first]))
        ++first;
    while (last > first && blank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// from_chars takes no "+"; a sign must be followed by a digit either way.
const char* SkipPlus(const char* begin, const char* end)
{
    return begin != end && *begin == '+' && end - begin > 1 && begin[1] != '-' ? begin + 1 : begin;
}

}  // namespace

int32_t StrToIntTrim(const std::string& text)
{
    const std::string trimmed = TrimBlanks(text);
    const char* end = trimmed.data() + trimmed.size();
    const char* begin = SkipPlus(trimmed.data(), end);
    int32_t value = 0;
    const auto r = std::from_chars(begin, end, value, 10);
    if (begin == end || r.ec != std::errc() || r.ptr != end)
        throw EConvertError("'" + trimmed + "' is not a valid integer value");
    return value;
}

double StrToFloatDot(const std::string& text)
{
    const std::string trimmed = TrimBlanks(text);
    const char* end = trimmed.data() + trimmed.size();
    const char* begin = SkipPlus(trimmed.data(), end);
    double value = 0.0;
    const auto r = std::from_chars(begin, end, value, std::chars_format::general);
    if (begin == end || r.ec != std::errc() || r.ptr != end || !std::isfinite(value))
        throw EConvertError("'" + trimmed + "' is not a valid floating point value");
    return value;
}

uint32_t PackRGB(int r, int g, int b)
{
    // Unsigned arithmetic: components outside 0..255 spill into the next byte
    // as they always did, without signed overflow.
    return static_cast<uint32_t>(r) + static_cast<uint32_t>(g) * 256u + static_cast<uint32_t>(b) * 65536u;
}

namespace {

int BlendChannel(int c1, int c2, float t)
{
    c1 = std::clamp(c1, 0, 255);
    c2 = std::clamp(c2, 0, 255);
    // In double the product and the sum are exact (a float fraction times at
    // most 255), so the ceiling is taken of the true value; float arithmetic
    // would round it first and could land one below.
    const double c = std::ceil(static_cast<double>(c1) + static_cast<double>(c2 - c1) * static_cast<double>(t));
    // An unlimited t can leave the int range; saturate instead of undefined behaviour.
    if (std::isnan(c))
        return 0;
    if (c >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (c <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(c);
}

}  // namespace

uint32_t BlendRGB(int r1, int g1, int b1, int r2, int g2, int b2, float t)
{
    return PackRGB(BlendChannel(r1, r2, t), BlendChannel(g1, g2, t), BlendChannel(b1, b2, t));
}

ViewRect::ViewRect(double left, double top, double right, double bottom)
    : left(left), top(top), right(right), bottom(bottom)
{
}

void ViewRect::Set(double l, double t, double r, double b)
{
    left = l;
    top = t;
    right = r;
    bottom = b;
}

double ViewRect::FieldToViewX(double x) const
{
    return left + (right - left) * ((x + pitch::kHalfLength) * (1.0 / pitch::kLength));
}

double ViewRect::FieldToViewY(double y) const
{
    return top + (bottom - top) * ((y + pitch::kHalfWidth) * (1.0 / pitch::kWidth));
}

double ViewRect::ViewToFieldX(double v) const
{
    const double width = right - left;
    if (width == 0)
        return 0;
    return (v - left) / width * pitch::kLength - pitch::kHalfLength;
}

double ViewRect::ViewToFieldY(double v) const
{
    const double height = bottom - top;
    if (height == 0)
        return 0;
    return (v - top) / height * pitch::kWidth - pitch::kHalfWidth;
}
