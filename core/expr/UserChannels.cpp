#include "core/expr/UserChannels.h"

#include "core/expr/Expression.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"

#include <algorithm>

namespace {

constexpr const char* kUser = "user";
constexpr const char* kPlayerWord = "PLAYER";

std::string Underscored(std::string name)
{
    std::replace(name.begin(), name.end(), '.', '_');
    return name;
}

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
// is null) when there is none. Null when a leaf has that name.
CompositeTimeChannel* FindOrAddComposite(TimeStream& stream, CompositeTimeChannel* parent, const std::string& fullName)
{
    if (TimeChannel* found = stream.FindChannel(fullName))
        return dynamic_cast<CompositeTimeChannel*>(found);
    auto* composite = new CompositeTimeChannel(kUser);
    composite->SetTimeWindow(stream.GetTimeWindow());
    if (parent != nullptr) {
        parent->AddChild(composite);
        stream.RebuildChannelLists();  // later lookups find it
    } else {
        stream.AddChannel(composite);
    }
    return composite;
}

// The parent of the row's leaf for object k (0: the top-level "user"), or null
// after telling the user why there is none.
CompositeTimeChannel* UserNode(TimeStream& stream, int k)
{
    if (k == 0) {
        CompositeTimeChannel* user = FindOrAddComposite(stream, nullptr, kUser);
        if (user == nullptr)
            platform::Notify("'user' is a data field, not a group of them", "Error");
        return user;
    }
    const std::string player = ObjectName(k);
    if (auto* existing = dynamic_cast<CompositeTimeChannel*>(stream.FindChannel(player + "." + kUser)))
        return existing;
    auto* playerChannel = dynamic_cast<CompositeTimeChannel*>(stream.FindChannel(player));
    if (playerChannel == nullptr) {
        platform::Notify("Player channel not found!", "Error");
        return nullptr;
    }
    return FindOrAddComposite(stream, playerChannel, player + "." + kUser);
}

}  // namespace

std::string CheckFieldName(const RoboCupFileT& log, const std::string& name, bool playerRow)
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
    for (const TimeChannel* leaf : log.stream->GetLeaves()) {
        const std::string& full = leaf->GetFullName();
        const std::string variable = Underscored(full);
        for (const std::string& m : made) {
            // The leaf a former run made is made again, not a clash.
            if (full != m && variable == Underscored(m))
                return "Field name '" + name + "' reads like the data field '" + full + "'";
        }
    }
    return {};
}

int CreateUserChannels(RoboCupFileT& log, const std::vector<FieldDefinition>& fields,
                       const std::function<void()>& afterLeaf)
{
    TimeStream& stream = *log.stream;
    // The name checks and the lookups see every channel, however it was added.
    stream.RebuildChannelLists();
    int computed = 0;
    for (const FieldDefinition& field : fields) {
        if (field.name.empty() && field.expression.empty())
            continue;
        // A refused text makes no leaf at all.
        if (const std::string refused = CheckExpressionText(field.expression); !refused.empty()) {
            platform::Notify(refused, "Function evaluation error !");
            platform::Beep();
            continue;
        }
        const bool playerRow = field.expression.find(kPlayerWord) != std::string::npos;
        if (const std::string bad = CheckFieldName(log, field.name, playerRow); !bad.empty()) {
            platform::Notify(bad, "Error");
            platform::Beep();
            continue;
        }
        const int first = playerRow ? 1 : 0;
        const int last = playerRow ? RoboCupFileT::kObjectCount - 1 : 0;
        for (int k = first; k <= last; ++k) {
            const std::string expression =
                playerRow ? ReplaceAll(field.expression, kPlayerWord, ObjectName(k)) : field.expression;
            CompositeTimeChannel* parent = UserNode(stream, k);
            if (parent == nullptr)
                break;
            const std::string fullName = parent->GetFullName() + "." + field.name;
            TimeChannel* existing = stream.FindChannel(fullName);
            auto* leaf = dynamic_cast<DataTimeChannel<double>*>(existing);
            if (existing == nullptr) {
                leaf = new DataTimeChannel<double>(field.name);
                // Read through the averaging window like every other leaf of the log.
                leaf->SetTimeWindow(stream.GetTimeWindow());
                parent->AddChild(leaf);
            } else if (leaf == nullptr) {
                platform::Notify("'" + fullName + "' holds no numbers of its own", "Error");
                platform::Beep();
                break;
            }
            platform::SetWaitText("Evaluating function '" + fullName + "=" + expression + "'");
            ChannelValues<double>& values = leaf->GetValues();
            values.resize(static_cast<std::size_t>(std::max(log.cycles, 0)), 0.0);
            stream.BuildRowHeader();

            LogExpression parser(log);
            if (const std::string error = parser.Parse(expression); !error.empty()) {
                platform::Notify(error, "Function evaluation error !");
                platform::Beep();
                break;
            }
            // Each value is stored before the next cycle is evaluated, so that
            // val of the own leaf at an earlier cycle reads the new value.
            for (int c = 0; c < log.cycles; ++c)
                values[static_cast<std::size_t>(c)] = parser.Evaluate(c);
            leaf->ComputeMinMax();
            ++computed;
            if (afterLeaf)
                afterLeaf();
        }
    }
    return computed;
}
