#include "core/analysis/ConceptUsage.h"

#include "core/concepts/Concepts.h"
#include "core/concepts/Evaluators.h"
#include "core/model/FeatureList.h"
#include "core/model/Format.h"
#include "core/model/RoboCupFile.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

std::vector<UsageItem> BuildUsageItems(const RoboCupFileT& log, const std::array<bool, 23>& objects,
                                       const FeatureConceptRoots& roots)
{
    std::vector<ConceptObject*> concepts;
    for (ConceptObject* root : {roots.position, roots.speed, roots.ballRelative})
        if (root != nullptr)
            ConceptObject::CollectConcepts(root, &concepts, false);
    const std::size_t perObject = concepts.size();
    // Team-level items are the concepts the log's matrix has team-level features of.
    if (ConceptObject* team = log.isKeepaway ? roots.keepaway : roots.teamplay)
        ConceptObject::CollectConcepts(team, &concepts, false);

    std::unordered_map<std::string, int> featureOf;
    if (const FeatureList* f = log.features.get())
        for (int i = f->GetNumFeatures() - 1; i >= 0; --i)  // the first of equal names wins
            featureOf[f->GetName(i)] = i;
    auto find = [&](const std::string& name) {
        const auto it = featureOf.find(name);
        return it == featureOf.end() ? -1 : it->second;
    };

    std::vector<UsageItem> items;
    for (int p = 0; p < 23; ++p) {
        if (!objects[static_cast<std::size_t>(p)])
            continue;
        for (std::size_t k = 0; k < perObject; ++k) {
            const std::string label = ObjectName(p) + ":" + ConceptObject::GetPathName(concepts[k]);
            items.push_back({label, concepts[k], p, find(label)});
        }
    }
    for (std::size_t k = perObject; k < concepts.size(); ++k) {
        const std::string path = ConceptObject::GetPathName(concepts[k]);
        items.push_back({path, concepts[k], -1, find("Team:" + path)});
    }
    return items;
}

UsageCounter::UsageCounter(const FeatureList* features) { Reset(features); }

void UsageCounter::Reset(const FeatureList* features)
{
    const int n = features ? features->GetNumFeatures() : 0;
    const int instances = features ? features->GetNumInstances() : 0;
    if (features == features_ && static_cast<int>(sums_.size()) == n && instances == instances_)
        return;
    features_ = features;
    instances_ = instances;
    sums_.assign(static_cast<std::size_t>(n), {});
}

const std::vector<std::int32_t>& UsageCounter::Sums(int feature)
{
    std::vector<std::int32_t>& sums = sums_[static_cast<std::size_t>(feature)];
    if (sums.empty()) {
        sums.resize(static_cast<std::size_t>(instances_) + 1);
        const std::uint8_t mask = static_cast<std::uint8_t>(1u << (feature % 8));
        const int byte = feature / 8;
        std::int32_t run = 0;
        for (int t = 0; t < instances_; ++t) {
            run += (features_->GetRow(t)[byte] & mask) ? 1 : 0;
            sums[static_cast<std::size_t>(t) + 1] = run;
        }
    }
    return sums;
}

int UsageCounter::RangeCount(int feature, int from, int to)
{
    if (features_ == nullptr || feature < 0 || feature >= static_cast<int>(sums_.size()))
        return 0;
    from = std::clamp(from, 0, instances_);
    to = std::clamp(to, 0, instances_);
    if (to <= from)
        return 0;
    const std::vector<std::int32_t>& s = Sums(feature);
    return s[static_cast<std::size_t>(to)] - s[static_cast<std::size_t>(from)];
}

int UsageCounter::Bit(int feature, int cycle) const
{
    if (features_ == nullptr || feature < 0 || feature >= static_cast<int>(sums_.size()) || cycle < 0 ||
        cycle >= instances_)
        return 0;
    return features_->GetBit(feature, cycle);
}

std::vector<int> MarksInLog(const std::vector<int>& marks, int cycles)
{
    std::vector<int> in;
    for (int m : marks)
        if (m >= 0 && m < cycles)
            in.push_back(m);
    return in;
}

UsageStats ComputeUsage(UsageCounter& counter, int feature, int from, int to, const std::vector<int>& marks)
{
    UsageStats s;
    const int length = to - from;
    s.rangeCount = counter.RangeCount(feature, from, to);
    for (int m : marks) {
        if (counter.Bit(feature, m)) {
            ++s.marksCount;
            if (m >= from && m < to)
                ++s.innerMarks;
        }
    }
    s.cleanCount = s.rangeCount - s.innerMarks;
    const int cleanLength = length - s.innerMarks;
    s.rangeRatio = length > 0 ? static_cast<double>(s.rangeCount) / length : kNoRatio;
    s.marksRatio = !marks.empty() ? static_cast<double>(s.marksCount) / static_cast<double>(marks.size()) : kNoRatio;
    s.cleanRatio = cleanLength > 0 ? static_cast<double>(s.cleanCount) / cleanLength : kNoRatio;
    s.rangeToMarks = s.rangeRatio - s.marksRatio;
    s.cleanToMarks = s.cleanRatio - s.marksRatio;
    s.rangeIndex = s.marksRatio - s.cleanRatio;
    const double both = s.cleanRatio + s.marksRatio;
    s.cleanIndex = both > 0 ? std::fabs(s.cleanRatio - s.marksRatio) / both : kNoRatio;
    s.tfIdf = s.rangeCount > 0 ? s.marksCount * std::log2(static_cast<double>(length) / s.rangeCount) : -kNoRatio;
    return s;
}

std::vector<std::string> UsageRowTexts(const std::string& label, const UsageStats& s)
{
    auto f = [](double v) { return FormatFloatFixed(v, 8, 3); };
    return {label,
            std::to_string(s.rangeCount),
            f(s.rangeRatio),
            std::to_string(s.marksCount),
            f(s.marksRatio),
            std::to_string(s.cleanCount),
            f(s.cleanRatio),
            f(s.rangeToMarks),
            f(s.cleanToMarks),
            f(s.rangeIndex),
            f(s.cleanIndex),
            f(s.tfIdf)};
}

const std::vector<std::string>& UsageHeaders()
{
    static const std::vector<std::string> headers = {
        "Concept",     "Range count", "Range ratio",          "Marks count",          "Marks ratio", "Clean count",
        "Clean ratio", "Range to Marks ratio", "Clean to Marks ratio", "Range index", "Clean index", "TF*IDF"};
    return headers;
}

std::vector<int> ExchangeSortDescending(const std::vector<double>& values)
{
    const int n = static_cast<int>(values.size());
    std::vector<int> order(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        order[static_cast<std::size_t>(i)] = i;
    auto v = [&](int k) { return values[static_cast<std::size_t>(order[static_cast<std::size_t>(k)])]; };
    for (int i = 0; i + 1 < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (v(i) < v(j))
                std::swap(order[static_cast<std::size_t>(i)], order[static_cast<std::size_t>(j)]);
    return order;
}

bool EvaluateItem(const UsageItem& item, RoboCupFileT& log, int cycle)
{
    if (item.node == nullptr || cycle < 0 || cycle >= log.cycles)
        return false;
    BasicGameData situation;
    situation.file = &log;
    situation.cycle = cycle;
    situation.object = item.object;
    if (item.object >= 0 && item.object < RoboCupFileT::kObjectCount) {
        const auto* x = log.posXChannel[static_cast<std::size_t>(item.object)];
        const auto* y = log.posYChannel[static_cast<std::size_t>(item.object)];
        if (x != nullptr && y != nullptr && cycle < x->GetCount() && cycle < y->GetCount()) {
            situation.x = x->Get(cycle);
            situation.y = y->Get(cycle);
        }
    }
    return item.node->Evaluate(&situation);
}
