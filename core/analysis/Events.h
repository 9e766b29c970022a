// Recognition of action events: the backward walk over possession, kicks and set
// pieces that turns a derived log into dribbles, passes, interceptions and shots.
#pragma once

// RecognizeActionEvents and SortActionEvents, the entries the derived pass calls.
#include "core/analysis/Analyze.h"

// Codes of the per-object kick_event channels.
enum KickEventCode : signed char {
    kKickEventNone = 0,
    kKickEventPass = 8,           // kick of a pass between team-mates (receiver and ball)
    kKickEventInterception = 10,  // kick intercepted by a field player (interceptor and ball)
    kKickEventKeeper = 11,        // kick intercepted by a goalkeeper, or any interception in keepaway
    kKickEventDribble = 13,       // kick during a dribble or keepaway hold (dribbler and ball)
};
