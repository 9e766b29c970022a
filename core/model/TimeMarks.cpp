#include "core/model/TimeMarks.h"

#include "core/model/Common.h"
#include "core/model/Format.h"

#include <algorithm>
#include <iterator>

bool TimeMarks::Contains(int cycle) const { return std::binary_search(marks_.begin(), marks_.end(), cycle); }

namespace {

void SortUnique(std::vector<int>& cycles)
{
    std::sort(cycles.begin(), cycles.end());
    cycles.erase(std::unique(cycles.begin(), cycles.end()), cycles.end());
}

}  // namespace

bool TimeMarks::Add(int cycle)
{
    auto at = std::lower_bound(marks_.begin(), marks_.end(), cycle);
    if (at != marks_.end() && *at == cycle)
        return false;
    marks_.insert(at, cycle);
    Changed();
    return true;
}

int TimeMarks::AddAll(std::vector<int> cycles)
{
    SortUnique(cycles);
    // Both lists ascending and free of repeats: their union holds each cycle once.
    std::vector<int> joined;
    joined.reserve(marks_.size() + cycles.size());
    std::set_union(marks_.begin(), marks_.end(), cycles.begin(), cycles.end(), std::back_inserter(joined));
    const int added = static_cast<int>(joined.size()) - Count();
    if (added == 0)
        return 0;
    marks_.swap(joined);
    Changed();
    return added;
}

int TimeMarks::RemoveAll(std::vector<int> cycles)
{
    SortUnique(cycles);
    std::vector<int> kept;
    kept.reserve(marks_.size());
    std::set_difference(marks_.begin(), marks_.end(), cycles.begin(), cycles.end(), std::back_inserter(kept));
    const int removed = Count() - static_cast<int>(kept.size());
    if (removed == 0)
        return 0;
    marks_.swap(kept);
    Changed();
    return removed;
}

bool TimeMarks::RemoveAt(int index)
{
    if (index < 0 || index >= Count())
        return false;
    marks_.erase(marks_.begin() + index);
    Changed();
    return true;
}

void TimeMarks::Invert(int cycles)
{
    std::vector<int> inverted;
    inverted.reserve(static_cast<std::size_t>(std::max(0, cycles)));
    auto mark = std::lower_bound(marks_.begin(), marks_.end(), 0);
    for (int c = 0; c < cycles; ++c) {
        while (mark != marks_.end() && *mark < c)
            ++mark;
        if (mark == marks_.end() || *mark != c)
            inverted.push_back(c);
    }
    marks_.swap(inverted);
    Changed();
}

void TimeMarks::Reset(int cycles)
{
    marks_.clear();
    for (int c = 0; c < cycles; ++c)
        marks_.push_back(c);
    Changed();
}

void TimeMarks::Clear()
{
    if (marks_.empty())
        return;
    marks_.clear();
    Changed();
}

void TimeMarks::Assign(std::vector<int> cycles)
{
    SortUnique(cycles);
    marks_.swap(cycles);
    Changed();
}

std::string TimeMarks::ToText() const
{
    std::string text;
    text.reserve(marks_.size() * 7);
    for (int c : marks_) {
        text += FormatInt6(c);
        text += ' ';
    }
    return text;
}

std::vector<int> TimeMarks::ParseText(std::string_view text)
{
    std::vector<int> cycles;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == ' ') {
            ++pos;
            continue;
        }
        const std::size_t end = std::min(text.find(' ', pos), text.size());
        cycles.push_back(StrToIntTrim(std::string(text.substr(pos, end - pos))));
        pos = end;
    }
    return cycles;
}

bool TimeMarks::Paste(std::string_view text)
{
    // An empty or blank clipboard is no list of marks: it keeps them.
    if (text.find_first_not_of(" \t\r\n\v\f") == std::string_view::npos)
        return false;
    Assign(ParseText(text));
    return true;
}

void TimeMarks::Changed()
{
    ++revision_;
    if (onChanged_)
        onChanged_();
}
