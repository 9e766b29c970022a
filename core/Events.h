// Recognition of action events: the backward walk over possession, kicks and set
// pieces that turns a derived log into dribbles, passes, interceptions and shots.
#pragma once

class RoboCupFileT;

// Codes of the per-object kick_event channels.
enum KickEventCode : signed char {
    kKickEventNone = 0,
    kKickEventPass = 8,           // kick of a pass between team-mates (receiver and ball)
    kKickEventInterception = 10,  // kick intercepted by a field player (interceptor and ball)
    kKickEventKeeper = 11,        // kick intercepted by a goalkeeper, or any interception in keepaway
    kKickEventDribble = 13,       // kick during a dribble or keepaway hold (dribbler and ball)
};

// Runs the event walk over a log whose possession and kick actions are derived and
// whose channel references are stored; then the per-player progress phase. Event
// lists are emptied first, so running it again gives the same events, not duplicates.
void RecognizeActionEvents(RoboCupFileT& file);

// Sorts the event list of every player by first cycle; events with equal starts keep
// their order of recording.
void SortActionEvents(RoboCupFileT& file);
