// The records of the soccer server's binary match logs (.rcg) as they stand in
// the file: the log record keeps some of them raw, and the reader
// (core/io/rcsslogplayer/rcgparser.h) hands each one to its receiver.
#pragma once

#include <cstddef>

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

}  // namespace rcss
