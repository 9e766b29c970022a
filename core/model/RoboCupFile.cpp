#include "core/model/RoboCupFile.h"

#include "core/model/FeatureList.h"

#include <iterator>
#include <span>
#include <string_view>

namespace {

using ShortChannel = DataTimeChannel<std::int16_t>;
using CharChannel = DataTimeChannel<std::int8_t>;
using LongChannel = DataTimeChannel<std::int32_t>;
using DoubleChannel = DataTimeChannel<double>;

// A leaf of the schema: its path below the top-level channel and its type word.
struct LeafSpec {
    std::string_view path;
    std::string_view type;
};

constexpr LeafSpec kScoreLeaves[] = {
    {"diff", "short"}, {"l_team", "short"}, {"r_team", "short"}, {"time2goal", "short"}};

constexpr LeafSpec kBallLeaves[] = {
    {"pos.x", "double"},
    {"pos.y", "double"},
    {"vel.dx", "double"},
    {"vel.dy", "double"},
    {"possessor.l_team", "char"},
    {"possessor.r_team", "char"},
    {"goal_distance.l_team", "double"},
    {"goal_distance.r_team", "double"},
    {"calculated.kick_event", "char"},
};

constexpr LeafSpec kPlayerLeaves[] = {
    {"side", "char"},
    {"unum", "short"},
    {"type", "short"},
    {"mode", "short"},
    {"pos.x", "double"},
    {"pos.y", "double"},
    {"vel.dx", "double"},
    {"vel.dy", "double"},
    {"angles.body_angle", "double"},
    {"angles.head_angle", "double"},
    {"view.view_width", "double"},
    {"view.view_quality", "short"},
    {"stamina.stamina", "double"},
    {"stamina.effort", "double"},
    {"stamina.recovery", "double"},
    {"counts.kick_count", "short"},
    {"counts.dash_count", "short"},
    {"counts.turn_count", "short"},
    {"counts.say_count", "short"},
    {"counts.tneck_count", "short"},
    {"counts.catch_count", "short"},
    {"counts.move_count", "short"},
    {"counts.chng_view_count", "short"},
    {"actions.kick", "char"},
    {"actions.dash", "char"},
    {"actions.turn", "char"},
    {"actions.say", "char"},
    {"actions.tneck", "char"},
    {"actions.catch", "char"},
    {"actions.move", "char"},
    {"actions.chng_view", "char"},
    {"calculated.nearest_opponent", "short"},
    {"calculated.dist_opponent", "double"},
    {"calculated.nearest_teammate", "short"},
    {"calculated.dist_teammate", "double"},
    {"calculated.possessor", "char"},
    {"calculated.prev_possessor", "char"},
    {"calculated.real_possessor", "char"},
    {"calculated.speed", "char"},
    {"calculated.event", "long"},
    {"calculated.role", "long"},
    {"calculated.kick_event", "char"},
};
static_assert(std::size(kPlayerLeaves) == playerleaf::kCount);
static_assert(static_cast<std::size_t>(kSchemaLeaves) == 2 + std::size(kScoreLeaves) + std::size(kBallLeaves) + 22 * std::size(kPlayerLeaves));

TimeChannel* NewLeaf(std::string name, std::string_view type)
{
    if (type == "char")
        return new CharChannel(std::move(name));
    if (type == "short")
        return new ShortChannel(std::move(name));
    if (type == "long")
        return new LongChannel(std::move(name));
    return new DoubleChannel(std::move(name));
}

// A complete top-level subtree: leaves with a one-part path hang directly below it,
// the others below the group named by the path's first part, groups in order of
// first appearance.
std::unique_ptr<CompositeTimeChannel> BuildSubtree(std::string name, std::span<const LeafSpec> leaves)
{
    auto top = std::make_unique<CompositeTimeChannel>(std::move(name));
    CompositeTimeChannel* group = nullptr;
    for (const LeafSpec& leaf : leaves) {
        const auto dot = leaf.path.find('.');
        if (dot == std::string_view::npos) {
            top->AddChild(NewLeaf(std::string(leaf.path), leaf.type));
            group = nullptr;
            continue;
        }
        const std::string_view groupName = leaf.path.substr(0, dot);
        if (group == nullptr || group->GetName() != groupName) {
            group = new CompositeTimeChannel(std::string(groupName));
            top->AddChild(group);
        }
        group->AddChild(NewLeaf(std::string(leaf.path.substr(dot + 1)), leaf.type));
    }
    return top;
}

}  // namespace

RoboCupFileT::RoboCupFileT(std::string fileName)
    : stream(std::make_unique<TimeStream>("RoboCup")), fileName(std::move(fileName)),
      features(std::make_unique<FeatureList>())
{
}

RoboCupFileT::~RoboCupFileT()
{
    // Events may refer to the stream's log, the features to both: free in that order.
    for (auto& list : events)
        list.clear();
    features.reset();
    stream.reset();
}

void RoboCupFileT::ResolveChannelReferences()
{
    const TimeStream& s = *stream;
    playModeChannel = FindLeaf<std::int16_t>(s, "play_mode");
    leftPossessionChannel = FindLeaf<std::int8_t>(s, "Ball.possessor.l_team");
    rightPossessionChannel = FindLeaf<std::int8_t>(s, "Ball.possessor.r_team");
    time2goalChannel = FindLeaf<std::int16_t>(s, "score.time2goal");
    leftScoreChannel = FindLeaf<std::int16_t>(s, "score.l_team");
    rightScoreChannel = FindLeaf<std::int16_t>(s, "score.r_team");
    timeChannel = FindLeaf<std::int16_t>(s, "time");
    for (int i = 0; i < kObjectCount; ++i) {
        const std::string object = ObjectName(i);
        // Where a fresh record holds a player's leaf (the ball has none of these
        // but its position).
        auto at = [i](int k) { return i > 0 ? PlayerLeafIndex(i - 1, k) : -1; };
        namespace k = playerleaf;
        posXChannel[i] = FindLeaf<double>(s, object + ".pos.x", i > 0 ? at(k::kPosX) : kSchemaLeaf.ballX);
        posYChannel[i] = FindLeaf<double>(s, object + ".pos.y", i > 0 ? at(k::kPosY) : kSchemaLeaf.ballY);
        possessorChannel[i] = FindLeaf<std::int8_t>(s, object + ".calculated.possessor", at(k::kPossessor));
        kickChannel[i] = FindLeaf<std::int8_t>(s, object + ".actions.kick", at(k::kKick));
        eventChannel[i] = FindLeaf<std::int32_t>(s, object + ".calculated.event", at(k::kEvent));
        roleChannel[i] = FindLeaf<std::int32_t>(s, object + ".calculated.role", at(k::kRole));
        kickEventChannel[i] = FindLeaf<std::int8_t>(s, object + ".calculated.kick_event", at(k::kKickEvent));
        nearestOpponentChannel[i] =
            FindLeaf<std::int16_t>(s, object + ".calculated.nearest_opponent", at(k::kNearestOpponent));
    }
}

std::unique_ptr<RoboCupFileT> CreateFileRecord(const std::string& fileName)
{
    auto file = std::make_unique<RoboCupFileT>(fileName);
    TimeStream& s = *file->stream;
    s.AddChannel(new ShortChannel("time"));
    s.AddChannel(new ShortChannel("play_mode"));
    s.AddChannel(BuildSubtree("score", kScoreLeaves).release());
    s.AddChannel(BuildSubtree("Ball", kBallLeaves).release());
    for (int object = 1; object < RoboCupFileT::kObjectCount; ++object)
        s.AddChannel(BuildSubtree(ObjectName(object), kPlayerLeaves).release());
    s.BuildRowHeader();
    file->ResolveChannelReferences();
    return file;
}
