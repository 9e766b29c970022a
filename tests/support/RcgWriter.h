// Test-side writer of binary match logs (.rcg), byte for byte as the soccer
// server writes version 3: tests describe a short scenario and get a file that
// the program reads like a real log. It also writes what no server writes on
// purpose (cut records, unknown modes, negative lengths) through the raw calls.
//
//   RcgWriter w;                       // starts with the header "ULG" + 3
//   w.Teams("Alpha", 0, "Beta", 0).ServerParams().PlayerType(0.3, 0.7);
//   ShowState s;                       // ball at the centre, 22 players standing apart
//   for (int t = 1; t <= 50; ++t) {
//       s.time = t;
//       s.ball.x += 0.5;
//       s.Left(9).x = s.ball.x;         // left player 9 follows the ball
//       w.Show(s);
//   }
//   w.PlayMode(PM_GoalLeft);
//   std::string path = w.Save("goal");  // a fresh temporary file
//
// Every call appends one record (mode tag + body) in the order called. Numbers
// are written big-endian; fixed-point values are rounded to the nearest 1/65536.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// Play-mode numbers of the soccer server used by tests.
enum RcgPlayMode : int {
    PM_Null = 0,
    PM_BeforeKickOff = 1,
    PM_TimeOver = 2,
    PM_PlayOn = 3,
    PM_KickOffLeft = 4,
    PM_KickOffRight = 5,
    PM_KickInLeft = 6,
    PM_KickInRight = 7,
    PM_FreeKickLeft = 8,
    PM_FreeKickRight = 9,
    PM_CornerKickLeft = 10,
    PM_CornerKickRight = 11,
    PM_GoalKickLeft = 12,
    PM_GoalKickRight = 13,
    PM_GoalLeft = 14,
    PM_GoalRight = 15,
};

// The ball of a show record.
struct BallState {
    double x = 0.0, y = 0.0;
    double vx = 0.0, vy = 0.0;
};

// One player entry of a show record.
struct PlayerState {
    int16_t mode = 1;  // the server's "stand" flag; the field holds flag bits
    int16_t type = 0;  // index into the log's player types
    double x = 0.0, y = 0.0;
    double vx = 0.0, vy = 0.0;
    double body = 0.0, head = 0.0;
    double viewWidth = 90.0;
    int16_t viewQuality = 1;
    double stamina = 8000.0, effort = 1.0, recovery = 1.0;
    // Command counters in record order; see the Count* names below.
    std::array<uint16_t, 8> counts{};
};

enum RcgCount : int {
    CountKick = 0,
    CountDash,
    CountTurn,
    CountSay,
    CountTurnNeck,
    CountCatch,
    CountMove,
    CountChangeView,
};

// One cycle: ball, 22 players (entries 0..10 the left team's players 1..11,
// 11..21 the right team's players 1..11) and the server time.
struct ShowState {
    // Ball at the centre; left player n at (-4n, 3n - 18), right player n at
    // (4n, 18 - 3n): every player apart from every other and from the ball.
    ShowState();

    PlayerState& Left(int unum) { return players.at(static_cast<std::size_t>(unum - 1)); }
    PlayerState& Right(int unum) { return players.at(static_cast<std::size_t>(unum + 10)); }
    // By the program's object index: 1..11 left, 12..22 right (0, the ball, is not a player).
    PlayerState& Object(int index) { return players.at(static_cast<std::size_t>(index - 1)); }

    BallState ball;
    std::array<PlayerState, 22> players;
    uint16_t time = 1;
};

class RcgWriter {
public:
    // Starts with the header "ULG" and the version byte; RcgWriter{NoHeader{}} starts
    // empty (then Header() or raw bytes may follow).
    explicit RcgWriter(int version = 3);
    struct NoHeader {};
    explicit RcgWriter(NoHeader) {}

    // "ULG" + the version as a signed byte.
    RcgWriter& Header(int version);

    // Mode 6: two team records. A name is written as its first 16 bytes and padded
    // with zero bytes; put '\0' inside the string to leave bytes after the end.
    RcgWriter& Teams(const std::string& left, int leftScore, const std::string& right, int rightScore);
    // Mode 8: server parameters, zero but for the ball size at offset 104.
    RcgWriter& ServerParams(double ballSize = 0.085);
    // Mode 9: player parameters, every byte = fill.
    RcgWriter& PlayerParams(unsigned char fill = 0);
    // Mode 7: one player type, zero but for size (offset 24) and kickable margin (28).
    RcgWriter& PlayerType(double playerSize = 0.3, double kickableMargin = 0.7);
    // Mode 5: one play mode byte.
    RcgWriter& PlayMode(int mode);
    // Mode 2: board, the text's length, the text's bytes (may contain '\0').
    RcgWriter& Message(int board, const std::string& text);
    // Mode 2 with a length field that says something else than the bytes that follow.
    RcgWriter& MessageWithLength(int board, int16_t length, const std::string& bytes);
    // Mode 1: a 1428-byte version-3 show record.
    RcgWriter& Show(const ShowState& state);
    // Mode 1 with a 316-byte body as older versions write it (contents not read by the program).
    RcgWriter& OldShow(unsigned char fill = 0);

    // Raw pieces for faulty files.
    RcgWriter& Tag(int16_t mode);                       // a bare 16-bit mode tag
    RcgWriter& Record(int16_t mode, const std::string& body);  // tag + body as given
    RcgWriter& Raw(const std::string& bytes);
    // Drops the last n bytes (a record cut short by the end of the file).
    RcgWriter& Truncate(std::size_t n);

    const std::string& Bytes() const { return bytes_; }
    std::size_t Size() const { return bytes_.size(); }
    // Writes the bytes into a new file in a fresh temporary folder and returns its path.
    std::string Save(const std::string& tag) const;

    // Encoders shared with tests that build bodies by hand.
    static std::string BE16(int v);
    static std::string BE32(int32_t v);
    static std::string Fixed(double v);          // value * 65536, rounded, big-endian
    static int32_t FixedRaw(double v);           // value * 65536, rounded
    static std::string ShowBody(const ShowState& state);  // the 1428 bytes of Show()

private:
    std::string bytes_;
};

// Writes bytes into a new file in a fresh temporary folder and returns its path.
std::string SaveTempFile(const std::string& tag, const std::string& bytes);
