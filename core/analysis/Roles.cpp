#include "core/analysis/Roles.h"

#include "core/model/Pitch.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"

#include "platform/Hooks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

namespace {

constexpr int kObjects = pitch::kObjectCount;
// Clusters whose centres are this close (in metres of mean x) form one line.
constexpr double kLineThreshold = 5.0;

// Orders items by key with the exchange procedure: for every position, every later
// item with a strictly smaller key changes places with it. Not stable.
template <typename Item, typename Key>
void ExchangeSort(Item* items, int count, Key key)
{
    for (int a = 0; a + 1 < count; ++a)
        for (int b = a + 1; b < count; ++b)
            if (key(items[b]) < key(items[a]))
                std::swap(items[a], items[b]);
}

struct Channels {
    const double* x[kObjects] = {};
    const double* y[kObjects] = {};
    std::int32_t* role[kObjects] = {};
    DataTimeChannel<std::int32_t>* roleChannel[kObjects] = {};
    const std::int16_t* time = nullptr;
    int cycles = 0;
};

// Resolves the channels once per call; the cycle count is what every one of them holds.
Channels ResolveChannels(RoboCupFileT& file)
{
    Channels ch;
    TimeStream& s = *file.stream;
    int n = std::max(file.cycles, 0);
    for (int i = 0; i < kObjects; ++i) {
        const std::string object = ObjectName(i);
        auto* px = FindLeaf<double>(s, object + ".pos.x",
                                    i > 0 ? PlayerLeafIndex(i - 1, playerleaf::kPosX) : kSchemaLeaf.ballX);
        auto* py = FindLeaf<double>(s, object + ".pos.y",
                                    i > 0 ? PlayerLeafIndex(i - 1, playerleaf::kPosY) : kSchemaLeaf.ballY);
        if (px != nullptr && py != nullptr) {
            ch.x[i] = ReadValues(px);
            ch.y[i] = ReadValues(py);
            n = std::min({n, px->GetCount(), py->GetCount()});
        }
        if (i > 0) {
            auto* role = FindLeaf<std::int32_t>(s, object + ".calculated.role", PlayerLeafIndex(i - 1, playerleaf::kRole));
            if (role != nullptr) {
                ch.roleChannel[i] = role;
                ch.role[i] = RawValues(role);
                n = std::min(n, role->GetCount());
            }
        }
    }
    if (auto* time = FindLeaf<std::int16_t>(s, "time", kSchemaLeaf.time)) {
        ch.time = ReadValues(time);
        n = std::min(n, time->GetCount());
    }
    ch.cycles = n;
    return ch;
}

void AssignLines(RoleWorkState& state, int side)
{
    const int count = state.clusterCount;
    int c = 0;
    auto current = [&]() -> const RoleWorkState::Cluster* { return c < count ? &state.clusters[c] : nullptr; };
    auto give = [&](const RoleWorkState::Cluster& cluster, std::initializer_list<ConceptObject*> roles) {
        int j = 0;
        for (ConceptObject* role : roles)
            state.role[cluster.members[j++]] = role;
        ++c;
    };

    // 1: the goalkeeper, alone behind everybody.
    if (const auto* cl = current()) {
        if (cl->size == 1)
            give(*cl, {coGK[side]});
        else
            platform::Beep();
    }
    // 2: a sweeper.
    if (const auto* cl = current(); cl != nullptr && cl->size == 1)
        give(*cl, {coSW[side]});
    // 3: the back line.
    if (const auto* cl = current()) {
        switch (cl->size) {
        case 3: give(*cl, {coLFB[side], coCFB[side], coRFB[side]}); break;
        case 4: give(*cl, {coLFB[side], coLCFB[side], coRCFB[side], coRFB[side]}); break;
        case 5: give(*cl, {coLFB[side], coLCFB[side], coST[side], coRCFB[side], coRFB[side]}); break;
        default: platform::Beep(); break;
        }
    }
    // 4: a stopper.
    if (const auto* cl = current(); cl != nullptr && cl->size == 1)
        give(*cl, {coST[side]});
    // 5: the midfield line.
    if (const auto* cl = current()) {
        switch (cl->size) {
        case 2: give(*cl, {coLMF[side], coRMF[side]}); break;
        case 3: give(*cl, {coLMF[side], coCMF[side], coRMF[side]}); break;
        case 4: give(*cl, {coLMF[side], coLCMF[side], coRCMF[side], coRMF[side]}); break;
        default: platform::Beep(); break;
        }
    }
    // 6: a lone central midfielder.
    if (const auto* cl = current(); cl != nullptr && cl->size == 1)
        give(*cl, {coCMF[side]});
    // 7: the forward line. In a line of five whose wide players stand deeper than
    // their neighbours, the wide players are midfielders behind three forwards;
    // otherwise the wide players are forwards around three midfielders.
    if (const auto* cl = current()) {
        switch (cl->size) {
        case 2: give(*cl, {coLFW[side], coRFW[side]}); break;
        case 3: give(*cl, {coLFW[side], coCFW[side], coRFW[side]}); break;
        case 4: give(*cl, {coLFW[side], coLCFW[side], coRCFW[side], coRFW[side]}); break;
        case 5:
            if (state.meanX[cl->members[0]] < state.meanX[cl->members[1]])
                give(*cl, {coLMF[side], coLCFW[side], coCFW[side], coRCFW[side], coRMF[side]});
            else
                give(*cl, {coLFW[side], coLCMF[side], coCMF[side], coRCMF[side], coRFW[side]});
            break;
        default: platform::Beep(); break;
        }
    }
}

void AnalyseGame(const Channels& ch, RoleWorkState& state, int start, int end)
{
    const int n = end - start;
    for (int i = 1; i < kObjects; ++i) {
        state.role[i] = nullptr;
        double sumX = 0.0;
        double sumY = 0.0;
        if (ch.x[i] != nullptr) {
            for (int t = start; t < end; ++t) {
                sumX += ch.x[i][t];
                sumY += ch.y[i][t];
            }
        }
        // The right team is mirrored through the centre, so that both teams play
        // towards positive x with their own left at negative y.
        const double divisor = i <= 11 ? n : -n;
        state.meanX[i] = sumX / divisor;
        state.meanY[i] = sumY / divisor;
    }
    for (int side = 0; side < 2; ++side) {
        ClusterPositions(nullptr, kLineThreshold, side * 11, state);
        AssignLines(state, side);
    }
    for (int i = 1; i < kObjects; ++i) {
        if (state.role[i] == nullptr)
            state.role[i] = coFieldPlayer[i <= 11 ? 0 : 1];
        if (std::int32_t* role = ch.role[i]) {
            const std::int32_t handle = ConceptHandle(state.role[i]);
            for (int t = start; t < end; ++t)
                role[t] = handle;
        }
    }
}

void AnalyseMatch(const Channels& ch)
{
    const std::int16_t* time = ch.time;
    RoleWorkState state;
    int start = 0;
    for (int t = 1; t < ch.cycles; ++t) {
        // A time of 1 after the start opens the next game (a restarted log).
        if (time != nullptr && time[t] == 1) {
            AnalyseGame(ch, state, start, t);
            start = t;
        }
    }
    if (start < ch.cycles)
        AnalyseGame(ch, state, start, ch.cycles);
}

void RankByBallDistance(const RoboCupFileT& file, const Channels& ch)
{
    struct Ranked {
        int object;
        double distance;
    };
    for (int side = 0; side < 2; ++side) {
        const int first = side * 11 + 1;
        for (int i = first; i < first + 11; ++i) {
            // Players who never move take no part; they keep no role.
            if (!file.moving[i] && ch.role[i] != nullptr)
                std::fill(ch.role[i], ch.role[i] + ch.cycles, 0);
        }
        if (ch.x[0] == nullptr)
            continue;
        for (int t = 0; t < ch.cycles; ++t) {
            Ranked ranked[11];
            int count = 0;
            for (int i = first; i < first + 11; ++i) {
                if (!file.moving[i] || ch.x[i] == nullptr)
                    continue;
                const double dx = ch.x[i][t] - ch.x[0][t];
                const double dy = ch.y[i][t] - ch.y[0][t];
                ranked[count++] = {i, std::sqrt(dx * dx + dy * dy)};
            }
            ExchangeSort(ranked, count, [](const Ranked& r) { return r.distance; });
            for (int r = 0; r < count; ++r) {
                if (std::int32_t* role = ch.role[ranked[r].object])
                    role[t] = ConceptHandle(coTeamNumber[side][r]);
            }
        }
    }
}

}  // namespace

int ClusterPositions(RoboCupFileT* file, double threshold, int first, RoleWorkState& state)
{
    (void)file;
    using Cluster = RoleWorkState::Cluster;
    Cluster* clusters = state.clusters;
    int count = 0;
    for (int i = first + 1; i <= first + 11; ++i) {
        if (state.role[i] != nullptr)
            continue;
        Cluster& cl = clusters[count++];
        cl.size = 1;
        cl.members[0] = i;
        cl.centre = state.meanX[i];
    }

    while (count >= 2) {
        int bestA = -1;
        int bestB = -1;
        double best = 0.0;
        for (int a = 0; a < count; ++a) {
            for (int b = a + 1; b < count; ++b) {
                const double d = std::fabs(clusters[a].centre - clusters[b].centre);
                if (bestA < 0 || d < best) {
                    best = d;
                    bestA = a;
                    bestB = b;
                }
            }
        }
        if (!(best < threshold))
            break;
        Cluster& a = clusters[bestA];
        const Cluster& b = clusters[bestB];
        for (int m = b.size - 1; m >= 0; --m)
            a.members[a.size++] = b.members[m];
        double sum = 0.0;
        for (int m = 0; m < a.size; ++m)
            sum += state.meanX[a.members[m]];
        a.centre = sum / a.size;
        for (int k = bestB; k + 1 < count; ++k)
            clusters[k] = clusters[k + 1];
        --count;
    }

    ExchangeSort(clusters, count, [](const Cluster& cl) { return cl.centre; });
    for (int k = 0; k < count; ++k)
        ExchangeSort(clusters[k].members, clusters[k].size, [&](int i) { return state.meanY[i]; });
    state.clusterCount = count;
    return count;
}

void CalculateRoles(RoboCupFileT* file, bool useNumbers)
{
    if (file == nullptr || file->stream == nullptr)
        return;
    const Channels ch = ResolveChannels(*file);
    if (useNumbers) {
        for (int i = 1; i < kObjects; ++i) {
            if (std::int32_t* role = ch.role[i]) {
                const std::int32_t handle = ConceptHandle(coTeamNumber[i <= 11 ? 0 : 1][(i - 1) % 11]);
                std::fill(role, role + ch.cycles, handle);
            }
        }
    } else if (file->isKeepaway) {
        RankByBallDistance(*file, ch);
    } else {
        AnalyseMatch(ch);
    }
    // The roles are written in place after the derived pass restored the channels'
    // extremes (and again at every switch of the shirt numbers): restore them here.
    for (DataTimeChannel<std::int32_t>* role : ch.roleChannel) {
        if (role != nullptr)
            role->ComputeMinMax();
    }
}
