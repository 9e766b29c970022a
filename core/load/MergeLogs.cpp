#include "core/load/MergeLogs.h"

#include "core/learning/Features.h"
#include "core/model/Pitch.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <unordered_map>
#include <vector>

namespace {

// ---- Team names ------------------------------------------------------------------------

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// <0, 0, >0 as a compares to b without regard to letter case.
int CompareNoCase(const std::string& a, const std::string& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char x = Lower(a[i]);
        const char y = Lower(b[i]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

void CountTeam(std::vector<TeamCount>& teams, const std::string& name)
{
    const auto at = std::lower_bound(teams.begin(), teams.end(), name, [](const TeamCount& t, const std::string& n) {
        return CompareNoCase(t.name, n) < 0;
    });
    if (at != teams.end() && CompareNoCase(at->name, name) == 0)
        ++at->count;
    else
        teams.insert(at, TeamCount{name, 1});
}

// ---- The merge ---------------------------------------------------------------------------

// The play modes that name a side, as pairs of the left and the right one:
// every mode of the list whose name ends in "_l" with the mode of the same name
// ending in "_r", so that a pair the list gains is exchanged as well.
struct SidePlayModes {
    std::vector<std::int32_t> left;
    std::vector<std::int32_t> right;
};

const SidePlayModes& MergeSwapPlayModes()
{
    static const SidePlayModes pairs = [] {
        SidePlayModes p;
        for (int mode = 0; mode < pitch::kPlayModeCount; ++mode) {
            const std::string name = PlayModeName(mode);
            if (!name.ends_with("_l"))
                continue;
            const std::string other = name.substr(0, name.size() - 2) + "_r";
            for (int partner = 0; partner < pitch::kPlayModeCount; ++partner) {
                if (other == PlayModeName(partner)) {
                    p.left.push_back(mode);
                    p.right.push_back(partner);
                }
            }
        }
        return p;
    }();
    return pairs;
}

bool Contains(std::string_view s, std::string_view word) { return s.find(word) != std::string_view::npos; }

void ReplaceAll(std::string& s, std::string_view from, std::string_view to)
{
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

// The source leaf that feeds a leaf of the merged log when the team played on
// the right: the first rule whose word the name contains swaps that word.
std::string SwappedName(std::string s)
{
    static constexpr std::pair<std::string_view, std::string_view> kRules[] = {
        {"Lplayer", "Rplayer"}, {"Rplayer", "Lplayer"}, {"l_team", "r_team"}, {"r_team", "l_team"}};
    for (const auto& [from, to] : kRules) {
        if (Contains(s, from)) {
            ReplaceAll(s, from, to);
            break;
        }
    }
    return s;
}

// Brings a leaf to exactly n values: zeros appended, or values beyond n cut.
template <typename T>
bool FitTyped(TimeChannel* leaf, std::size_t n)
{
    auto* typed = dynamic_cast<DataTimeChannel<T>*>(leaf);
    if (typed == nullptr)
        return false;
    ChannelValues<T>& values = typed->GetValues();
    if (values.size() < n) {
        typed->AppendCopies(n - values.size(), T{});
    } else if (values.size() > n) {
        values.resize(n);
        typed->ComputeMinMax();
    }
    return true;
}

void FitLeaf(TimeChannel* leaf, std::size_t n)
{
    (void)(FitTyped<std::int8_t>(leaf, n) || FitTyped<std::int16_t>(leaf, n) || FitTyped<std::int32_t>(leaf, n) ||
           FitTyped<double>(leaf, n));
}

// A side leaf ("Lplayer3.side") says the side of the player it belongs to.
bool IsSideLeaf(std::string_view name) { return name.ends_with(".side"); }

void AppendSide(TimeChannel* leaf, std::size_t n)
{
    auto* side = dynamic_cast<DataTimeChannel<std::int8_t>*>(leaf);
    if (side == nullptr)
        return;
    const std::string& name = leaf->GetFullName();
    const char word = name.starts_with("Rplayer") ? 'r' : 'l';
    side->AppendCopies(n, static_cast<std::int8_t>(word));
}

// Appends the source's values, each times scale plus offset in the leaf's
// type, as the leaf's own Append does, but written in place where Append
// copies the source first, pushes value by value and scans the whole leaf for
// its extremes: a merge appends every leaf of every log. The extremes the
// running ones reach are those of a whole scan. False when the two are not of
// one type (Append then says so).
template <typename T, typename Map>
bool AppendMapped(TimeChannel* leaf, TimeChannel* src, bool identity, Map map)
{
    // Exactly these channels: a kind of its own may append its own way.
    if (leaf == nullptr || src == nullptr || leaf == src || typeid(*leaf) != typeid(DataTimeChannel<T>) ||
        typeid(*src) != typeid(DataTimeChannel<T>))
        return false;
    auto* to = static_cast<DataTimeChannel<T>*>(leaf);
    const auto* from = static_cast<const DataTimeChannel<T>*>(src);
    const ChannelValues<T>& values = from->GetValues();
    const std::size_t n = values.size();
    T* out = to->Extend(n);
    if (std::is_integral_v<T> && identity) {
        // A whole number is itself in double, truncated and held in range.
        std::copy(values.begin(), values.end(), out);
    } else {
        for (std::size_t k = 0; k < n; ++k)
            out[k] = ToElement<T>(map(static_cast<double>(values[k])));
    }
    to->NoteAppended(n);
    return true;
}

template <typename T>
bool AppendInPlace(TimeChannel* leaf, TimeChannel* src, double scale, double offset)
{
    return AppendMapped<T>(leaf, src, scale == 1.0 && offset == 0.0,
                           [scale, offset](double v) { return v * scale + offset; });
}

// An angle turned by half a circle, back in -pi .. pi where a read log keeps
// its angles: v + pi alone would give 0 .. 2 pi for the mirrored team, and an
// expression or a concept comparing angles would read the two teams apart.
double TurnedByPi(double v) { return std::remainder(v + std::numbers::pi, 2 * std::numbers::pi); }

// The source's body angles as the mirrored team's: each turned by pi. Every
// log keeps its angles as doubles; a leaf of another kind is refused as
// AppendLeaf refuses one (-1), and padded.
int AppendTurnedAngle(TimeChannel* leaf, TimeChannel* src)
{
    return AppendMapped<double>(leaf, src, false, TurnedByPi) ? 0 : -1;
}

// Appends the source's values onto the merged leaf by the first rule that
// applies to the source's name s; -1 when the types differ.
int AppendByRule(TimeChannel* leaf, TimeChannel* src, const std::string& s, bool swap, double typeOffset)
{
    if (Contains(s, ".type"))
        return AppendLeaf(leaf, src, 1.0, typeOffset);
    if (swap) {
        // Mirrored through the centre: every coordinate and velocity, and the
        // score difference, now counted from the other side.
        if (Contains(s, "pos.") || Contains(s, "zone.") || Contains(s, "vel.") || s == "score.diff")
            return AppendLeaf(leaf, src, -1.0, 0.0);
        if (Contains(s, "calculated.event") || Contains(s, "calculated.role"))
            return AppendLeaf(leaf, src, 0.0, 0.0);
        // The body angle is the pitch's own direction and turns with the
        // pitch; the head angle is counted from the body and stays as it is.
        if (Contains(s, "body_angle"))
            return AppendTurnedAngle(leaf, src);
        if (Contains(s, "play_mode")) {
            const SidePlayModes& modes = MergeSwapPlayModes();
            return leaf->AppendMapped(src, static_cast<int>(modes.left.size()), modes.left.data(),
                                      modes.right.data());
        }
        return AppendLeaf(leaf, src, 1.0, 0.0);
    }
    if (Contains(s, "calculated.event"))
        return AppendLeaf(leaf, src, 0.0, 0.0);
    return AppendLeaf(leaf, src, 1.0, 0.0);
}

int ReadScore(int score) { return score < 0 ? 0 : score; }

}  // namespace

int AppendLeaf(TimeChannel* leaf, TimeChannel* source, double scale, double offset)
{
    if (AppendInPlace<std::int8_t>(leaf, source, scale, offset) ||
        AppendInPlace<std::int16_t>(leaf, source, scale, offset) ||
        AppendInPlace<std::int32_t>(leaf, source, scale, offset) || AppendInPlace<double>(leaf, source, scale, offset))
        return 0;
    return leaf->Append(source, scale, offset);
}

// ---- The team chooser's list -------------------------------------------------------------

TeamList CountTeams(const std::vector<const RoboCupFileT*>& logs, const std::string& prefix)
{
    TeamList list;
    for (const RoboCupFileT* log : logs) {
        if (log == nullptr)
            continue;
        for (const std::string* team : {&log->leftTeam, &log->rightTeam})
            if (log->fileName != MergedFileName(*team + prefix))
                CountTeam(list.teams, *team);
    }
    int largest = 0;
    for (std::size_t i = 0; i < list.teams.size(); ++i) {
        if (list.teams[i].count > largest) {
            largest = list.teams[i].count;
            list.best = static_cast<int>(i);
        }
    }
    return list;
}

std::string TeamEntryText(const TeamCount& team) { return team.name + " (" + std::to_string(team.count) + " x)"; }

std::string TeamOfEntry(const std::string& entry) { return entry.substr(0, entry.find(" (")); }

// ---- The merge -----------------------------------------------------------------------------

std::string MergedFileName(const std::string& name) { return name + "-Others.rcg"; }

std::vector<RoboCupFileT*> MergeSources(const std::vector<RoboCupFileT*>& logs, const std::string& team,
                                        const std::string& name)
{
    const std::string merged = MergedFileName(name);
    std::vector<RoboCupFileT*> sources;
    for (RoboCupFileT* log : logs) {
        if (log == nullptr || log->fileName == merged)
            continue;
        if (log->leftTeam == team || log->rightTeam == team)
            sources.push_back(log);
    }
    return sources;
}

bool AppendTeamPlay(RoboCupFileT& merged, const RoboCupFileT& source, const std::string& team)
{
    bool swap = false;
    if (source.leftTeam == team) {
        merged.leftScore += ReadScore(source.leftScore);
        merged.rightScore += ReadScore(source.rightScore);
    } else if (source.rightTeam == team) {
        swap = true;
        merged.leftScore += ReadScore(source.rightScore);
        merged.rightScore += ReadScore(source.leftScore);
    } else {
        return false;
    }
    const int before = std::max(merged.cycles, 0);
    const int added = std::max(source.cycles, 0);
    merged.cycles = before + added;

    // The last source's parameters stand; its player types follow the earlier ones.
    merged.serverParams = source.serverParams;
    merged.playerParams = source.playerParams;
    merged.serverParamsRead = source.serverParamsRead;
    merged.playerParamsRead = source.playerParamsRead;
    const double typeOffset = static_cast<double>(merged.playerTypes.size());
    merged.playerTypes.insert(merged.playerTypes.end(), source.playerTypes.begin(), source.playerTypes.end());

    // One name lookup per source, not a search of every channel per leaf.
    std::unordered_map<std::string_view, TimeChannel*> byName;
    byName.reserve(source.stream->GetChannels().size());
    for (TimeChannel* channel : source.stream->GetChannels())
        byName.emplace(channel->GetFullName(), channel);

    const std::size_t target = static_cast<std::size_t>(merged.cycles);
    for (TimeChannel* leaf : merged.stream->GetLeaves()) {
        const std::string s = swap ? SwappedName(leaf->GetFullName()) : leaf->GetFullName();
        const auto found = byName.find(s);
        if (found == byName.end()) {
            platform::Notify(s, "Error requensting field");
        } else if (IsSideLeaf(s)) {
            AppendSide(leaf, static_cast<std::size_t>(found->second->GetCount()));
        } else {
            AppendByRule(leaf, found->second, s, swap, typeOffset);
        }
        // Whatever could not be copied is zeros: every leaf keeps one value per cycle.
        FitLeaf(leaf, target);
    }
    return true;
}

std::unique_ptr<RoboCupFileT> MergeLogs(const std::string& name, const std::string& team,
                                        const std::vector<const RoboCupFileT*>& logs)
{
    std::unique_ptr<RoboCupFileT> merged = CreateFileRecord(MergedFileName(name));
    merged->leftScore = 0;
    merged->rightScore = 0;
    merged->cycles = 0;
    merged->leftTeam = name;
    merged->rightTeam = kMergedRightTeam;
    bool any = false;
    for (const RoboCupFileT* log : logs) {
        if (log == nullptr || (log->leftTeam != team && log->rightTeam != team))
            continue;
        platform::SetWaitText("Appending file " + log->fileName);
        any = AppendTeamPlay(*merged, *log, team) || any;
    }
    if (!any)
        return nullptr;
    merged->ComputeCalculatedFields();
    platform::SetWaitText("Computing features ...");
    ComputeFeatures(merged.get());
    return merged;
}
