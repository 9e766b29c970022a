#include "core/expr/UserChannels.h"

#include "core/expr/Expression.h"
#include "core/model/Format.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace {

constexpr const char* kUser = "user";
constexpr const char* kPlayerWord = "PLAYER";

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with)
{
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

bool IsIdentifier(const std::string& name)
{
    if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// The composite of that full name, made below parent (or at the top when parent
// is null) when there is none; made tells which. Null when a leaf has that name.
CompositeTimeChannel* FindOrAddComposite(TimeStream& stream, TLogNames& names, CompositeTimeChannel* parent,
                                         const std::string& fullName, bool& made)
{
    made = false;
    if (TimeChannel* found = names.Find(fullName))
        return dynamic_cast<CompositeTimeChannel*>(found);
    auto* composite = new CompositeTimeChannel(kUser);
    composite->SetTimeWindow(stream.GetTimeWindow());
    if (parent != nullptr)
        stream.AttachChannel(parent, composite);
    else
        stream.AddChannel(composite);
    names.Added(composite);  // later lookups find it
    made = true;
    return composite;
}

// The parent of the row's leaf for object k (0: the top-level "user"), made
// when missing (made says so); null with the reason when there is none.
CompositeTimeChannel* UserNode(TimeStream& stream, TLogNames& names, int k, bool& made, std::string& why)
{
    made = false;
    if (k == 0) {
        CompositeTimeChannel* user = FindOrAddComposite(stream, names, nullptr, kUser, made);
        if (user == nullptr)
            why = "'user' is a data field, not a group of them";
        return user;
    }
    const std::string player = ObjectName(k);
    if (auto* existing = dynamic_cast<CompositeTimeChannel*>(names.Find(player + "." + kUser)))
        return existing;
    auto* playerChannel = dynamic_cast<CompositeTimeChannel*>(names.Find(player));
    if (playerChannel == nullptr) {
        why = "Player channel not found";
        return nullptr;
    }
    CompositeTimeChannel* user = FindOrAddComposite(stream, names, playerChannel, player + "." + kUser, made);
    if (user == nullptr)
        why = "'" + player + "." + kUser + "' is a data field, not a group of them";
    return user;
}

// The player's text of a player row, else the row's text.
std::string TextFor(const FieldDefinition& field, bool playerRow, int k)
{
    return playerRow ? ReplaceAll(field.expression, kPlayerWord, ObjectName(k)) : field.expression;
}

// Why the row's text, or any player's text of a player row, is refused before
// parsing; "" when none is. player names the player whose text was refused.
std::string GuardRow(const FieldDefinition& field, bool playerRow, std::string& player)
{
    player.clear();
    if (std::string refused = CheckExpressionText(field.expression); !refused.empty())
        return refused;
    if (!playerRow)
        return {};
    // Player names are longer than "PLAYER": a text near the limit can pass as
    // typed and be too long for some players.
    for (int k = 1; k < RoboCupFileT::kObjectCount; ++k) {
        if (std::string refused = CheckExpressionText(TextFor(field, true, k)); !refused.empty()) {
            player = ObjectName(k);
            return refused;
        }
    }
    return {};
}

// Takes back a leaf made in this run, and the "user" node made for it.
void RemoveMade(TimeStream& stream, TLogNames& names, TimeChannel* leaf, CompositeTimeChannel* parent,
                bool parentMade)
{
    TimeChannel* gone = parentMade ? static_cast<TimeChannel*>(parent) : leaf;
    names.Removing(gone);
    stream.DeleteChannel(gone);
    stream.BuildRowHeader();
}

// A leaf of the row in work, with what taking it back needs.
struct LeafInWork {
    DataTimeChannel<double>* leaf = nullptr;
    CompositeTimeChannel* parent = nullptr;
    bool parentMade = false;
    bool existed = false;
    ChannelValues<double> before;  // an existing leaf's values from before this run
};

// A leaf made in this run goes, an existing one gets its values back.
void TakeBack(TimeStream& stream, TLogNames& names, LeafInWork& work)
{
    if (!work.existed) {
        RemoveMade(stream, names, work.leaf, work.parent, work.parentMade);
        return;
    }
    work.leaf->GetValues() = std::move(work.before);
    work.leaf->ComputeMinMax();
}

// One fields run: the rows in order, each leaf of a row made, parsed and
// evaluated over the log, and what Cancel takes back.
class FieldsRun {
public:
    FieldsRun(RoboCupFileT& log, const std::function<void()>& afterLeaf, const std::function<bool()>& cancelled)
        : log_(log), stream_(*log.stream), names_(log), afterLeaf_(afterLeaf), cancelled_(cancelled)
    {
    }

    // The row's leaves, for every player of a player row; a Cancel asked
    // for before the row ends the command there.
    void Row(std::size_t row, const FieldDefinition& field);
    UserChannelsRun& Result() { return run_; }

private:
    bool Stop() const { return cancelled_ && cancelled_(); }
    void Refuse(const std::string& player, const std::string& reason)
    {
        run_.refused.push_back({row_, field_->name, player, reason});
    }
    // Whether the row's text and name may make leaves; refused when not.
    bool Admitted(bool playerRow);
    // The row's leaf for object k computed, or nothing when the row goes no
    // further (refused, or cancelled with the leaf taken back).
    std::optional<LeafInWork> ComputeLeaf(int k, bool playerRow);
    // The leaf's parent and the leaf, made when missing; false when refused.
    bool FindOrMakeLeaf(int k, const std::string& player, const std::string& expression, LeafInWork& work);
    // Every cycle's value into the leaf; false when cancelled in between.
    bool EvaluateInto(LogExpression& parser, LeafInWork& work);

    RoboCupFileT& log_;
    TimeStream& stream_;
    TLogNames names_;
    const std::function<void()>& afterLeaf_;
    const std::function<bool()>& cancelled_;
    UserChannelsRun run_;
    std::size_t row_ = 0;                     // the row in work
    const FieldDefinition* field_ = nullptr;  // and its definition
};

void FieldsRun::Row(std::size_t row, const FieldDefinition& field)
{
    row_ = row;
    field_ = &field;
    if (Stop()) {
        run_.cancelled = true;
        return;
    }
    const bool playerRow = field.expression.find(kPlayerWord) != std::string::npos;
    if (!Admitted(playerRow))
        return;
    const int first = playerRow ? 1 : 0;
    const int last = playerRow ? RoboCupFileT::kObjectCount - 1 : 0;
    // The leaves of this row computed so far: Cancel takes back the whole
    // row, for every player, not a row made for some players only.
    std::vector<LeafInWork> done;
    for (int k = first; k <= last; ++k) {
        if (k > first && Stop()) {
            run_.cancelled = true;
            break;
        }
        std::optional<LeafInWork> work = ComputeLeaf(k, playerRow);
        if (!work)
            break;
        ++run_.computed;
        done.push_back(std::move(*work));
        if (afterLeaf_)
            afterLeaf_();
    }
    if (run_.cancelled) {
        for (auto it = done.rbegin(); it != done.rend(); ++it)
            TakeBack(stream_, names_, *it);
        run_.computed -= static_cast<int>(done.size());
    }
}

bool FieldsRun::Admitted(bool playerRow)
{
    std::string player;
    // A text the guard refuses makes no leaf at all.
    if (const std::string refused = GuardRow(*field_, playerRow, player); !refused.empty()) {
        Refuse(player, refused);
        return false;
    }
    if (const std::string bad = CheckFieldName(names_, log_, field_->name, playerRow); !bad.empty()) {
        Refuse("", bad);
        return false;
    }
    return true;
}

std::optional<LeafInWork> FieldsRun::ComputeLeaf(int k, bool playerRow)
{
    const std::string player = playerRow ? ObjectName(k) : std::string();
    const std::string expression = TextFor(*field_, playerRow, k);
    LeafInWork work;
    if (!FindOrMakeLeaf(k, player, expression, work))
        return std::nullopt;
    LogExpression parser(log_);
    if (const std::string error = parser.Parse(expression, &names_); !error.empty()) {
        // A channel that reads as data but holds none would be taken for data.
        if (!work.existed)
            RemoveMade(stream_, names_, work.leaf, work.parent, work.parentMade);
        Refuse(player, error);
        return std::nullopt;
    }
    if (!EvaluateInto(parser, work)) {
        // Half computed values are no data either.
        TakeBack(stream_, names_, work);
        return std::nullopt;
    }
    work.leaf->ComputeMinMax();
    return work;
}

bool FieldsRun::FindOrMakeLeaf(int k, const std::string& player, const std::string& expression, LeafInWork& work)
{
    std::string why;
    work.parent = UserNode(stream_, names_, k, work.parentMade, why);
    if (work.parent == nullptr) {
        Refuse(player, why);
        return false;
    }
    const std::string fullName = work.parent->GetFullName() + "." + field_->name;
    TimeChannel* existing = names_.Find(fullName);
    work.leaf = dynamic_cast<DataTimeChannel<double>*>(existing);
    work.existed = existing != nullptr;
    if (existing != nullptr && work.leaf == nullptr) {
        Refuse(player, "'" + fullName + "' holds no numbers of its own");
        return false;
    }
    // Told before the leaf is made: letting events through while a leaf
    // the parser may still refuse is in the tree would show it around.
    platform::SetWaitText("Evaluating function '" + fullName + "=" + expression + "'");
    if (existing == nullptr) {
        work.leaf = new DataTimeChannel<double>(field_->name);
        // Read through the averaging window like every other leaf of the log.
        work.leaf->SetTimeWindow(stream_.GetTimeWindow());
        // The new leaf is a variable of its own expression.
        stream_.AttachChannel(work.parent, work.leaf);
        names_.Added(work.leaf);
    }
    return true;
}

bool FieldsRun::EvaluateInto(LogExpression& parser, LeafInWork& work)
{
    ChannelValues<double>& values = work.leaf->GetValues();
    if (work.existed)
        work.before = values;
    values.resize(static_cast<std::size_t>(std::max(log_.cycles, 0)), 0.0);
    // Each value is stored before the next cycle is evaluated, so that
    // val of the own leaf at an earlier cycle reads the new value. A
    // value the evaluation fails on (a division by zero, a root or a
    // logarithm out of range) is no number: 0 would read as data.
    for (int c = 0; c < log_.cycles; ++c) {
        if ((c & 1023) == 1023 && Stop()) {
            run_.cancelled = true;
            return false;
        }
        values[static_cast<std::size_t>(c)] = parser.EvaluateValue(c);
    }
    return true;
}

}  // namespace

std::string CheckFieldName(const TLogNames& names, const RoboCupFileT& log, const std::string& name, bool playerRow)
{
    if (!IsIdentifier(name))
        return "Invalid field name '" + name + "': use letters, digits and _ only, starting with a letter or _";
    std::vector<std::string> made;
    if (playerRow) {
        for (int k = 1; k < RoboCupFileT::kObjectCount; ++k)
            made.push_back(ObjectName(k) + "." + kUser + "." + name);
    } else {
        made.push_back(std::string(kUser) + "." + name);
    }
    // The first leaf in leaf order that reads like one of the leaves made.
    const std::vector<TimeChannel*>& leaves = log.stream->GetLeaves();
    auto first = leaves.end();
    for (const std::string& m : made) {
        for (TimeChannel* leaf : names.Called(VariableName(m))) {
            // The leaf a former run made is made again, not a clash.
            if (leaf->GetFullName() != m)
                first = std::min(first, std::find(leaves.begin(), first, leaf));
        }
    }
    if (first != leaves.end())
        return "Field name '" + name + "' reads like the data field '" + (*first)->GetFullName() + "'";
    return {};
}

std::string DescribeRefusals(const std::vector<FieldRefusal>& refused)
{
    constexpr std::size_t kListed = 10;
    std::vector<std::string> lines(refused.size());  // past the listed ones only counted
    for (std::size_t i = 0; i < refused.size() && i < kListed; ++i) {
        const FieldRefusal& r = refused[i];
        lines[i] = "row " + std::to_string(r.row + 1) + " \"" + r.name + "\"";
        if (!r.player.empty())
            lines[i] += ", PLAYER = " + r.player;
        lines[i] += ": " + r.reason;
    }
    const std::string count =
        refused.size() == 1 ? "1 row was refused" : std::to_string(refused.size()) + " rows were refused";
    return count + ":\n" + ListFirst(lines, kListed, "\n", "rows");
}

UserChannelsRun CreateUserChannels(RoboCupFileT& log, const std::vector<FieldDefinition>& fields,
                                   const std::function<void()>& afterLeaf, const std::function<bool()>& cancelled)
{
    // The name checks and the lookups see every channel, however it was added.
    log.stream->RebuildChannelLists();
    FieldsRun run(log, afterLeaf, cancelled);
    for (std::size_t row = 0; row < fields.size() && !run.Result().cancelled; ++row) {
        if (!fields[row].name.empty() || !fields[row].expression.empty())
            run.Row(row, fields[row]);
    }
    // The lists were kept up leaf by leaf; the row header follows them once.
    log.stream->BuildRowHeader();
    return std::move(run.Result());
}
