// Action events. The walk runs backwards from the last cycle: every stretch of
// possession is traced back to the kick that started it, and the pair (possessor,
// kicker) tells a dribble, a pass or an interception; a set piece or a goal is laid
// at the door of the last kickers before it.
#include "core/analysis/Events.h"

#include "core/model/Pitch.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"

#include "platform/Hooks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

using pitch::kFirstPlayer;
using pitch::kLastLeftPlayer;
using pitch::kLastPlayer;
using pitch::kLeftGoalie;
using pitch::kObjectCount;
using pitch::kRightGoalie;

// Play modes that close an attack and are charged to the last kickers.
using pitch::kCornerKickLeft;
using pitch::kCornerKickRight;
using pitch::kGoalKickLeft;
using pitch::kGoalKickRight;
using pitch::kGoalLeft;
using pitch::kGoalRight;
using pitch::kKickInLeft;
using pitch::kKickInRight;

// Thresholds of the dribble and pass kinds, in metres.
constexpr double kLongDribble = 15.0;
constexpr double kShortDribble = 3.0;
constexpr double kSlowDribblePerCycle = 0.5;
constexpr double kReceiverStill = 5.0;
constexpr double kPitchHalfLength = pitch::kHalfLength;
constexpr double kCrossZoneDepth = 20.0;
using pitch::kGoalHalfWidth;
constexpr double kSquareMinDy = 15.0;
constexpr double kSquareMaxDx = 8.0;
constexpr double kShortPass = 20.0;
constexpr double kDiagonalMinDy = 10.0;

bool IsLeft(int object) { return object <= kLastLeftPlayer; }
bool SameSide(int a, int b) { return IsLeft(a) == IsLeft(b); }
bool Contains(const std::vector<int>& list, int value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

// The raw arrays the walk reads and writes, resolved once per walk (or once per
// public query) so that no cycle loop goes through a channel object.
struct EventArrays {
    int cycles = 0;
    const int16_t* playMode = nullptr;
    const double* x[kObjectCount] = {};
    const double* y[kObjectCount] = {};
    int8_t* possessor[kObjectCount] = {};  // players only
    const int8_t* kick[kObjectCount] = {};  // players only
    int8_t* kickEvent[kObjectCount] = {};  // ball and players
    int8_t* leftPossession = nullptr;
    int8_t* rightPossession = nullptr;

    // True when every array the queries need holds at least `cycles` values.
    bool queriesReady = false;
    // True when the walk's writes and position reads are covered as well.
    bool walkReady = false;

    int8_t* SidePossession(int player) const { return IsLeft(player) ? leftPossession : rightPossession; }
};

template <class T>
T* ArrayOf(DataTimeChannel<T>* channel, int cycles)
{
    if (!channel || static_cast<long long>(channel->GetValues().size()) < cycles)
        return nullptr;
    return channel->GetValues().data();
}
// The same for an array only read: its channel keeps its extremes.
template <class T>
const T* ReadArrayOf(const DataTimeChannel<T>* channel, int cycles)
{
    if (!channel || static_cast<long long>(channel->GetValues().size()) < cycles)
        return nullptr;
    return channel->GetValues().data();
}

EventArrays Resolve(RoboCupFileT& file)
{
    EventArrays a;
    a.cycles = std::max(0, file.cycles);
    const int n = a.cycles;
    a.playMode = ReadArrayOf(file.playModeChannel, n);
    bool queries = a.playMode != nullptr;
    bool walk = true;
    for (int o = 0; o < kObjectCount; ++o) {
        a.x[o] = ReadArrayOf(file.posXChannel[o], n);
        a.y[o] = ReadArrayOf(file.posYChannel[o], n);
        a.kickEvent[o] = ArrayOf(file.kickEventChannel[o], n);
        walk = walk && a.x[o] && a.y[o] && a.kickEvent[o];
        if (o >= kFirstPlayer) {
            a.possessor[o] = ArrayOf(file.possessorChannel[o], n);
            a.kick[o] = ReadArrayOf(file.kickChannel[o], n);
            walk = walk && ArrayOf(file.eventChannel[o], n);
            queries = queries && a.possessor[o] && a.kick[o];
        }
    }
    a.leftPossession = ArrayOf(file.leftPossessionChannel, n);
    a.rightPossession = ArrayOf(file.rightPossessionChannel, n);
    a.queriesReady = queries;
    a.walkReady = queries && walk && a.leftPossession && a.rightPossession;
    return a;
}

int PlayersWithBall(const EventArrays& a, int t, std::vector<int>& list)
{
    list.clear();
    if (!a.queriesReady || t < 0 || t >= a.cycles)
        return -1;
    for (int p = kFirstPlayer; p <= kLastPlayer; ++p)
        if (a.possessor[p][t] != 0)
            list.push_back(p);
    return static_cast<int>(list.size());
}

// The latest cycle before t at which some player had the ball (and, with
// needKick, kicked it), or at which a play mode was set (then with no players).
int FindLast(const EventArrays& a, int t, bool needKick, std::vector<int>& list)
{
    list.clear();
    if (!a.queriesReady || t < 1)
        return -1;
    for (int c = std::min(t, a.cycles) - 1; c >= 0; --c) {
        if (a.playMode[c] != 0)
            return c;
        for (int p = kFirstPlayer; p <= kLastPlayer; ++p)
            if (a.possessor[p][c] != 0 && (!needKick || a.kick[p][c] != 0))
                list.push_back(p);
        if (!list.empty())
            return c;
    }
    return -1;
}

double Displacement(const EventArrays& a, int object, int from, int to)
{
    return std::hypot(a.x[object][to] - a.x[object][from], a.y[object][to] - a.y[object][from]);
}

class EventWalk {
public:
    EventWalk(RoboCupFileT& file, const EventArrays& arrays)
        : file_(file), a_(arrays), keepaway_(file.isKeepaway) {}

    void Run()
    {
        int t = a_.cycles - 1;
        while (t >= 0) {
            const int mode = a_.playMode[t];
            if (mode != 0) {
                t = Stop(t, mode);
                continue;
            }
            if (PlayersWithBall(a_, t, possessors_) <= 0) {
                --t;
                continue;
            }
            int k = FindLast(a_, t, true, kickers_);
            // k is shared by all pairs: a dribble that reaches further back moves
            // it for the pairs that follow.
            for (int p : possessors_) {
                for (int q : kickers_) {
                    if (p == q)
                        Dribble(p, t, k);
                    else if (SameSide(p, q))
                        Pass(p, q, t, k);
                    else
                        Interception(p, q, t, k);
                }
            }
            t = k;  // -1 ends the walk; a play-mode cycle is handled next
        }
    }

private:
    void Mark(int8_t* channel, int from, int to, int8_t value)
    {
        std::fill(channel + from, channel + to + 1, value);
    }

    void KickCode(int player, int cycle, int8_t code)
    {
        a_.kickEvent[player][cycle] = code;
        a_.kickEvent[0][cycle] = code;
    }

    void Dribble(int p, int t, int& k)
    {
        for (;;) {
            const int earlier = FindLast(a_, k, true, scratch_);
            if (earlier < 0 || !Contains(scratch_, p))
                break;
            k = earlier;
        }
        const int held = FindLast(a_, k, false, scratch_);
        if (held >= 0 && Contains(scratch_, p))
            k = held;

        const int start = k;
        const int end = t - 1;
        const int n = t - k;
        const double d = Displacement(a_, p, start, end);
        ConceptObject* action;
        if (keepaway_)
            action = coHold;
        else if (d > kLongDribble)
            action = coLongDribble;
        else if (d <= kShortDribble || d / n < kSlowDribblePerCycle)
            action = coControlDribble;
        else
            action = coSpeedDribble;
        file_.AddEvent(p, start, n, action);

        int8_t* side = a_.SidePossession(p);
        Mark(a_.possessor[p], start, end, 1);
        Mark(side, start, end, 1);
        for (int c = start; c <= end; ++c)
            if (a_.kick[p][c] != 0)
                KickCode(p, c, kKickEventDribble);
    }

    ConceptObject* FieldPassKind(int p, int start, int end) const
    {
        if (Displacement(a_, p, start, end) < kReceiverStill)
            return coToPlayer;
        const double x = a_.x[0][end];
        const double y = a_.y[0][end];
        const double dx = a_.x[0][start] - x;
        const double dy = a_.y[0][start] - y;
        const double dist = std::hypot(dx, dy);
        if (kPitchHalfLength - std::fabs(x) < kCrossZoneDepth && std::fabs(y) < kGoalHalfWidth)
            return coCrossPass;
        if (std::fabs(dy) > kSquareMinDy && std::fabs(dx) < kSquareMaxDx)
            return coSquarePass;
        if (dist <= kShortPass)
            return coToSpace;
        if (std::fabs(dy) >= kDiagonalMinDy)
            return coDiagonalThroughPass;
        return coStraightThroughPass;
    }

    // Keepaway: a pass to the keeper second nearest to the ball at the kick is a
    // pass to K2, any other one to K3. The game is 3 keepers (objects 1 to 3)
    // against 2 takers.
    ConceptObject* KeepawayPassKind(int p, int k) const
    {
        int order[3] = {1, 2, 3};
        double dist[4] = {};
        for (int keeper = 1; keeper <= 3; ++keeper)
            dist[keeper] = std::hypot(a_.x[keeper][k] - a_.x[0][k], a_.y[keeper][k] - a_.y[0][k]);
        for (int i = 1; i < 3; ++i)
            for (int j = i; j > 0 && dist[order[j]] < dist[order[j - 1]]; --j)
                std::swap(order[j], order[j - 1]);
        return order[1] == p ? coPassK2 : coPassK3;
    }

    void Pass(int p, int q, int t, int k)
    {
        const int start = k;
        const int end = t - 1;
        const int n = t - k;
        ConceptObject* action;
        if (!keepaway_)
            action = FieldPassKind(p, start, end);
        else if (p < kLastLeftPlayer)
            action = KeepawayPassKind(p, k);
        else
            action = coToOpponent;
        file_.AddEvent(q, start, 1, action, 0, n, p);
        file_.AddEvent(p, start, n, coAttackSupport);
        KickCode(p, start, kKickEventPass);
        Mark(a_.SidePossession(q), start, end, 1);
    }

    void Interception(int p, int q, int t, int k)
    {
        const int start = k;
        const int n = t - k;
        if (keepaway_) {
            KickCode(p, start, kKickEventKeeper);
            file_.AddEvent(q, start, 1, coInterceptedPass, 0, n, p);
            file_.AddEvent(p, start, n, coIntercept);
        } else if (p == kLeftGoalie || p == kRightGoalie) {
            KickCode(p, start, kKickEventKeeper);
            file_.AddEvent(q, start, 1, coUnsuccessfulShoot, 0, n, p);
            file_.AddEvent(p, start, n, coIntercept);
        } else {
            KickCode(p, start, kKickEventInterception);
            file_.AddEvent(p, start, n, coIntercept, p, n, q);
            file_.AddEvent(q, start, 1, coToOpponent, 0, n, p);
        }
        a_.SidePossession(q)[start] = 1;
    }

    // A play mode at t: goals, goal kicks, corners and kick-ins are charged to the
    // last kickers. Returns the next cycle to look at.
    int Stop(int t, int mode)
    {
        ConceptObject* action = nullptr;
        switch (mode) {
        case kGoalLeft:
        case kGoalRight:
            action = coSuccessfulShoot;
            break;
        case kGoalKickLeft:
        case kGoalKickRight:
            action = coGoalline;
            break;
        case kCornerKickLeft:
        case kCornerKickRight:
            action = coCorner;
            break;
        case kKickInLeft:
        case kKickInRight:
            action = coSideline;
            break;
        default:
            return t - 1;
        }
        const int k = FindLast(a_, t, true, kickers_);
        const bool goal = mode == kGoalLeft || mode == kGoalRight;
        for (int q : kickers_) {
            // A goal with kickers of both sides at the last kick belongs to the
            // scoring side; a lone kicker is charged whatever his side (own goals).
            if (goal && kickers_.size() > 1 && IsLeft(q) != (mode == kGoalLeft))
                continue;
            file_.AddEvent(q, k, 1, action, 0, t - k + 1);
        }
        return k;
    }

    RoboCupFileT& file_;
    EventArrays a_;
    bool keepaway_;
    std::vector<int> possessors_;
    std::vector<int> kickers_;
    std::vector<int> scratch_;
};

}  // namespace

int RoboCupFileT::PlayersWithBallAt(int t, std::vector<int>& list)
{
    return PlayersWithBall(Resolve(*this), t, list);
}

int RoboCupFileT::FindLastKickWithBall(int t, int& count, std::vector<int>& list)
{
    const int c = FindLast(Resolve(*this), t, true, list);
    count = static_cast<int>(list.size());
    return c;
}

int RoboCupFileT::FindLastWithBall(int t, int& count, std::vector<int>& list)
{
    const int c = FindLast(Resolve(*this), t, false, list);
    count = static_cast<int>(list.size());
    return c;
}

void RoboCupFileT::AddEvent(int object, int start, int length, ConceptObject* action, int other, int otherLength,
                            int extra)
{
    if (!action || length <= 0) {
        platform::Beep();
        return;
    }
    const long long end = static_cast<long long>(start) + length - 1;
    const long long otherEnd = static_cast<long long>(start) + (otherLength < 0 ? length : otherLength) - 1;
    // Refuse anything that would write or point outside the log.
    if (object < kFirstPlayer || object > kLastPlayer || start < 0 || end >= cycles || otherEnd >= cycles ||
        !eventChannel[object] || static_cast<long long>(eventChannel[object]->GetValues().size()) <= end) {
        platform::Beep();
        return;
    }
    ChannelValues<std::int32_t>& values = eventChannel[object]->GetValues();
    std::fill(values.begin() + start, values.begin() + end + 1, ConceptHandle(action));
    if (other < 0)
        other = object;
    events[object].push_back(std::make_unique<ActionEvent>(
        ActionEvent{action, object, start, static_cast<int>(end), other, static_cast<int>(otherEnd), extra}));
}

void RecognizeActionEvents(RoboCupFileT& file)
{
    for (auto& list : file.events)
        list.clear();
    EventArrays arrays = Resolve(file);
    if (arrays.walkReady) {
        // Start from clean event and kick-code channels so that a second run over
        // the same record gives the same values.
        for (int o = 0; o < kObjectCount; ++o) {
            std::fill(arrays.kickEvent[o], arrays.kickEvent[o] + arrays.cycles, int8_t{0});
            if (o >= kFirstPlayer) {
                auto& ev = file.eventChannel[o]->GetValues();
                std::fill(ev.begin(), ev.begin() + arrays.cycles, std::int32_t{0});
            }
        }
        EventWalk(file, arrays).Run();
    }
    for (int p = kFirstPlayer; p <= kLastPlayer; ++p) {
        platform::SetWaitText("Computing moving events for player " + std::to_string(p));
        platform::ProcessPendingEvents();
    }
}

void SortActionEvents(RoboCupFileT& file)
{
    for (int p = kFirstPlayer; p <= kLastPlayer; ++p) {
        auto& list = file.events[p];
        std::stable_sort(list.begin(), list.end(), [](const std::unique_ptr<ActionEvent>& a,
                                                      const std::unique_ptr<ActionEvent>& b) {
            return a->start < b->start;
        });
    }
}
