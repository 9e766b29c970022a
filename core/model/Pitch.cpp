#include "core/model/Pitch.h"

std::string ObjectName(int object)
{
    if (object == pitch::kBall)
        return "Ball";
    switch (pitch::SideOf(object)) {
    case pitch::Side::Left: return "Lplayer" + std::to_string(pitch::ShirtOf(object));
    case pitch::Side::Right: return "Rplayer" + std::to_string(pitch::ShirtOf(object));
    case pitch::Side::None: break;
    }
    return "";
}

const char* PlayModeName(int mode)
{
    static const char* const kNames[pitch::kPlayModeCount] = {
        "",
        "before_kick_off",
        "time_over",
        "play_on",
        "kick_off_l",
        "kick_off_r",
        "kick_in_l",
        "kick_in_r",
        "free_kick_l",
        "free_kick_r",
        "corner_kick_l",
        "corner_kick_r",
        "goal_kick_l",
        "goal_kick_r",
        "goal_l",
        "goal_r",
        "drop_ball",
        "offside_l",
        "offside_r",
        "penalty_kick_l",
        "penalty_kick_r",
        "first_half_over",
        "pause",
        "human_judge",
        "foul_charge_l",
        "foul_charge_r",
        "foul_push_l",
        "foul_push_r",
        "foul_multiple_attack_l",
        "foul_multiple_attack_r",
        "foul_ballout_l",
        "foul_ballout_r",
        "back_pass_l",
        "back_pass_r",
        "free_kick_fault_l",
        "free_kick_fault_r",
    };
    return mode >= 0 && mode < pitch::kPlayModeCount ? kNames[mode] : "";
}
