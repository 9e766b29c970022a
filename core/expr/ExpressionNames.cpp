// TLogNames: the log's channels by full name and by the name the expression
// language reads a leaf by, kept up to date leaf by leaf.
#include "core/expr/Expression.h"

#include "core/model/RoboCupFile.h"

#include <algorithm>

namespace {

// A name of letters, digits and "_" that starts with no digit and holds a "_":
// none of the parser's own names, the object names, the functions or "cycle"
// holds one, so such a name can clash only with another leaf's or an "id_" one.
bool Ordinary(const std::string& name)
{
    if (name.empty() || (name[0] >= '0' && name[0] <= '9') || name.find('_') == std::string::npos)
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

}  // namespace

TLogNames::TLogNames(const RoboCupFileT& log) : log_(log)
{
    for (TimeChannel* channel : log.stream->GetChannels()) {
        byFullName_[channel->GetFullName()].push_back(channel);
        if (channel->IsLeaf())
            byVariable_[VariableName(channel->GetFullName())].push_back(channel);
    }
}

bool TLogNames::Takes(const std::string& variable) const
{
    const auto known = [this](const std::string& name) { return byVariable_.count(name) != 0; };
    return Ordinary(variable) && !known(variable) && !known("id_" + variable) &&
           !(variable.compare(0, 3, "id_") == 0 && known(variable.substr(3)));
}

void TLogNames::Added(TimeChannel* channel)
{
    byFullName_[channel->GetFullName()].push_back(channel);
    if (channel->IsLeaf()) {
        const std::string variable = VariableName(channel->GetFullName());
        // A name out of the ordinary is left to the parser to judge, once asked.
        if (taken_ && !askParser_ && !Takes(variable))
            askParser_ = true;
        byVariable_[variable].push_back(channel);
    }
    if (const auto* composite = dynamic_cast<const CompositeTimeChannel*>(channel))
        for (TimeChannel* child : composite->GetChildren())
            Added(child);
}

void TLogNames::Removing(TimeChannel* channel)
{
    const auto drop = [channel](auto& map, const std::string& name) {
        const auto it = map.find(name);
        if (it == map.end())
            return;
        std::erase(it->second, channel);
        if (it->second.empty())
            map.erase(it);
    };
    drop(byFullName_, channel->GetFullName());
    if (channel->IsLeaf()) {
        drop(byVariable_, VariableName(channel->GetFullName()));
        // Fewer leaves may mend a refused list, never spoil a taken one.
        if (!taken_)
            askParser_ = true;
    }
    if (const auto* composite = dynamic_cast<const CompositeTimeChannel*>(channel))
        for (TimeChannel* child : composite->GetChildren())
            Removing(child);
}

TimeChannel* TLogNames::Find(const std::string& fullName) const
{
    const auto it = byFullName_.find(fullName);
    if (it == byFullName_.end())
        return nullptr;
    // Alike names are rare; the first of them is the one earliest in the lists.
    return it->second.size() == 1 ? it->second.front() : log_.stream->FindChannel(fullName);
}

const std::vector<TimeChannel*>& TLogNames::Called(std::string_view variable) const
{
    static const std::vector<TimeChannel*> none;
    const auto it = byVariable_.find(std::string(variable));
    return it == byVariable_.end() ? none : it->second;
}
