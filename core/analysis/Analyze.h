// The derived pass that completes a log once it has been read (or merged): the
// moving and keepaway flags, the channel references of the log record, ball goal
// distances, nearest opponents and team-mates, ball possession, the players'
// commands, speed classes and the cycles to the next score change; then the action
// events, their order, and the player roles. RoboCupFileT::ComputeCalculatedFields
// is the entry; the helpers below are shared with the roles and events code and
// with the tests.
#pragma once

#include <cstdint>

class RoboCupFileT;

// Pitch and server constants the derived pass works with.
inline constexpr double kLeftGoalX = -52.5;
inline constexpr double kRightGoalX = 52.5;
// The soccer server's default player type and ball: what a log that lacks its
// player-type or server-parameter records is taken to have played with.
inline constexpr double kDefaultPlayerSize = 0.3;
inline constexpr double kDefaultKickableMargin = 0.7;
inline constexpr double kDefaultBallSize = 0.085;
// Nearest-player search: nobody nearer than this is "no one" (index -1).
inline constexpr double kNearestSearchRadius = 100.0;
// Speed classes: below 0.03 standing, below 0.1 slow, below 0.3 medium, else fast.
inline constexpr double kSpeedClassLimits[3] = {0.03, 0.1, 0.3};

// The distance within which a player of the given type controls the ball:
// kickable margin + player size of that type + the ball size. A type index the
// log has no record for falls back to the server's default player type.
double PossessionReach(const RoboCupFileT& file, int playerType);
// The ball size from the log's server parameters, or the default ball size when
// the log had none.
double BallSize(const RoboCupFileT& file);
// The speed class (0 to 3) of a speed.
std::int8_t SpeedClass(double speed);

// Action events, called by the derived pass once possession and the commands are
// known and the channel references are stored: the backward walk over possession,
// passes and set pieces, then the per-player phase. It empties the event lists
// first, so a second run gives the same events, not a second set.
void RecognizeActionEvents(RoboCupFileT& file);
// Orders every player's events by first cycle; equal starts keep their order of
// recording.
void SortActionEvents(RoboCupFileT& file);
