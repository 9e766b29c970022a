// Small routines shared by the analysis core and the windows: distances on the
// pitch, names for export files, reading integers typed by the user, packed
// colours and the pitch-to-view transform.
#pragma once

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

// The conversion error of text that does not hold a number of the asked kind.
// Its message names the text: "'4 2' is not a valid integer value".
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The Euclidean distance of (x1, y1) and (x2, y2). Inline: the per-cycle
// passes and the evaluators ask for it millions of times per log.
inline double PointDistance(double x1, double y1, double x2, double y2)
{
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    return std::sqrt(dx * dx + dy * dy);
}

// The text with every ".", then every ":", then every "-" replaced by "_": the
// form in which names go into learner and export files.
std::string MakeIdentifier(std::string text);

// The decimal integer (optional sign, digits, 32 bits) that the text holds once
// leading and trailing characters with codes 0 to 32 are removed. Anything else
// throws EConvertError.
int32_t StrToIntTrim(const std::string& text);
// The finite number the text holds, read the same way with "." as decimal
// separator; anything else throws EConvertError
// "'text' is not a valid floating point value".
double StrToFloatDot(const std::string& text);

// A packed colour: r + g * 256 + b * 65536, r in the low byte. The components
// are not masked.
uint32_t PackRGB(int r, int g, int b);

// The colour at fraction t between two colours: each component is first limited
// to 0..255, then every channel is the ceiling of c1 + (c2 - c1) * t. t itself is
// not limited: 0 gives the first colour, 1 the second.
uint32_t BlendRGB(int r1, int g1, int b1, int r2, int g2, int b2, float t);

// Maps the pitch (x from -52.5 to 52.5, y from -34 to 34) onto a rectangle of
// view pixels: the left, top, right and bottom edges of the pitch fall on the
// four bounds. The aspect ratio is not kept; reversed bounds mirror the pitch.
class ViewRect {
public:
    explicit ViewRect(double left = 0, double top = 0, double right = 0, double bottom = 0);
    void Set(double left, double top, double right, double bottom);

    double FieldToViewX(double x) const;
    double FieldToViewY(double y) const;
    // A rectangle without width (height) has no inverse: these give 0 then.
    double ViewToFieldX(double v) const;
    double ViewToFieldY(double v) const;

    double left;
    double top;
    double right;
    double bottom;
};
