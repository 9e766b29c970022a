#include "actiongraph/model/Paths.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "core/concepts/Concepts.h"
#include "core/model/RoboCupFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

const char* const kPathFunctionNames[kPathFunctionCount] = {
    "avg",          "sum",          "min",          "max",          "len",          "len*min",
    "len*max",      "min>1, len>1", "min>1, len>2", "min>2, len>1", "min>2, len>2", "avg, len>1",
    "avg, len>2",   "avg, len=1",   "avg, len=2",   "avg, len=3",   "avg, len=4"};

// ---------------------------------------------------------------------------
// The list

namespace {

bool TextBefore(const TPathItem& a, const TPathItem& b)
{
    return a.text < b.text;  // byte order: char_traits<char> compares as unsigned char
}

}  // namespace

int TPathList::IndexOfPath(const TPathObject* path) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].path.get() == path)
            return static_cast<int>(i);
    return -1;
}

int TPathList::Add(std::string text, TPathPtr path)
{
    TPathItem item{std::move(text), std::move(path)};
    auto at = sorted_ ? std::upper_bound(items_.begin(), items_.end(), item, TextBefore) : items_.end();
    const auto placed = items_.insert(at, std::move(item));
    return static_cast<int>(placed - items_.begin());
}

void TPathList::AddAll(std::vector<TPathItem> items)
{
    if (!sorted_) {
        std::move(items.begin(), items.end(), std::back_inserter(items_));
        return;
    }
    std::stable_sort(items.begin(), items.end(), TextBefore);
    std::vector<TPathItem> merged;
    merged.reserve(items_.size() + items.size());
    // Items already listed go first among equal texts, as one by one they would.
    std::merge(std::make_move_iterator(items_.begin()), std::make_move_iterator(items_.end()),
               std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()),
               std::back_inserter(merged), TextBefore);
    items_ = std::move(merged);
}

// ---------------------------------------------------------------------------
// Scoring

double PathFunctionValue(int function, int len, int sum, int min, int max)
{
    const double avg = len > 0 ? static_cast<double>(sum) / len : 0.0;
    switch (function) {
    case 0: return avg;
    case 1: return sum;
    case 2: return min;
    case 3: return max;
    case 4: return len;
    case 5: return static_cast<double>(len) * min;
    case 6: return static_cast<double>(len) * max;
    case 7: return min > 1 && len > 1 ? min : 0.0;
    case 8: return min > 1 && len > 2 ? min : 0.0;
    case 9: return min > 2 && len > 1 ? min : 0.0;
    case 10: return min > 2 && len > 2 ? min : 0.0;
    case 11: return len > 1 ? avg : 0.0;
    case 12: return len > 2 ? avg : 0.0;
    case 13: return len == 1 ? avg : 0.0;
    case 14: return len == 2 ? avg : 0.0;
    case 15: return len == 3 ? avg : 0.0;
    case 16: return len == 4 ? avg : 0.0;
    default: return 0.0;
    }
}

double PathValue(const TPathObject& path, int function)
{
    const int len = static_cast<int>(path.Connections().size());
    int sum = 0;
    int min = 10000;
    int max = 0;
    for (const TConnection* c : path.Connections()) {
        const int w = c->Weight();
        sum += w;
        min = std::min(min, w);
        max = std::max(max, w);
    }
    return PathFunctionValue(function, len, sum, min, max);
}

std::string PathValueText(double value)
{
    char buf[64];
    if (!std::isfinite(value)) {
        std::snprintf(buf, sizeof buf, "%7.2f", value);
        return buf;
    }
    // Four significant digits, at most two of them decimals: round once, at
    // the last digit kept, then pad with zeros to two decimals.
    int whole = 0;
    for (double t = std::fabs(value); t >= 1.0 && whole < 400; t /= 10.0)
        ++whole;
    // From 10000 on there are more digits than the precision holds: the value
    // is written whole, not in exponent form, so the list still reads it.
    const int decimals = whole > 4 ? 2 : std::clamp(4 - whole, 0, 2);
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    std::string text = buf;
    if (decimals == 0)
        text += ".00";
    else if (decimals == 1)
        text += "0";
    if (text.size() < 7)
        text.insert(0, 7 - text.size(), ' ');
    return text;
}

namespace {

// The role of a label piece: the common ancestor of the roles held by the
// players of every occurrence of the path's connections out of source.
ConceptObject* PieceRole(const TPathObject& path, const TNode* source, const RoboCupFileT* log)
{
    ConceptObject* role = nullptr;
    if (log) {
        for (const TConnection* c : path.Connections()) {
            if (c->From() != source)
                continue;
            for (const auto& d : c->Data())
                if (d && d->otherLength != 0)
                    role = ConceptObject::CommonAncestor(role, RoleAt(*log, d->player, d->start));
        }
    }
    if (!role && source && source->Data())
        role = source->Data()->role;
    return role;
}

}  // namespace

std::string PathLabel(const TPathObject& path, const RoboCupFileT* log, const TNameDepths& depths)
{
    std::string label;
    for (const TConnection* c : path.Connections()) {
        const TNode* source = c->From();
        ConceptObject* action = source && source->Data() ? source->Data()->action : nullptr;
        // The path is stored end first: each earlier action goes in front.
        std::string piece = " ";
        piece += depths.Role(PieceRole(path, source, log));
        piece += ':';
        piece += depths.Action(action);
        piece += label;
        label = std::move(piece);
    }
    return label;
}

std::string PathItemText(const TPathObject& path, const RoboCupFileT* log, const TNameDepths& depths)
{
    return PathValueText(path.Value()) + " #" + std::to_string(path.Connections().size()) +
           PathLabel(path, log, depths);
}

TPathItem AllPathsItem(const TPathList& items)
{
    auto all = std::make_shared<TPathObject>();
    double sum = 0.0;
    for (const TPathItem& item : items.Items()) {
        if (!item.path)
            continue;
        sum += item.path->Value();
        const auto& list = item.path->Connections();
        all->Connections().insert(all->Connections().end(), list.begin(), list.end());
    }
    all->SetValue(sum);
    return {"All paths", std::move(all)};
}

// ---------------------------------------------------------------------------
// Search

void TPathSearch::Evaluate(TPathObject& path, std::vector<TPathItem>& found) const
{
    path.SetValue(PathValue(path, function_));
    if (path.Value() == 0.0)
        return;
    auto listed = std::make_shared<TPathObject>(path);
    found.push_back({PathItemText(*listed, log_, depths_), std::move(listed)});
}

void TPathSearch::EvaluatePath(const TPathPtr& path, std::vector<TPathItem>& found) const
{
    if (!path)
        return;
    path->SetValue(PathValue(*path, function_));
    if (path->Value() != 0.0)
        found.push_back({PathItemText(*path, log_, depths_), path});
}

void TPathSearch::Extend(TNode* node, std::vector<int>& times, TPathObject& path, int k,
                         std::vector<TPathItem>& found) const
{
    if (!node || static_cast<int>(path.Connections().size()) >= kMaxPathLength)
        return;
    // Membership is all that counts: sorted, each occurrence costs a binary search.
    std::sort(times.begin(), times.end());
    auto& list = path.Connections();
    std::vector<int> matched;
    for (TConnection* c : node->InList()) {
        if (c->Weight() < k || std::find(list.begin(), list.end(), c) != list.end())
            continue;
        matched.clear();
        for (const auto& d : c->Data())
            if (d && std::binary_search(times.begin(), times.end(), d->start + d->otherLength))
                matched.push_back(d->start);
        if (static_cast<int>(matched.size()) < k)
            continue;
        list.push_back(c);
        Evaluate(path, found);
        std::vector<int> next = matched;
        Extend(c->From(), next, path, k, found);
        list.pop_back();
    }
}

void TPathSearch::ExtendPath(TNode* node, const std::vector<int>& times, const TPathObject& path, int k,
                             std::vector<TPathItem>& found) const
{
    std::vector<int> t = times;
    TPathObject p = path;
    Extend(node, t, p, k, found);
}

void TPathSearch::FindPaths(const TGraph& graph, int minCount, std::vector<TPathItem>& found) const
{
    TPathObject path;
    std::vector<int> times;
    for (int i = 0; i < graph.NodeCount(); ++i) {
        for (TConnection* c : graph.GetNode(i)->InList()) {
            if (c->Weight() < minCount)
                continue;
            times.clear();
            for (const auto& d : c->Data())
                if (d)
                    times.push_back(d->start);
            path.Connections().assign(1, c);
            Evaluate(path, found);
            Extend(c->From(), times, path, minCount, found);
        }
    }
}
