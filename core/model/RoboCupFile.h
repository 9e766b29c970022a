// One open match log: its time stream with the fixed channel schema, the facts read
// from the log's header records, per-object flags and direct references to the most
// used channels, the raw parameter records, the recognised action events per object
// and the log's features.
#pragma once

#include "core/model/RcgRecords.h"
#include "core/model/Pitch.h"
#include "core/model/timestream.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ConceptObject;
class FeatureList;

// Objects of a log (RoboCupFileT::kObjectCount of them): 0 the ball, 1..11 the left
// players 1..11, 12..22 the right players 1..11.
// ObjectName (core/model/Pitch.h) names them.

// Leaf indices of a freshly created record. Expression channels added later move the
// player leaves, so these hold only while a new record is being read.
struct SchemaLeafIndices {
    int time = 0;
    int playMode = 1;
    int scoreDiff = 2;
    int leftScore = 3;
    int rightScore = 4;
    int time2goal = 5;
    int ballX = 6;
    int ballY = 7;
    int ballDx = 8;
    int ballDy = 9;
    int leftPossession = 10;
    int rightPossession = 11;
    int leftGoalDistance = 12;
    int rightGoalDistance = 13;
    int ballKickEvent = 14;
    int firstPlayerLeaf = 15;
};
inline constexpr SchemaLeafIndices kSchemaLeaf{};

// Position k of a leaf within its player channel.
namespace playerleaf {
inline constexpr int kSide = 0, kUnum = 1, kType = 2, kMode = 3, kPosX = 4, kPosY = 5, kVelDx = 6, kVelDy = 7,
                     kBodyAngle = 8, kHeadAngle = 9, kViewWidth = 10, kViewQuality = 11, kStamina = 12,
                     kEffort = 13, kRecovery = 14;
inline constexpr int kKickCount = 15, kDashCount = 16, kTurnCount = 17, kSayCount = 18, kTneckCount = 19,
                     kCatchCount = 20, kMoveCount = 21, kChngViewCount = 22;
inline constexpr int kKick = 23, kDash = 24, kTurn = 25, kSay = 26, kTneck = 27, kCatch = 28, kMove = 29,
                     kChngView = 30;
inline constexpr int kNearestOpponent = 31, kDistOpponent = 32, kNearestTeammate = 33, kDistTeammate = 34,
                     kPossessor = 35, kPrevPossessor = 36, kRealPossessor = 37, kSpeed = 38, kEvent = 39,
                     kRole = 40, kKickEvent = 41;
inline constexpr int kCount = 42;
}  // namespace playerleaf

inline constexpr int kSchemaTopLevelChannels = 26;
inline constexpr int kSchemaLeaves = 939;
inline constexpr int kSchemaChannels = 1144;

// Leaf index of leaf k of player p (0 "Lplayer1" .. 21 "Rplayer11", object p + 1)
// in a freshly created record.
constexpr int PlayerLeafIndex(int player, int k)
{
    return kSchemaLeaf.firstPlayerLeaf + playerleaf::kCount * player + k;
}

// One recognised action of a player.
struct ActionEvent {
    ConceptObject* action = nullptr;  // the action concept; not owned
    int player = 0;                   // object index of the acting player
    int start = 0;                    // first cycle
    int end = 0;                      // last cycle
    int other = 0;                    // the other object involved (0 the ball; the player itself when none)
    int otherEnd = 0;                 // last cycle of the other object's part
    int extra = -1;                   // the player at the other end of a pass or interception, or -1
};

class RoboCupFileT {
public:
    static constexpr int kObjectCount = pitch::kObjectCount;
    using ShortChannel = DataTimeChannel<std::int16_t>;
    using CharChannel = DataTimeChannel<std::int8_t>;
    using LongChannel = DataTimeChannel<std::int32_t>;
    using DoubleChannel = DataTimeChannel<double>;
    template <typename C>
    using PerObject = std::array<C*, kObjectCount>;

    // An empty record for the file: an empty stream "RoboCup" (CreateFileRecord builds
    // the schema into it), 23 empty event lists and an empty feature list.
    explicit RoboCupFileT(std::string fileName);
    // Frees the events, then the features, then the stream.
    ~RoboCupFileT();
    RoboCupFileT(const RoboCupFileT&) = delete;
    RoboCupFileT& operator=(const RoboCupFileT&) = delete;

    // Sets the channel references below by full name; references to channels an
    // object lacks (the ball has no player leaves) are null. Name lookups are slow:
    // done once, never per cycle.
    void ResolveChannelReferences();

    // The derived pass and the event queries; their bodies live with the analysis.
    int ComputeCalculatedFields();
    void AddEvent(int object, int start, int length, ConceptObject* action, int other = -1, int otherLength = -1,
                  int extra = -1);
    int PlayersWithBallAt(int t, std::vector<int>& list);
    int FindLastKickWithBall(int t, int& count, std::vector<int>& list);
    int FindLastWithBall(int t, int& count, std::vector<int>& list);

    std::unique_ptr<TimeStream> stream;
    int cycles = 0;  // cycles read: the number of values of every leaf
    std::string fileName;
    std::string leftTeam;
    std::string rightTeam;
    int leftScore = -1;  // -1 until a team record is read
    int rightScore = -1;
    int timeRange = 100;  // the main window's time-range half-width for this log
    int currentCycle = 0;
    std::array<bool, kObjectCount> moving{};  // set by the derived pass
    bool isKeepaway = true;                   // decided by the derived pass

    ShortChannel* playModeChannel = nullptr;
    PerObject<DoubleChannel> posXChannel{};
    PerObject<DoubleChannel> posYChannel{};
    PerObject<CharChannel> possessorChannel{};  // calculated.possessor
    CharChannel* leftPossessionChannel = nullptr;   // Ball.possessor.l_team
    CharChannel* rightPossessionChannel = nullptr;  // Ball.possessor.r_team
    PerObject<CharChannel> kickChannel{};           // actions.kick
    PerObject<LongChannel> eventChannel{};          // calculated.event
    PerObject<LongChannel> roleChannel{};           // calculated.role
    PerObject<CharChannel> kickEventChannel{};      // calculated.kick_event
    PerObject<ShortChannel> nearestOpponentChannel{};  // calculated.nearest_opponent
    ShortChannel* time2goalChannel = nullptr;
    ShortChannel* leftScoreChannel = nullptr;
    ShortChannel* rightScoreChannel = nullptr;
    ShortChannel* timeChannel = nullptr;

    // The raw records as read (network byte order); zero until read.
    rcss::server_params_t serverParams{};
    rcss::player_params_t playerParams{};
    bool serverParamsRead = false;
    bool playerParamsRead = false;
    std::vector<rcss::player_type_t> playerTypes;  // in the order of the file

    std::array<std::vector<std::unique_ptr<ActionEvent>>, kObjectCount> events;  // by object index
    std::unique_ptr<FeatureList> features;
};

// Creates the record of a log about to be read, with the complete channel schema:
// 26 top-level channels and 939 leaves, always in the same order, every leaf empty,
// the row header built and the channel references resolved.
std::unique_ptr<RoboCupFileT> CreateFileRecord(const std::string& fileName);
