// The feature computation: for every feature of a log, the cycles at which its
// concept accepts its object, written as bits into the log's feature matrix.
#include "core/learning/Features.h"

#include "core/analysis/Keepaway.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/concepts/Evaluators.h"
#include "core/learning/FeatureVerdicts.h"
#include "core/model/Format.h"
#include "core/model/Parallel.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <typeinfo>
#include <vector>

namespace {

// One feature to make: its concept, the concept's dotted path, the object it
// speaks of (-1 for a team-level feature).
struct FeatureHolder {
    ConceptObject* node = nullptr;
    std::string path;
    int object = -1;
    bool teamLevel = false;
};

// Raises the stream's "Index out of range" when the channel lacks a value for
// one of the log's cycles, before any per-cycle loop reads it raw.
template <typename T>
void RequireCycles(const DataTimeChannel<T>& channel, int cycles)
{
    if (cycles > 0)
        (void)channel.Get(cycles - 1);
}

// A channel the record lacks has no value for any cycle: reading it at a cycle
// of the log is the stream's "Index out of range", as for a channel too short.
// Without cycles nothing is read, so nothing is missed.
template <typename T>
bool RequireChannel(const DataTimeChannel<T>* channel, int cycles)
{
    if (channel == nullptr && cycles > 0)
        timestream_detail::IndexOutOfRange(__LINE__);
    return channel != nullptr;
}

// The positions of one object as the features see them: the stored values while
// the stream reads them unwindowed (as it does after loading), otherwise the
// windowed values, computed once per object instead of once per feature.
struct PositionValues {
    const RoboCupFileT::DoubleChannel* channel = nullptr;
    const double* values = nullptr;
    std::vector<double> windowed;

    void Prepare(const RoboCupFileT::DoubleChannel& c, int cycles)
    {
        if (channel == &c)
            return;
        channel = &c;
        RequireCycles(c, cycles);
        if (c.GetTimeWindow() == 1) {
            values = c.GetValues().data();
            return;
        }
        windowed.resize(static_cast<std::size_t>(cycles));
        for (int t = 0; t < cycles; ++t)
            windowed[static_cast<std::size_t>(t)] = c.Get(t);
        values = windowed.data();
    }
};

// A concept whose verdict is lo <= value < hi, where the value depends on the
// situation and on a few parameters of the evaluator only: a keepaway state
// variable, an object's speed over a window, a player's speed towards the ball.
struct RangeTest {
    enum Kind { kStateVariable, kSpeed, kSpeedToBall };
    Kind kind = kStateVariable;
    const BasicEvaluator* evaluator = nullptr;
    std::tuple<int, int, int, bool> key;  // kind and the parameters the value depends on
    double lo = 0.0;
    double hi = 0.0;

    // The test an evaluator of exactly these kinds makes; false for any other kind
    // (a subclass may judge otherwise).
    static bool Of(const BasicEvaluator* evaluator, RangeTest& test)
    {
        if (evaluator == nullptr)
            return false;
        test.evaluator = evaluator;
        const std::type_info& type = typeid(*evaluator);
        if (type == typeid(RelativeDistEvaluator)) {
            const auto& e = static_cast<const RelativeDistEvaluator&>(*evaluator);
            test = {kStateVariable, evaluator, {kStateVariable, e.a, e.b, e.sorted}, e.lo, e.hi};
            return true;
        }
        if (type == typeid(SpeedEvaluator)) {
            const auto& e = static_cast<const SpeedEvaluator&>(*evaluator);
            test = {kSpeed, evaluator, {kSpeed, e.window, 0, false}, e.lo, e.hi};
            return true;
        }
        if (type == typeid(RelativeSpeedEvaluator)) {
            const auto& e = static_cast<const RelativeSpeedEvaluator&>(*evaluator);
            test = {kSpeedToBall, evaluator, {kSpeedToBall, 0, 0, false}, e.lo, e.hi};
            return true;
        }
        return false;
    }

    double Value(const BasicGameData& situation) const
    {
        switch (kind) {
        case kStateVariable: {
            const auto& e = static_cast<const RelativeDistEvaluator&>(*evaluator);
            return KeepawayFeature(&situation, e.a, e.b, e.sorted);
        }
        case kSpeed:
            return static_cast<const SpeedEvaluator&>(*evaluator).Value(&situation);
        case kSpeedToBall:
            return static_cast<const RelativeSpeedEvaluator&>(*evaluator).Value(&situation);
        }
        return 0.0;
    }
};

// The values that range concepts test. Many ranges test one value (the 648
// keepaway ranges test 13 variables, the speed classes of an object one speed),
// and a range holds exactly when lo <= value < hi, so each value is computed once
// per cycle and object and every range of it only compares: the same bits for a
// fraction of the work.
class RangeValueCache {
public:
    // The value at cycles first .. last - 1 (index t - first) for the situation's
    // object, computed on the situations the evaluator itself would be given. One
    // cache serves one range of cycles.
    const std::vector<double>& Values(const RangeTest& test, BasicGameData situation, const double* xs,
                                      const double* ys, int first, int last)
    {
        if (situation.object != object_) {  // features come object by object
            values_.clear();
            object_ = situation.object;
        }
        std::vector<double>& values = values_[test.key];
        if (values.empty() && last > first) {
            values.resize(static_cast<std::size_t>(last - first));
            // The speeds read positions only: their whole range in one call.
            if (test.kind == RangeTest::kSpeed) {
                static_cast<const SpeedEvaluator&>(*test.evaluator).Values(situation, first, last, values.data());
                return values;
            }
            if (test.kind == RangeTest::kStateVariable) {
                const auto& e = static_cast<const RelativeDistEvaluator&>(*test.evaluator);
                KeepawayFeatures(situation, e.a, e.b, e.sorted, first, last, values.data());
                return values;
            }
            if (test.kind == RangeTest::kSpeedToBall) {
                static_cast<const RelativeSpeedEvaluator&>(*test.evaluator)
                    .Values(situation, first, last, values.data());
                return values;
            }
            for (int t = first; t < last; ++t) {
                situation.cycle = t;
                situation.x = xs != nullptr ? xs[t] : 0.0;
                situation.y = ys != nullptr ? ys[t] : 0.0;
                values[static_cast<std::size_t>(t - first)] = test.Value(situation);
            }
        }
        return values;
    }

private:
    int object_ = -2;
    std::map<std::tuple<int, int, int, bool>, std::vector<double>> values_;
};

void FillRoleColumns(RoboCupFileT& log, FeatureList& list, ConceptObject* ball)
{
    const int cycles = log.cycles;
    list.SetObjectConcepts(0, 0, cycles, ball);
    for (int o = 1; o < RoboCupFileT::kObjectCount; ++o) {
        const RoboCupFileT::LongChannel* roles = log.roleChannel[static_cast<std::size_t>(o)];
        if (!RequireChannel(roles, cycles))
            continue;
        RequireCycles(*roles, cycles);
        // The stored handles, not windowed means: a mean of two handles names no concept.
        const ChannelValues<std::int32_t>& handles = roles->GetValues();
        // Roles change seldom: one look-up and one fill per run of one handle.
        for (int from = 0; from < cycles;) {
            const std::int32_t handle = handles[static_cast<std::size_t>(from)];
            int to = from + 1;
            while (to < cycles && handles[static_cast<std::size_t>(to)] == handle)
                ++to;
            list.SetObjectConcepts(o, from, to - from, ConceptFromHandle(handle));
            from = to;
        }
    }
}

}  // namespace

FeatureConceptRoots ProgramFeatureRoots()
{
    FeatureConceptRoots roots;
    roots.position = g_positionConcepts;
    roots.speed = g_speedConcepts;
    roots.ballRelative = g_ballRelativeConcepts;
    roots.teamplay = g_teamplayConcepts;
    roots.keepaway = g_relativeConcepts;
    roots.ball = coBall;
    return roots;
}

void ComputeFeatures(RoboCupFileT* log, const FeatureConceptRoots& roots)
{
    if (log == nullptr)
        return;
    if (log->features == nullptr)
        log->features = std::make_unique<FeatureList>();
    FeatureList& list = *log->features;
    const int cycles = std::max(0, log->cycles);

    // Concepts: per-object ones first (P of them), team-level ones after.
    std::vector<ConceptObject*> concepts;
    std::size_t perObject = 0;
    if (!log->isKeepaway) {
        for (ConceptObject* root : {roots.position, roots.speed, roots.ballRelative})
            if (root != nullptr)
                ConceptObject::CollectConcepts(root, &concepts, false);
        perObject = concepts.size();
        if (roots.teamplay != nullptr)
            ConceptObject::CollectConcepts(roots.teamplay, &concepts, false);
    } else if (roots.keepaway != nullptr) {
        ConceptObject::CollectConcepts(roots.keepaway, &concepts, false);
    }

    platform::ProcessPendingEvents();

    std::vector<FeatureHolder> holders;
    for (int e = 0; e < RoboCupFileT::kObjectCount; ++e) {
        if (!log->moving[static_cast<std::size_t>(e)])
            continue;
        for (std::size_t k = 0; k < perObject; ++k)
            holders.push_back({concepts[k], ConceptObject::GetPathName(concepts[k]), e, false});
    }
    if (log->isKeepaway)
        for (std::size_t k = perObject; k < concepts.size(); ++k)
            holders.push_back({concepts[k], ConceptObject::GetPathName(concepts[k]), -1, true});

    const int count = static_cast<int>(holders.size());
    list.Allocate(count, cycles);
    FillRoleColumns(*log, list, roots.ball);

    // Names, groups and objects in feature order; what each feature is computed
    // from is gathered here too, so that the bits can be computed side by side.
    struct FeatureJob {
        BasicEvaluator* evaluator = nullptr;
        bool isRange = false;
        RangeTest range;
        int object = -1;
        const double* xs = nullptr;
        const double* ys = nullptr;
    };
    std::vector<FeatureJob> jobs(static_cast<std::size_t>(count));
    std::vector<PositionValues> positionX(RoboCupFileT::kObjectCount);
    std::vector<PositionValues> positionY(RoboCupFileT::kObjectCount);
    for (int f = 0; f < count; ++f) {
        const FeatureHolder& holder = holders[static_cast<std::size_t>(f)];
        list.SetGroupKey(f, holder.node);
        list.SetName(f, (holder.teamLevel ? std::string("Team") : ObjectName(holder.object)) + ":" + holder.path);
        list.SetObjectIndex(f, holder.teamLevel ? -1 : holder.object);
        list.SetValue(f, 0.0);
        list.AddToGroup(f);

        FeatureJob& job = jobs[static_cast<std::size_t>(f)];
        job.object = holder.teamLevel ? -1 : holder.object;
        if (!holder.teamLevel) {
            const std::size_t o = static_cast<std::size_t>(holder.object);
            const RoboCupFileT::DoubleChannel* posX = log->posXChannel[o];
            const RoboCupFileT::DoubleChannel* posY = log->posYChannel[o];
            if (RequireChannel(posX, cycles) && RequireChannel(posY, cycles)) {
                positionX[o].Prepare(*posX, cycles);
                positionY[o].Prepare(*posY, cycles);
                job.xs = positionX[o].values;
                job.ys = positionY[o].values;
            }
        }
        // Every holder's concept was collected for its evaluator, so asking the
        // evaluator is what asking the concept would do, one call less per cycle.
        job.evaluator = holder.node->GetEvaluator();
        job.isRange = RangeTest::Of(job.evaluator, job.range);
    }

    // The ball's positions as the features see them, when the log has them whole.
    const double* ballXs = nullptr;
    const double* ballYs = nullptr;
    const RoboCupFileT::DoubleChannel* ballX = log->posXChannel[0];
    const RoboCupFileT::DoubleChannel* ballY = log->posYChannel[0];
    if (ballX != nullptr && ballY != nullptr && ballX->GetCount() >= cycles && ballY->GetCount() >= cycles) {
        positionX[0].Prepare(*ballX, cycles);
        positionY[0].Prepare(*ballY, cycles);
        ballXs = positionX[0].values;
        ballYs = positionY[0].values;
    }

    // The bits, one range of cycles per piece: a piece writes only the matrix rows
    // of its cycles (rows never share a byte) and its own counts.
    const int chunkCycles = std::max(64, (cycles + 4 * WorkerThreads() - 1) / (4 * WorkerThreads()));
    const int chunks = std::max(1, (cycles + chunkCycles - 1) / chunkCycles);
    std::vector<int> chunkCounts(static_cast<std::size_t>(chunks) * static_cast<std::size_t>(count), 0);
    std::uint8_t* const matrix = list.matrix_.data();
    const std::size_t stride = static_cast<std::size_t>(list.bytesPerRow_);
    auto computeChunk = [&](int chunk) {
        const int first = chunk * chunkCycles;
        const int last = std::min(cycles, first + chunkCycles);
        const std::size_t n = static_cast<std::size_t>(std::max(0, last - first));
        if (n == 0)
            return;  // a log of no cycles: no rows, and no matrix to point into
        int* counts = chunkCounts.data() + static_cast<std::size_t>(chunk) * static_cast<std::size_t>(count);
        BasicGameData situation;
        situation.file = log;
        RangeValueCache rangeValues;
        const std::size_t rowBytes = stride;  // a local: the matrix stores below could be anything else
        std::vector<std::uint8_t> verdicts(n);
        // The chunk's packed bytes a column at a time (byte b of cycle first + k at
        // b * n + k), copied into the matrix rows once all are done.
        const std::size_t byteCount = (static_cast<std::size_t>(count) + 7) / 8;
        std::vector<std::uint8_t> columns(byteCount * n, std::uint8_t{0});
        for (int byte = 0; byte * 8 < count; ++byte) {
            std::uint8_t* const packed = columns.data() + static_cast<std::size_t>(byte) * n;
            for (int f = byte * 8; f < count && f < byte * 8 + 8; ++f) {
                const FeatureJob& job = jobs[static_cast<std::size_t>(f)];
                situation.object = job.object;
                // The fast kinds pack their verdicts themselves; the others are asked
                // cycle by cycle into bytes first.
                PackedVerdicts fast{packed, f % 8};
                bool packedAlready = true;
                if (job.isRange) {
                    RangeVerdicts(job.range.lo, job.range.hi,
                                  rangeValues.Values(job.range, situation, job.xs, job.ys, first, last).data(),
                                  static_cast<int>(n), fast);
                } else {
                    packedAlready =
                        RegionVerdicts(job.evaluator, job.xs, job.ys, first, last, fast) ||
                        BallSideVerdicts(job.evaluator, job.object, job.xs, job.ys, ballXs, ballYs, first, last, fast);
                }
                if (packedAlready) {
                    counts[f] = fast.set;
                    continue;
                }
                std::uint8_t* v = verdicts.data();
                if (!HasBallVerdicts(job.evaluator, *log, job.object, first, last, v)) {
                    for (int t = first; t < last; ++t) {
                        situation.cycle = t;
                        situation.x = job.xs != nullptr ? job.xs[t] : 0.0;
                        situation.y = job.ys != nullptr ? job.ys[t] : 0.0;
                        v[t - first] = job.evaluator != nullptr && job.evaluator->Evaluate(&situation) ? 1 : 0;
                    }
                }
                counts[f] = PackVerdicts(v, n, f % 8, packed);
            }
        }
        // Into the freshly zeroed matrix a tile of rows at a time: the tile's rows and
        // the parts of the columns it takes stay in the first cache, and each row is
        // written from its start to its end instead of one byte per row per column.
        // No features: no columns, nothing to copy.
        constexpr std::size_t kTileRows = 64;
        for (std::size_t k0 = 0; byteCount != 0 && k0 < n; k0 += kTileRows) {
            const std::size_t k1 = std::min(n, k0 + kTileRows);
            for (std::size_t k = k0; k < k1; ++k) {
                std::uint8_t* const row = matrix + (static_cast<std::size_t>(first) + k) * rowBytes;
                const std::uint8_t* from = columns.data() + k;
                for (std::size_t b = 0; b < byteCount; ++b, from += n)
                    row[b] = *from;
            }
        }
    };
    // "Computing features <p>%" for every fifth feature, as far as the work has got.
    int nextShown = 0;
    auto showProgress = [&](int chunksDone) {
        const long long reached = static_cast<long long>(count) * chunksDone / chunks;
        for (; nextShown < count && (nextShown == 0 || nextShown < reached); nextShown += 5)
            platform::SetWaitText("Computing features " + FormatFixed(100.0 * nextShown / count, 2) + "%");
    };
    showProgress(0);
    ParallelFor(chunks, computeChunk, showProgress);
    for (int f = 0; f < count; ++f) {
        int set = 0;
        for (int chunk = 0; chunk < chunks; ++chunk)
            set += chunkCounts[static_cast<std::size_t>(chunk) * static_cast<std::size_t>(count) +
                               static_cast<std::size_t>(f)];
        list.SetCount(f, set);
    }

    if (count >= kTooManyFeatures)
        platform::Notify("Too many features !!!", "Warning");
}
