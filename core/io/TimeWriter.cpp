// The receiver that writes a log's records into the channels of an open record:
// time, play mode and score as each record arrives, everything else per object
// once the reading has ended.
#include "core/io/Convertlog.h"

#include "core/model/Parallel.h"
#include "core/model/RoboCupFile.h"
#include "platform/ByteOrder.h"
#include "platform/Hooks.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace rcss {

namespace {

using ShortChannel = RoboCupFileT::ShortChannel;
using CharChannel = RoboCupFileT::CharChannel;
using LongChannel = RoboCupFileT::LongChannel;
using DoubleChannel = RoboCupFileT::DoubleChannel;

template <class C>
C* Leaf(const TimeStream& stream, int index)
{
    auto* channel = dynamic_cast<C*>(stream.GetChannel(index));
    if (channel == nullptr)
        throw std::runtime_error("leaf " + std::to_string(index) + " does not have the schema's type");
    return channel;
}

std::string TeamName(const team_t& team)
{
    const char* name = reinterpret_cast<const char*>(team.bytes + team::kName);
    std::size_t n = 0;
    while (n < team::kNameSize && name[n] != '\0')
        ++n;
    return std::string(name, n);
}

}  // namespace

// Every channel a cycle writes into, resolved once per file: a cycle appends to
// 939 leaves, and looking each up again per record would cost more than the copy.
struct TimeWriter::Targets {
    ShortChannel *time, *playMode, *scoreDiff, *leftScore, *rightScore, *time2goal;
    DoubleChannel *ballX, *ballY, *ballDx, *ballDy;
    CharChannel *leftPossession, *rightPossession, *ballKickEvent;
    DoubleChannel *leftGoalDistance, *rightGoalDistance;

    struct Player {
        CharChannel* side;
        ShortChannel *unum, *type, *mode;
        // x, y, dx, dy, body angle, head angle, view width, then stamina, effort, recovery
        DoubleChannel* fixed[10];
        ShortChannel* viewQuality;
        ShortChannel* counts[8];
        // Leaves the derived passes fill later: one 0 per cycle for now.
        CharChannel* zeroChars[13];
        ShortChannel* zeroShorts[2];
        DoubleChannel* zeroDoubles[2];
        LongChannel* zeroLongs[2];
    } players[show::kPlayerCount];

    explicit Targets(const TimeStream& s)
    {
        const SchemaLeafIndices& ix = kSchemaLeaf;
        time = Leaf<ShortChannel>(s, ix.time);
        playMode = Leaf<ShortChannel>(s, ix.playMode);
        scoreDiff = Leaf<ShortChannel>(s, ix.scoreDiff);
        leftScore = Leaf<ShortChannel>(s, ix.leftScore);
        rightScore = Leaf<ShortChannel>(s, ix.rightScore);
        time2goal = Leaf<ShortChannel>(s, ix.time2goal);
        ballX = Leaf<DoubleChannel>(s, ix.ballX);
        ballY = Leaf<DoubleChannel>(s, ix.ballY);
        ballDx = Leaf<DoubleChannel>(s, ix.ballDx);
        ballDy = Leaf<DoubleChannel>(s, ix.ballDy);
        leftPossession = Leaf<CharChannel>(s, ix.leftPossession);
        rightPossession = Leaf<CharChannel>(s, ix.rightPossession);
        leftGoalDistance = Leaf<DoubleChannel>(s, ix.leftGoalDistance);
        rightGoalDistance = Leaf<DoubleChannel>(s, ix.rightGoalDistance);
        ballKickEvent = Leaf<CharChannel>(s, ix.ballKickEvent);

        namespace k = playerleaf;
        for (int p = 0; p < static_cast<int>(show::kPlayerCount); ++p) {
            Player& pl = players[p];
            auto at = [&](int leaf) { return PlayerLeafIndex(p, leaf); };
            pl.side = Leaf<CharChannel>(s, at(k::kSide));
            pl.unum = Leaf<ShortChannel>(s, at(k::kUnum));
            pl.type = Leaf<ShortChannel>(s, at(k::kType));
            pl.mode = Leaf<ShortChannel>(s, at(k::kMode));
            const int fixedLeaves[10] = {k::kPosX,       k::kPosY,      k::kVelDx,     k::kVelDy,   k::kBodyAngle,
                                         k::kHeadAngle,  k::kViewWidth, k::kStamina,   k::kEffort,  k::kRecovery};
            for (int i = 0; i < 10; ++i)
                pl.fixed[i] = Leaf<DoubleChannel>(s, at(fixedLeaves[i]));
            pl.viewQuality = Leaf<ShortChannel>(s, at(k::kViewQuality));
            for (int c = 0; c < 8; ++c)
                pl.counts[c] = Leaf<ShortChannel>(s, at(k::kKickCount + c));
            const int charLeaves[13] = {k::kKick,      k::kDash,          k::kTurn,          k::kSay,
                                        k::kTneck,     k::kCatch,         k::kMove,          k::kChngView,
                                        k::kPossessor, k::kPrevPossessor, k::kRealPossessor, k::kSpeed,
                                        k::kKickEvent};
            for (int i = 0; i < 13; ++i)
                pl.zeroChars[i] = Leaf<CharChannel>(s, at(charLeaves[i]));
            pl.zeroShorts[0] = Leaf<ShortChannel>(s, at(k::kNearestOpponent));
            pl.zeroShorts[1] = Leaf<ShortChannel>(s, at(k::kNearestTeammate));
            pl.zeroDoubles[0] = Leaf<DoubleChannel>(s, at(k::kDistOpponent));
            pl.zeroDoubles[1] = Leaf<DoubleChannel>(s, at(k::kDistTeammate));
            pl.zeroLongs[0] = Leaf<LongChannel>(s, at(k::kEvent));
            pl.zeroLongs[1] = Leaf<LongChannel>(s, at(k::kRole));
        }
    }
};

TimeWriter::TimeWriter(RoboCupFileT& log) : m_log(log)
{
    if (!log.stream)
        throw std::runtime_error("log record without a channel stream");
    m_targets = std::make_unique<Targets>(*log.stream);
}

TimeWriter::~TimeWriter() = default;

namespace {

// Cuts every leaf back to n values: a cycle that failed half-way (memory ran out)
// must not leave the leaves with different numbers of values.
void CutLeavesTo(const TimeStream& stream, std::size_t n)
{
    for (TimeChannel* leaf : stream.GetLeaves()) {
        if (auto* c = dynamic_cast<CharChannel*>(leaf); c && c->GetValues().size() > n)
            c->GetValues().resize(n);
        else if (auto* s = dynamic_cast<ShortChannel*>(leaf); s && s->GetValues().size() > n)
            s->GetValues().resize(n);
        else if (auto* l = dynamic_cast<LongChannel*>(leaf); l && l->GetValues().size() > n)
            l->GetValues().resize(n);
        else if (auto* d = dynamic_cast<DoubleChannel*>(leaf); d && d->GetValues().size() > n)
            d->GetValues().resize(n);
    }
}

}  // namespace

void TimeWriter::doHandleShortShowInfo2(std::streampos pos, const short_showinfo_t2& show)
{
    takeShow(pos, show.bytes);
}

void TimeWriter::doHandleShortShowInfo2At(std::streampos pos, const unsigned char* bytes)
{
    takeShow(pos, bytes);
}

void TimeWriter::takeShow(std::streampos pos, const unsigned char* bytes)
{
    const std::size_t before = static_cast<std::size_t>(m_targets->time->GetCount());
    try {
        appendCycle(bytes);
        if (m_source != nullptr)
            m_showStarts.push_back(static_cast<std::size_t>(pos) + 2);  // after the mode tag
        else
            m_shows.insert(m_shows.end(), bytes, bytes + short_showinfo_t2::size);
    } catch (...) {
        CutLeavesTo(*m_log.stream, before);
        m_shows.resize(m_source != nullptr ? 0 : m_pending * short_showinfo_t2::size);
        m_showStarts.resize(m_source != nullptr ? m_pending : 0);
        throw;
    }
    ++m_pending;
    if (m_time % 100 == 0) {
        platform::SetWaitText("Reading file (" + std::to_string(m_time) + ")");
        platform::ProcessPendingEvents();
    }
}

void TimeWriter::Reserve(std::size_t shows)
{
    if (m_source != nullptr)
        m_showStarts.reserve(m_showStarts.size() + shows);
    else
        m_shows.reserve(m_shows.size() + shows * short_showinfo_t2::size);
    Targets& t = *m_targets;
    for (ShortChannel* c : {t.time, t.playMode, t.scoreDiff, t.leftScore, t.rightScore})
        c->GetValues().reserve(c->GetValues().size() + shows);
}

void TimeWriter::appendCycle(const unsigned char* b)
{
    Targets& t = *m_targets;

    // The time field is unsigned; the "short" channel shows times above 32767 negative.
    m_time = platform::ReadBE16(b + show::kTime);
    t.time->AddValue(static_cast<std::int16_t>(m_time));
    t.playMode->AddValue(static_cast<std::int16_t>(m_pendingPlayMode));
    t.scoreDiff->AddValue(static_cast<std::int16_t>(m_scoreDiff));
    t.leftScore->AddValue(static_cast<std::int16_t>(m_leftScore));
    t.rightScore->AddValue(static_cast<std::int16_t>(m_rightScore));
    m_pendingPlayMode = 0;
}

// Where the decoded values of the records being finished go: per object, the
// first new value of each leaf decoded from the records.
struct TimeWriter::Columns {
    double* ball[4] = {};  // x, y, dx, dy
    struct Player {
        std::int16_t* type = nullptr;
        std::int16_t* mode = nullptr;
        std::int16_t* viewQuality = nullptr;
        double* fixed[10] = {};
        std::int16_t* counts[player::kCountCount] = {};
    } players[show::kPlayerCount];
};

namespace {

constexpr std::size_t kFixedOffsets[10] = {player::kX,         player::kY,       player::kVx,     player::kVy,
                                           player::kBody,      player::kHead,    player::kViewWidth,
                                           player::kStamina,   player::kEffort,  player::kRecovery};
// Records decoded per piece of parallel work, and per block within it: a block's
// slots of one object stay in the first cache while its fields are taken out one
// by one.
constexpr std::size_t kRecordsPerPiece = 512;
constexpr std::size_t kRecordsPerBlock = 32;

}  // namespace

// The least and greatest value one piece of records wrote into each decoded leaf.
struct TimeWriter::Extremes {
    double ballLo[4];
    double ballHi[4];
    struct Player {
        double lo[10];
        double hi[10];
        // type, mode, view quality, then the counts
        std::int16_t shortLo[3 + player::kCountCount];
        std::int16_t shortHi[3 + player::kCountCount];
    } players[show::kPlayerCount];

    Extremes()
    {
        const double inf = std::numeric_limits<double>::infinity();
        std::fill(std::begin(ballLo), std::end(ballLo), inf);
        std::fill(std::begin(ballHi), std::end(ballHi), -inf);
        for (Player& p : players) {
            std::fill(std::begin(p.lo), std::end(p.lo), inf);
            std::fill(std::begin(p.hi), std::end(p.hi), -inf);
            std::fill(std::begin(p.shortLo), std::end(p.shortLo), std::numeric_limits<std::int16_t>::max());
            std::fill(std::begin(p.shortHi), std::end(p.shortHi), std::numeric_limits<std::int16_t>::min());
        }
    }
};

namespace {

// Decodes one field of records recs[0 .. n) (each already pointing at its object)
// into out[0 .. n), widening [lo, hi] by what it wrote: one read and one write
// stream at a time, and the extremes stay in registers.
template <typename T, typename Decode>
void DecodeColumn(const unsigned char* const* recs, std::size_t n, std::size_t offset, T* out, T& lo, T& hi,
                  Decode decode)
{
    // Two values a step with extremes of their own: the comparisons of one value
    // need not wait for those of the one before.
    T l0 = lo, h0 = hi, l1 = lo, h1 = hi;
    std::size_t k = 0;
    for (; k + 2 <= n; k += 2) {
        const T v = decode(recs[k] + offset);
        const T w = decode(recs[k + 1] + offset);
        out[k] = v;
        out[k + 1] = w;
        l0 = v < l0 ? v : l0;
        h0 = v > h0 ? v : h0;
        l1 = w < l1 ? w : l1;
        h1 = w > h1 ? w : h1;
    }
    if (k < n) {
        const T v = decode(recs[k] + offset);
        out[k] = v;
        l0 = v < l0 ? v : l0;
        h0 = v > h0 ? v : h0;
    }
    lo = l1 < l0 ? l1 : l0;
    hi = h1 > h0 ? h1 : h0;
}

const auto kFixed = [](const unsigned char* p) { return NetFixedToDouble(p); };
const auto kShort = [](const unsigned char* p) { return NetShort(p); };

}  // namespace

void TimeWriter::extendObject(int o, std::size_t n, Columns& columns)
{
    Targets& t = *m_targets;
    if (o == 0) {
        // What the file's size promised may be more than it held.
        for (ShortChannel* c : {t.time, t.playMode, t.scoreDiff, t.leftScore, t.rightScore})
            c->GetValues().shrink_to_fit();
        t.time2goal->AppendCopies(n, 0);
        DoubleChannel* decoded[4] = {t.ballX, t.ballY, t.ballDx, t.ballDy};
        for (int k = 0; k < 4; ++k)
            columns.ball[k] = decoded[k]->Extend(n);
        t.leftPossession->AppendCopies(n, 0);
        t.rightPossession->AppendCopies(n, 0);
        t.leftGoalDistance->AppendCopies(n, 0.0);
        t.rightGoalDistance->AppendCopies(n, 0.0);
        t.ballKickEvent->AppendCopies(n, 0);
        return;
    }
    const std::size_t i = static_cast<std::size_t>(o - 1);
    Targets::Player& pl = t.players[i];
    Columns::Player& out = columns.players[i];
    pl.side->AppendCopies(n, static_cast<std::int8_t>(i < 11 ? 'l' : 'r'));
    pl.unum->AppendCopies(n, static_cast<std::int16_t>(i % 11));
    out.type = pl.type->Extend(n);
    out.mode = pl.mode->Extend(n);
    for (std::size_t f = 0; f < 10; ++f)
        out.fixed[f] = pl.fixed[f]->Extend(n);
    out.viewQuality = pl.viewQuality->Extend(n);
    for (std::size_t c = 0; c < player::kCountCount; ++c)
        out.counts[c] = pl.counts[c]->Extend(n);
    for (CharChannel* z : pl.zeroChars)
        z->AppendCopies(n, 0);
    for (ShortChannel* z : pl.zeroShorts)
        z->AppendCopies(n, 0);
    for (DoubleChannel* z : pl.zeroDoubles)
        z->AppendCopies(n, 0.0);
    for (LongChannel* z : pl.zeroLongs)
        z->AppendCopies(n, 0);
}

void TimeWriter::writeRecords(const Columns& columns, const std::vector<const unsigned char*>& shows,
                              std::size_t first, std::size_t last, Extremes& extremes)
{
    // Field by field over a block of records: each leaf is written in one run,
    // while the block's slots of one object stay in the first cache.
    const unsigned char* recs[kRecordsPerBlock];
    for (std::size_t from = first; from < last; from += kRecordsPerBlock) {
        const std::size_t n = std::min(last, from + kRecordsPerBlock) - from;
        const unsigned char* const* block = shows.data() + from;
        // The next block's records are fetched while this one is decoded: taken
        // out a field at a time, they would each be waited for.
        const std::size_t next = std::min(last, from + 2 * kRecordsPerBlock);
        for (std::size_t k = from + n; k < next; ++k)
            for (std::size_t b = 0; b < short_showinfo_t2::size; b += 64)
                __builtin_prefetch(shows[k] + b);
        // And the places the next block is written to, made ready for writing.
        if (next > from + n) {
            const std::size_t at = from + n;
            for (std::size_t c = 0; c < 4; ++c)
                for (std::size_t b = 0; b < kRecordsPerBlock; b += 8)
                    __builtin_prefetch(columns.ball[c] + at + b, 1);
            for (const Columns::Player& out : columns.players) {
                for (std::size_t f = 0; f < 10; ++f)
                    for (std::size_t b = 0; b < kRecordsPerBlock; b += 8)
                        __builtin_prefetch(out.fixed[f] + at + b, 1);
                __builtin_prefetch(out.type + at, 1);
                __builtin_prefetch(out.mode + at, 1);
                __builtin_prefetch(out.viewQuality + at, 1);
                for (std::size_t c = 0; c < player::kCountCount; ++c)
                    __builtin_prefetch(out.counts[c] + at, 1);
            }
        }
        constexpr std::size_t kBall[4] = {show::kBallX, show::kBallY, show::kBallVx, show::kBallVy};
        for (std::size_t c = 0; c < 4; ++c)
            DecodeColumn(block, n, kBall[c], columns.ball[c] + from, extremes.ballLo[c], extremes.ballHi[c], kFixed);
        for (std::size_t i = 0; i < show::kPlayerCount; ++i) {
            const Columns::Player& out = columns.players[i];
            Extremes::Player& e = extremes.players[i];
            const std::size_t at = show::kPlayers + i * show::kPlayerSize;
            for (std::size_t k = 0; k < n; ++k)
                recs[k] = block[k] + at;
            for (std::size_t f = 0; f < 10; ++f)
                DecodeColumn(recs, n, kFixedOffsets[f], out.fixed[f] + from, e.lo[f], e.hi[f], kFixed);
            DecodeColumn(recs, n, player::kType, out.type + from, e.shortLo[0], e.shortHi[0], kShort);
            DecodeColumn(recs, n, player::kMode, out.mode + from, e.shortLo[1], e.shortHi[1], kShort);
            DecodeColumn(recs, n, player::kViewQuality, out.viewQuality + from, e.shortLo[2], e.shortHi[2], kShort);
            for (std::size_t c = 0; c < player::kCountCount; ++c)
                DecodeColumn(recs, n, player::kCounts + 2 * c, out.counts[c] + from, e.shortLo[3 + c],
                             e.shortHi[3 + c], kShort);
        }
    }
}

void TimeWriter::noteObject(int o, const std::vector<Extremes>& pieces)
{
    Targets& t = *m_targets;
    if (o == 0) {
        DoubleChannel* ball[4] = {t.ballX, t.ballY, t.ballDx, t.ballDy};
        for (const Extremes& e : pieces)
            for (std::size_t c = 0; c < 4; ++c)
                ball[c]->NoteAppendedExtremes(e.ballLo[c], e.ballHi[c]);
        return;
    }
    const std::size_t i = static_cast<std::size_t>(o - 1);
    Targets::Player& pl = t.players[i];
    for (const Extremes& piece : pieces) {
        const Extremes::Player& e = piece.players[i];
        pl.type->NoteAppendedExtremes(e.shortLo[0], e.shortHi[0]);
        pl.mode->NoteAppendedExtremes(e.shortLo[1], e.shortHi[1]);
        pl.viewQuality->NoteAppendedExtremes(e.shortLo[2], e.shortHi[2]);
        for (std::size_t f = 0; f < 10; ++f)
            pl.fixed[f]->NoteAppendedExtremes(e.lo[f], e.hi[f]);
        for (std::size_t c = 0; c < player::kCountCount; ++c)
            pl.counts[c]->NoteAppendedExtremes(e.shortLo[3 + c], e.shortHi[3 + c]);
    }
}

void TimeWriter::Finish()
{
    const std::size_t n = m_pending;
    // Freed on leaving.
    const std::vector<unsigned char> copies = std::move(m_shows);
    const std::vector<std::size_t> starts = std::move(m_showStarts);
    m_shows = {};
    m_showStarts = {};
    m_pending = 0;
    if (n == 0)
        return;
    std::vector<const unsigned char*> shows(n);
    for (std::size_t k = 0; k < n; ++k)
        shows[k] = m_source != nullptr ? m_source + starts[k] : copies.data() + k * short_showinfo_t2::size;
    const std::size_t before = static_cast<std::size_t>(m_targets->ballX->GetCount());
    const int objects = 1 + static_cast<int>(show::kPlayerCount);
    try {
        // Each object's leaves grow in a piece of their own; then each range of
        // records is decoded into its own cycles of every leaf; then each object's
        // leaves take the extremes each range found while writing into their own.
        Columns columns;
        ParallelFor(objects, [&](int o) { extendObject(o, n, columns); });
        const std::size_t pieces = (n + kRecordsPerPiece - 1) / kRecordsPerPiece;
        std::vector<Extremes> extremes(pieces);
        ParallelFor(static_cast<int>(pieces), [&](int piece) {
            const std::size_t first = static_cast<std::size_t>(piece) * kRecordsPerPiece;
            writeRecords(columns, shows, first, std::min(n, first + kRecordsPerPiece),
                         extremes[static_cast<std::size_t>(piece)]);
        });
        ParallelFor(objects, [&](int o) { noteObject(o, extremes); });
    } catch (...) {
        CutLeavesTo(*m_log.stream, before);
        throw;
    }
    m_log.cycles += static_cast<int>(n);
}

void TimeWriter::doHandlePlayMode(std::streampos, char playMode)
{
    const int mode = static_cast<signed char>(playMode);
    switch (mode) {
    case 3:  // "play_on" is not worth a mark in the play-mode channel
        return;
    case 14:  // "goal_l"
        ++m_leftScore;
        ++m_scoreDiff;
        break;
    case 15:  // "goal_r"
        ++m_rightScore;
        --m_scoreDiff;
        break;
    default:
        break;
    }
    m_pendingPlayMode = mode;
}

void TimeWriter::doHandleTeamInfo(std::streampos, const team_t& left, const team_t& right)
{
    m_log.leftTeam = TeamName(left);
    m_log.rightTeam = TeamName(right);
    m_log.leftScore = NetShort(left.bytes + team::kScore);
    m_log.rightScore = NetShort(right.bytes + team::kScore);
}

void TimeWriter::doHandleServerParams(std::streampos, const server_params_t& params)
{
    m_log.serverParams = params;
    m_log.serverParamsRead = true;
}

void TimeWriter::doHandlePlayerParams(std::streampos, const player_params_t& params)
{
    m_log.playerParams = params;
    m_log.playerParamsRead = true;
}

void TimeWriter::doHandlePlayerType(std::streampos, const player_type_t& type) { m_log.playerTypes.push_back(type); }

}  // namespace rcss
