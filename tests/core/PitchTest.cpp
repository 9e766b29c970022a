// The pitch facts every part of the program shares.
#include "core/model/Pitch.h"

#include <gtest/gtest.h>

#include <string>

TEST(Pitch, ObjectsHaveTheirNameSideAndShirt)
{
    struct Row {
        int object;
        const char* name;
        pitch::Side side;
        int shirt;
    };
    const Row rows[] = {
        {-1, "", pitch::Side::None, 0},          {0, "Ball", pitch::Side::None, 0},
        {1, "Lplayer1", pitch::Side::Left, 1},   {11, "Lplayer11", pitch::Side::Left, 11},
        {12, "Rplayer1", pitch::Side::Right, 1}, {22, "Rplayer11", pitch::Side::Right, 11},
        {23, "", pitch::Side::None, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.object);
        EXPECT_EQ(ObjectName(r.object), r.name);
        EXPECT_EQ(pitch::SideOf(r.object), r.side);
        EXPECT_EQ(pitch::ShirtOf(r.object), r.shirt);
    }
}

TEST(Pitch, PlayModesAreNamedAsTheLogNumbersThem)
{
    const std::pair<int, const char*> rows[] = {
        {-1, ""},         {0, ""},       {1, "before_kick_off"}, {pitch::kPlayOn, "play_on"},
        {pitch::kKickOffRight, "kick_off_r"}, {pitch::kGoalLeft, "goal_l"}, {pitch::kGoalRight, "goal_r"},
        {16, "drop_ball"}, {pitch::kOffsideRight, "offside_r"}, {21, "first_half_over"},
        {35, "free_kick_fault_r"}, {36, ""},
    };
    for (const auto& [mode, name] : rows)
        EXPECT_STREQ(PlayModeName(mode), name) << mode;
}
