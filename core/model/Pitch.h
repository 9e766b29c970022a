// What the whole program knows about the pitch and who is on it: the 23
// objects of a log and their names and sides, the pitch size, and the play
// modes of the log by number and name.
#pragma once

#include <string>

namespace pitch {

// Objects: 0 the ball, 1..11 the left players 1..11, 12..22 the right players 1..11.
inline constexpr int kObjectCount = 23;
inline constexpr int kBall = 0;
inline constexpr int kPlayersPerSide = 11;
inline constexpr int kFirstPlayer = 1;
inline constexpr int kLastLeftPlayer = 11;
inline constexpr int kFirstRightPlayer = 12;
inline constexpr int kLastPlayer = 22;
inline constexpr int kLeftGoalie = 1;
inline constexpr int kRightGoalie = 12;

enum class Side { None, Left, Right };

// The side an object plays on; the ball and indices outside 0..22 have none.
constexpr Side SideOf(int object)
{
    if (object >= kFirstPlayer && object <= kLastLeftPlayer)
        return Side::Left;
    if (object >= kFirstRightPlayer && object <= kLastPlayer)
        return Side::Right;
    return Side::None;
}

// A player's shirt number 1..11; 0 for the ball and indices outside 0..22.
constexpr int ShirtOf(int object)
{
    if (SideOf(object) == Side::Left)
        return object;
    if (SideOf(object) == Side::Right)
        return object - kPlayersPerSide;
    return 0;
}

// The pitch in metres: x from -52.5 (left goal line) to 52.5, y from -34 to 34.
inline constexpr double kLength = 105.0;
inline constexpr double kWidth = 68.0;
inline constexpr double kHalfLength = 52.5;
inline constexpr double kHalfWidth = 34.0;
inline constexpr double kGoalHalfWidth = 7.32;

// Play modes as the log numbers them (1..35; 0 none).
inline constexpr int kPlayModeCount = 36;
inline constexpr int kBeforeKickOff = 1, kPlayOn = 3, kKickOffLeft = 4, kKickOffRight = 5, kKickInLeft = 6,
                     kKickInRight = 7, kFreeKickLeft = 8, kFreeKickRight = 9, kCornerKickLeft = 10,
                     kCornerKickRight = 11, kGoalKickLeft = 12, kGoalKickRight = 13, kGoalLeft = 14,
                     kGoalRight = 15, kOffsideLeft = 17, kOffsideRight = 18;

}  // namespace pitch

// "Ball", "Lplayer1" .. "Lplayer11", "Rplayer1" .. "Rplayer11"; "" outside 0..22.
std::string ObjectName(int object);
// "before_kick_off", "time_over", "play_on", ... for 1..35; "" for 0 and any
// other number.
const char* PlayModeName(int mode);
