#include "core/io/Convertlog.h"

#include "core/model/Parallel.h"
#include "core/model/RoboCupFile.h"
#include "platform/ByteOrder.h"
#include "platform/Hooks.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <utility>

namespace rcss {

double NetFixedToDouble(const unsigned char* p)
{
    return static_cast<double>(platform::ReadBE32Signed(p)) * (1.0 / 65536.0);
}

std::int16_t NetShort(const unsigned char* p) { return platform::ReadBE16Signed(p); }

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

void TimeWriter::doHandleShortShowInfo2(std::streampos, const short_showinfo_t2& show)
{
    const std::size_t before = static_cast<std::size_t>(m_targets->time->GetCount());
    try {
        appendCycle(show);
    } catch (...) {
        CutLeavesTo(*m_log.stream, before);
        m_shows.resize(m_pending * short_showinfo_t2::size);
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
    m_shows.reserve(m_shows.size() + shows * short_showinfo_t2::size);
    Targets& t = *m_targets;
    for (ShortChannel* c : {t.time, t.playMode, t.scoreDiff, t.leftScore, t.rightScore})
        c->GetValues().reserve(c->GetValues().size() + shows);
}

void TimeWriter::appendCycle(const short_showinfo_t2& show)
{
    const unsigned char* b = show.bytes;
    Targets& t = *m_targets;

    // The time field is unsigned; the "short" channel shows times above 32767 negative.
    m_time = platform::ReadBE16(b + show::kTime);
    t.time->AddValue(static_cast<std::int16_t>(m_time));
    t.playMode->AddValue(static_cast<std::int16_t>(m_pendingPlayMode));
    t.scoreDiff->AddValue(static_cast<std::int16_t>(m_scoreDiff));
    t.leftScore->AddValue(static_cast<std::int16_t>(m_leftScore));
    t.rightScore->AddValue(static_cast<std::int16_t>(m_rightScore));
    m_shows.insert(m_shows.end(), b, b + short_showinfo_t2::size);
    m_pendingPlayMode = 0;
}

namespace {

// One field of every kept record, decoded into n new values of the leaf.
template <class C, class Decode>
void WriteColumn(C* leaf, const unsigned char* shows, std::size_t offset, std::size_t n, Decode decode)
{
    leaf->AppendFilled(n, [&](auto* out) {
        const unsigned char* field = shows + offset;
        for (std::size_t i = 0; i < n; ++i, field += short_showinfo_t2::size)
            out[i] = decode(field);
    });
}

template <class C>
void WriteSame(C* leaf, std::size_t n, typename C::value_type value)
{
    leaf->AppendFilled(n, [&](typename C::value_type* out) { std::fill(out, out + n, value); });
}

}  // namespace

void TimeWriter::writeBall(const unsigned char* shows, std::size_t n)
{
    Targets& t = *m_targets;
    WriteSame(t.time2goal, n, 0);
    WriteColumn(t.ballX, shows, show::kBallX, n, NetFixedToDouble);
    WriteColumn(t.ballY, shows, show::kBallY, n, NetFixedToDouble);
    WriteColumn(t.ballDx, shows, show::kBallVx, n, NetFixedToDouble);
    WriteColumn(t.ballDy, shows, show::kBallVy, n, NetFixedToDouble);
    WriteSame(t.leftPossession, n, 0);
    WriteSame(t.rightPossession, n, 0);
    WriteSame(t.leftGoalDistance, n, 0.0);
    WriteSame(t.rightGoalDistance, n, 0.0);
    WriteSame(t.ballKickEvent, n, 0);
}

void TimeWriter::writePlayer(std::size_t i, const unsigned char* shows, std::size_t n)
{
    static constexpr std::size_t fixedOffsets[10] = {player::kX,    player::kY,         player::kVx,
                                                     player::kVy,   player::kBody,      player::kHead,
                                                     player::kViewWidth, player::kStamina, player::kEffort,
                                                     player::kRecovery};
    const std::size_t at = show::kPlayers + i * show::kPlayerSize;
    Targets::Player& pl = m_targets->players[i];
    WriteSame(pl.side, n, static_cast<std::int8_t>(i < 11 ? 'l' : 'r'));
    WriteSame(pl.unum, n, static_cast<std::int16_t>(i % 11));
    WriteColumn(pl.type, shows, at + player::kType, n, NetShort);
    WriteColumn(pl.mode, shows, at + player::kMode, n, NetShort);
    for (std::size_t f = 0; f < 10; ++f)
        WriteColumn(pl.fixed[f], shows, at + fixedOffsets[f], n, NetFixedToDouble);
    WriteColumn(pl.viewQuality, shows, at + player::kViewQuality, n, NetShort);
    for (std::size_t c = 0; c < player::kCountCount; ++c)
        WriteColumn(pl.counts[c], shows, at + player::kCounts + 2 * c, n, NetShort);
    for (CharChannel* z : pl.zeroChars)
        WriteSame(z, n, 0);
    for (ShortChannel* z : pl.zeroShorts)
        WriteSame(z, n, 0);
    for (DoubleChannel* z : pl.zeroDoubles)
        WriteSame(z, n, 0.0);
    for (LongChannel* z : pl.zeroLongs)
        WriteSame(z, n, 0);
}

void TimeWriter::Finish()
{
    const std::size_t n = m_pending;
    const std::vector<unsigned char> shows = std::move(m_shows);  // freed on leaving
    m_shows = {};
    m_pending = 0;
    if (n == 0)
        return;
    const std::size_t before = static_cast<std::size_t>(m_targets->ballX->GetCount());
    try {
        // Every piece appends to its own object's leaves only.
        ParallelFor(1 + static_cast<int>(show::kPlayerCount), [&](int piece) {
            if (piece == 0)
                writeBall(shows.data(), n);
            else
                writePlayer(static_cast<std::size_t>(piece - 1), shows.data(), n);
        });
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

int ParseRcgStream(std::istream& in, RoboCupFileT& log, std::ostream& errors)
{
    return ParseRcgStream(in, log, errors, nullptr);
}

namespace {

std::string WithoutLineEnds(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

// How many version-3 show records the rest of the input could hold at most:
// what the reading makes room for. 0 when the input cannot tell its size.
std::size_t ShowsThatFit(std::istream& in)
{
    if (in.fail())
        return 0;
    const std::streampos here = in.tellg();
    if (here == std::streampos(-1))
        return 0;
    in.seekg(0, std::ios::end);
    const std::streampos end = in.tellg();
    in.clear();
    in.seekg(here);
    if (end == std::streampos(-1) || end <= here)
        return 0;
    return static_cast<std::size_t>(end - here) / (2 + rcss::short_showinfo_t2::size) + 1;
}

}  // namespace

int ParseRcgStream(std::istream& in, RoboCupFileT& log, std::ostream& errors, RcgReadResult* result)
{
    RcgReadResult r;
    r.opened = !in.fail();
    // Where the record that ended the reading began: when the input goes on
    // beyond it, the input ended inside that record.
    std::streampos lastStart = -1;
    std::unique_ptr<rcss::TimeWriter> writer;
    auto unknownError = [&] {
        errors << "Unknown error occured\n";
        errors.flush();
        r.error = "Unknown error occured";
    };
    try {
        writer = std::make_unique<rcss::TimeWriter>(log);
        writer->Reserve(ShowsThatFit(in));
        rcss::RCGParser parser(*writer);
        while (parser.parse(in)) {
        }
        lastStart = parser.recordStart();
    } catch (const std::string& text) {
        errors << text << std::endl;
        r.error = WithoutLineEnds(text);
    } catch (...) {
        unknownError();
    }
    // The records read before a bad one stay.
    if (writer) {
        try {
            writer->Finish();
        } catch (...) {
            unknownError();
        }
    }
    if (writer)
        r.version = writer->getLogVersion();
    if (r.opened) {
        in.clear();
        in.seekg(0, std::ios::end);
        const std::streampos end = in.tellg();
        if (end != std::streampos(-1)) {
            r.size = static_cast<std::int64_t>(end);
            r.truncated = r.error.empty() && lastStart != std::streampos(-1) && lastStart < end;
        }
    }
    if (result)
        *result = std::move(r);
    return 0;
}

int ParseRcgFile(const std::string& fileName, RoboCupFileT& log, std::ostream& errors, RcgReadResult* result)
{
    std::ifstream in(fileName, std::ios::binary);
    return ParseRcgStream(in, log, errors, result);
}

int ParseRcgFile(const std::string& fileName, RoboCupFileT& log, std::ostream& errors)
{
    return ParseRcgFile(fileName, log, errors, nullptr);
}

int ParseRcgFile(const std::string& fileName, RoboCupFileT& log) { return ParseRcgFile(fileName, log, std::cerr); }

int ReadRcgFile(const std::string& fileName, RoboCupFileT& log) { return ReadRcgFile(fileName, log, std::cerr); }

int ReadRcgFile(const std::string& fileName, RoboCupFileT& log, std::ostream& errors)
{
    return ReadRcgFile(fileName, log, errors, nullptr);
}

int ReadRcgFile(const std::string& fileName, RoboCupFileT& log, RcgReadResult* result)
{
    return ReadRcgFile(fileName, log, std::cerr, result);
}

int ReadRcgFile(const std::string& fileName, RoboCupFileT& log, std::ostream& errors, RcgReadResult* result)
{
    log.cycles = 0;
    if (log.stream)
        log.stream->ClearChannels();
    // A second read must not resolve type indices against the types of the first.
    log.playerTypes.clear();
    ParseRcgFile(fileName, log, errors, result);
    // Derived over whatever cycles were read, also after a bad record.
    log.ComputeCalculatedFields();
    return 0;
}
