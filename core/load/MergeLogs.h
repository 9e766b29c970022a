// Merging logs: the play of one team from several logs becomes one new log in
// which that team always plays on the left and its opponents are called
// "Others". The merged log is analysed like a read one: derived channels,
// events, roles and features are computed anew over all its cycles. Also the
// team list of the team chooser. No window is involved: the main window and the
// batch test drive these.
#pragma once

#include <memory>
#include <string>
#include <vector>

class RoboCupFileT;
class TimeChannel;

// ---- The team chooser's list ---------------------------------------------------------

struct TeamCount {
    std::string name;  // as first met
    int count = 0;     // left and right names of every log: a team playing itself counts twice
};

struct TeamList {
    // Sorted without regard to letter case; names differing only in case are one entry.
    std::vector<TeamCount> teams;
    int best = -1;  // the first entry with the largest count; -1 without entries
};

// The teams of the logs with the number of logs (and sides) a merge of each
// would take: a merge named after the team and the prefix leaves out the
// earlier merge of that name (MergeSources), so that log does not count for
// the team, and a team only such a log has is not listed.
TeamList CountTeams(const std::vector<const RoboCupFileT*>& logs, const std::string& prefix = {});
// "name (count x)".
std::string TeamEntryText(const TeamCount& team);
// The team of an entry: its text up to the first " (".
std::string TeamOfEntry(const std::string& entry);

// ---- The merge -----------------------------------------------------------------------

inline constexpr const char* kMergedRightTeam = "Others";

// name + "-Others.rcg".
std::string MergedFileName(const std::string& name);

// The logs in which the team plays (left or right name equal to team, exact
// comparison), in the given order. A log named as the merged log of name (an
// earlier merge) is left out: the merge replaces it.
std::vector<RoboCupFileT*> MergeSources(const std::vector<RoboCupFileT*>& logs, const std::string& team,
                                        const std::string& name);

// Appends the team's play in source to merged (created with the full schema):
// cycles, scores (a score not read counts 0), parameter records, player types
// (source's type numbers moved past merged's earlier types), and a value per
// cycle for every leaf of merged. When the team played on the right in source,
// everything with a direction is mirrored: positions and velocities negated,
// body angles turned by pi and kept in -pi .. pi (head angles, counted from
// the body, stay), the score difference negated, play modes of the two sides
// exchanged, the right team's leaves copied to the left's and back, and the
// side leaves say the side they are copied to. Events and roles are not
// copied (the analysis finds them anew). A leaf that source lacks is reported
// (the leaf's name, caption "Error requensting field") and, like one of another
// type, padded with zeros. False, and nothing appended, when the team is not
// in source.
bool AppendTeamPlay(RoboCupFileT& merged, const RoboCupFileT& source, const std::string& team);

// Appends the source leaf's values, each times scale plus offset in the leaf's
// type, onto the leaf: the values and extremes the leaf's own Append gives, in
// less time. 0, or -1 and nothing appended when the two differ in type.
int AppendLeaf(TimeChannel* leaf, TimeChannel* source, double scale, double offset);

// The merged log "<name>-Others.rcg" of the team's play in every log of logs
// that has the team, in order (wait texts "Appending file <file>", then the
// derived pass and "Computing features ..."). Its left team is name, its right
// "Others". Null when no log has the team.
std::unique_ptr<RoboCupFileT> MergeLogs(const std::string& name, const std::string& team,
                                        const std::vector<const RoboCupFileT*>& logs);
