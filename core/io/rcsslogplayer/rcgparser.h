// Reader of the soccer server's binary match logs (.rcg). It turns the file into
// a sequence of records and hands each one, raw and still in network byte order,
// to a receiver; the receiver decodes what it needs. One record per parse call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ios>
#include <string>

namespace rcss {

// Record bodies exactly as they stand in the file. Multi-byte fields are big-endian;
// fixed-point fields are signed 32-bit integers scaled by 65536.
template <std::size_t N>
struct RawRecord {
    static constexpr std::size_t size = N;
    unsigned char bytes[N];
};

struct dispinfo_t : RawRecord<2052> {};        // version-1 display record (not interpreted)
struct showinfo_t : RawRecord<316> {};         // show record of versions other than 3 (not interpreted)
struct short_showinfo_t2 : RawRecord<1428> {}; // version-3 show record: ball, 22 players, time
struct team_t : RawRecord<18> {};              // 16-byte name (zero padded), 16-bit score
struct player_type_t : RawRecord<88> {};
struct server_params_t : RawRecord<396> {};
struct player_params_t : RawRecord<132> {};

static_assert(sizeof(dispinfo_t) == 2052 && sizeof(short_showinfo_t2) == 1428 && sizeof(team_t) == 18 &&
              sizeof(player_type_t) == 88 && sizeof(server_params_t) == 396 && sizeof(player_params_t) == 132);

// Layout of the version-3 show record and of its 64-byte player entries.
namespace show {
inline constexpr std::size_t kBallX = 0, kBallY = 4, kBallVx = 8, kBallVy = 12;
inline constexpr std::size_t kPlayers = 16, kPlayerSize = 64, kPlayerCount = 22;
inline constexpr std::size_t kTime = 1424;
}  // namespace show
namespace player {
inline constexpr std::size_t kMode = 0, kType = 2, kX = 4, kY = 8, kVx = 12, kVy = 16, kBody = 20, kHead = 24,
                             kViewWidth = 28, kViewQuality = 32, kStamina = 36, kEffort = 40, kRecovery = 44,
                             kCounts = 48, kCountCount = 8;  // kick, dash, turn, say, turn-neck, catch, move, change-view
}  // namespace player
namespace team {
inline constexpr std::size_t kName = 0, kNameSize = 16, kScore = 16;
}
// The only parameter fields the analysis interprets.
inline constexpr std::size_t kPlayerTypeSize = 24, kPlayerTypeKickableMargin = 28;
inline constexpr std::size_t kServerParamsBallSize = 104;

// Thrown (as a std::string) for a record whose mode tag is not known.
inline const char* const kUnknownModeText = "Unknown mode\n";
// Thrown (as a std::string) for a message record whose length is negative.
inline const char* const kNegativeLengthText = "negative message length\n";

// The receiver of the records. Every handler has a public forwarder; the position
// is the stream position at which the record began (before its mode tag).
class RCGDataHandler {
public:
    virtual ~RCGDataHandler() = default;

    void handleLogVersion(int version) { doHandleLogVersion(version); }
    int getLogVersion() const { return doGetLogVersion(); }
    void handleDispInfo(std::streampos pos, const dispinfo_t& disp) { doHandleDispInfo(pos, disp); }
    void handleShowInfo(std::streampos pos, const showinfo_t& show) { doHandleShowInfo(pos, show); }
    void handleShortShowInfo2(std::streampos pos, const short_showinfo_t2& show) { doHandleShortShowInfo2(pos, show); }
    void handleMsgInfo(std::streampos pos, short board, const std::string& msg) { doHandleMsgInfo(pos, board, msg); }
    void handlePlayMode(std::streampos pos, char playMode) { doHandlePlayMode(pos, playMode); }
    void handleTeamInfo(std::streampos pos, const team_t& left, const team_t& right) { doHandleTeamInfo(pos, left, right); }
    void handleServerParams(std::streampos pos, const server_params_t& params) { doHandleServerParams(pos, params); }
    void handlePlayerParams(std::streampos pos, const player_params_t& params) { doHandlePlayerParams(pos, params); }
    void handlePlayerType(std::streampos pos, const player_type_t& type) { doHandlePlayerType(pos, type); }
    void handleEOF() { doHandleEOF(); }

protected:
    virtual void doHandleLogVersion(int version) = 0;
    virtual int doGetLogVersion() const = 0;
    virtual void doHandleDispInfo(std::streampos, const dispinfo_t&) {}
    virtual void doHandleShowInfo(std::streampos, const showinfo_t&) {}
    virtual void doHandleShortShowInfo2(std::streampos, const short_showinfo_t2&) {}
    virtual void doHandleMsgInfo(std::streampos, short, const std::string&) {}
    virtual void doHandlePlayMode(std::streampos, char) {}
    virtual void doHandleTeamInfo(std::streampos, const team_t&, const team_t&) {}
    virtual void doHandleServerParams(std::streampos, const server_params_t&) {}
    virtual void doHandlePlayerParams(std::streampos, const player_params_t&) {}
    virtual void doHandlePlayerType(std::streampos, const player_type_t&) {}
    virtual void doHandleEOF() {}
};

class Parser {
public:
    virtual ~Parser() = default;
    // Reads one record; false when the input is exhausted or unreadable.
    bool parse(std::istream& strm) { return doParse(strm); }

protected:
    virtual bool doParse(std::istream& strm) = 0;
};

class RCGParser : public Parser {
public:
    explicit RCGParser(RCGDataHandler& handler) : m_handler(handler) {}

    // Where the record of the latest parse call began (after the header when that
    // call read it); -1 when the stream could not tell. After parse returned false,
    // a value short of the end of the input means the input ends inside a record.
    std::streampos recordStart() const { return m_recordStart; }

protected:
    bool doParse(std::istream& strm) override;

private:
    // Called after a read delivered fewer bytes than asked: drops the record and
    // tells the handler when the file has ended.
    bool endOfInput(std::istream& strm);
    bool parseTagged(std::istream& strm, std::streampos pos);

    RCGDataHandler& m_handler;
    std::streampos m_recordStart = -1;
};

}  // namespace rcss
