#include "RcgWriter.h"

#include "TestData.h"

#include <cmath>
#include <fstream>
#include <stdexcept>

// The byte offsets below are written out from the file format on purpose rather
// than taken from the reader's header, so that a wrong offset in the program
// cannot be hidden by the same wrong offset here.

ShowState::ShowState()
{
    for (int n = 1; n <= 11; ++n) {
        Left(n).x = -4.0 * n;
        Left(n).y = 3.0 * n - 18.0;
        Right(n).x = 4.0 * n;
        Right(n).y = 18.0 - 3.0 * n;
    }
}

RcgWriter::RcgWriter(int version) { Header(version); }

RcgWriter& RcgWriter::Header(int version)
{
    bytes_ += "ULG";
    bytes_ += static_cast<char>(static_cast<signed char>(version));
    return *this;
}

std::string RcgWriter::BE16(int v)
{
    const auto u = static_cast<uint16_t>(v);
    return {static_cast<char>(u >> 8), static_cast<char>(u & 0xFF)};
}

std::string RcgWriter::BE32(int32_t v)
{
    const auto u = static_cast<uint32_t>(v);
    return {static_cast<char>(u >> 24), static_cast<char>((u >> 16) & 0xFF), static_cast<char>((u >> 8) & 0xFF),
            static_cast<char>(u & 0xFF)};
}

int32_t RcgWriter::FixedRaw(double v)
{
    const double scaled = std::nearbyint(v * 65536.0);
    if (!(scaled >= -2147483648.0 && scaled <= 2147483647.0))
        throw std::out_of_range("fixed-point value out of range");
    return static_cast<int32_t>(scaled);
}

std::string RcgWriter::Fixed(double v) { return BE32(FixedRaw(v)); }

namespace {

void Put(std::string& body, std::size_t offset, const std::string& field)
{
    body.replace(offset, field.size(), field);
}

}  // namespace

RcgWriter& RcgWriter::Record(int16_t mode, const std::string& body)
{
    bytes_ += BE16(mode);
    bytes_ += body;
    return *this;
}

RcgWriter& RcgWriter::Tag(int16_t mode) { return Record(mode, ""); }

RcgWriter& RcgWriter::Raw(const std::string& bytes)
{
    bytes_ += bytes;
    return *this;
}

RcgWriter& RcgWriter::Truncate(std::size_t n)
{
    bytes_.resize(n > bytes_.size() ? 0 : bytes_.size() - n);
    return *this;
}

RcgWriter& RcgWriter::Teams(const std::string& left, int leftScore, const std::string& right, int rightScore)
{
    std::string body;
    for (const auto& [name, score] : {std::pair{left, leftScore}, std::pair{right, rightScore}}) {
        std::string field = name.substr(0, 16);
        field.resize(16, '\0');
        body += field;
        body += BE16(score);
    }
    return Record(6, body);
}

RcgWriter& RcgWriter::ServerParams(double ballSize)
{
    std::string body(396, '\0');
    Put(body, 104, Fixed(ballSize));
    return Record(8, body);
}

RcgWriter& RcgWriter::PlayerParams(unsigned char fill) { return Record(9, std::string(132, static_cast<char>(fill))); }

RcgWriter& RcgWriter::PlayerType(double playerSize, double kickableMargin)
{
    std::string body(88, '\0');
    Put(body, 24, Fixed(playerSize));
    Put(body, 28, Fixed(kickableMargin));
    return Record(7, body);
}

RcgWriter& RcgWriter::PlayMode(int mode) { return Record(5, std::string(1, static_cast<char>(mode))); }

RcgWriter& RcgWriter::Message(int board, const std::string& text)
{
    if (text.size() > 32767)
        throw std::length_error("message too long for a 16-bit length");
    return MessageWithLength(board, static_cast<int16_t>(text.size()), text);
}

RcgWriter& RcgWriter::MessageWithLength(int board, int16_t length, const std::string& bytes)
{
    return Record(2, BE16(board) + BE16(length) + bytes);
}

std::string RcgWriter::ShowBody(const ShowState& s)
{
    std::string body(1428, '\0');
    Put(body, 0, Fixed(s.ball.x));
    Put(body, 4, Fixed(s.ball.y));
    Put(body, 8, Fixed(s.ball.vx));
    Put(body, 12, Fixed(s.ball.vy));
    for (std::size_t i = 0; i < 22; ++i) {
        const PlayerState& p = s.players[i];
        const std::size_t o = 16 + 64 * i;
        Put(body, o + 0, BE16(p.mode));
        Put(body, o + 2, BE16(p.type));
        Put(body, o + 4, Fixed(p.x));
        Put(body, o + 8, Fixed(p.y));
        Put(body, o + 12, Fixed(p.vx));
        Put(body, o + 16, Fixed(p.vy));
        Put(body, o + 20, Fixed(p.body));
        Put(body, o + 24, Fixed(p.head));
        Put(body, o + 28, Fixed(p.viewWidth));
        Put(body, o + 32, BE16(p.viewQuality));
        Put(body, o + 36, Fixed(p.stamina));
        Put(body, o + 40, Fixed(p.effort));
        Put(body, o + 44, Fixed(p.recovery));
        for (std::size_t c = 0; c < 8; ++c)
            Put(body, o + 48 + 2 * c, BE16(p.counts[c]));
    }
    Put(body, 1424, BE16(s.time));
    return body;
}

RcgWriter& RcgWriter::Show(const ShowState& state) { return Record(1, ShowBody(state)); }

RcgWriter& RcgWriter::OldShow(unsigned char fill) { return Record(1, std::string(316, static_cast<char>(fill))); }

std::string RcgWriter::Save(const std::string& tag) const { return SaveTempFile(tag, bytes_); }

std::string SaveTempFile(const std::string& tag, const std::string& bytes)
{
    const std::string path = MakeTempDir(tag) + "/" + tag + ".rcg";
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return path;
}
