#include "core/model/timestream.h"

#include "core/model/Parallel.h"

#include <algorithm>
#include <atomic>

namespace {

std::uint64_t NewListsStamp()
{
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

// The subtree's channels and leaves in pre-order.
void CollectSubtree(TimeChannel* channel, std::vector<TimeChannel*>& channels, std::vector<TimeChannel*>& leaves)
{
    channels.push_back(channel);
    if (channel->IsLeaf()) {
        leaves.push_back(channel);
        return;
    }
    if (auto* composite = dynamic_cast<CompositeTimeChannel*>(channel)) {
        for (TimeChannel* child : composite->GetChildren())
            CollectSubtree(child, channels, leaves);
    }
}

}  // namespace

TimeStream::TimeStream(std::string name) : BasicTimeObject(std::move(name)), listsStamp(NewListsStamp()) {}

TimeStream::~TimeStream()
{
    for (TimeChannel* root : roots)
        delete root;
}

int TimeStream::AddChannel(TimeChannel* channel)
{
    channel->SetTimeWindow(timeWindow);
    roots.push_back(channel);
    CollectChannels(channel);
    listsStamp = NewListsStamp();
    return 0;
}

void TimeStream::CollectChannels(TimeChannel* channel)
{
    CollectSubtree(channel, channels, leaves);
    lastLeafIndex = static_cast<int>(leaves.size()) - 1;
}

void TimeStream::RebuildChannelLists()
{
    channels.clear();
    leaves.clear();
    lastLeafIndex = -1;
    for (TimeChannel* root : roots)
        CollectChannels(root);
    listsStamp = NewListsStamp();
}

void TimeStream::AttachChannel(CompositeTimeChannel* parent, TimeChannel* channel)
{
    // In pre-order the new subtree comes right before the channel that follows
    // parent's subtree: the next sibling of parent or of its nearest ancestor
    // that has one; at the end when there is none.
    TimeChannel* after = nullptr;
    for (TimeChannel* c = parent; c != nullptr && after == nullptr; c = c->GetParent()) {
        const std::vector<TimeChannel*>& siblings = c->GetParent() ? c->GetParent()->GetChildren() : roots;
        const auto at = std::find(siblings.begin(), siblings.end(), c);
        if (at != siblings.end() && std::next(at) != siblings.end())
            after = *std::next(at);
    }
    parent->AddChild(channel);
    std::vector<TimeChannel*> newChannels;
    std::vector<TimeChannel*> newLeaves;
    CollectSubtree(channel, newChannels, newLeaves);
    const auto place = after ? std::find(channels.begin(), channels.end(), after) : channels.end();
    // The leaves go before the first leaf from there on.
    const auto firstLeaf = std::find_if(place, channels.end(), [](const TimeChannel* c) { return c->IsLeaf(); });
    const auto leafPlace =
        firstLeaf == channels.end() ? leaves.end() : std::find(leaves.begin(), leaves.end(), *firstLeaf);
    leaves.insert(leafPlace, newLeaves.begin(), newLeaves.end());
    channels.insert(place, newChannels.begin(), newChannels.end());
    lastLeafIndex += static_cast<int>(newLeaves.size());
    listsStamp = NewListsStamp();
}

bool TimeStream::DeleteChannel(TimeChannel* channel)
{
    if (std::find(channels.begin(), channels.end(), channel) == channels.end())
        return false;
    if (CompositeTimeChannel* parent = channel->GetParent()) {
        parent->ReleaseChild(channel);
    } else {
        const auto root = std::find(roots.begin(), roots.end(), channel);
        if (root == roots.end())
            return false;
        roots.erase(root);
    }
    delete channel;
    RebuildChannelLists();
    return true;
}

void TimeStream::BuildRowHeader()
{
    RebuildChannelLists();
    rowBuffer.clear();
    rowHeader.clear();
    for (const TimeChannel* leaf : leaves) {
        std::string converted = leaf->GetFullName();
        std::replace(converted.begin(), converted.end(), '.', '_');
        rowHeader += converted;
        rowHeader += ',';
    }
    rowHeader += "cycle";
    rowBuffer.assign(leaves.size() + 1, 0.0);
}

TimeChannel* TimeStream::FindChannel(const std::string& fullName) const
{
    for (TimeChannel* channel : channels) {
        if (channel->GetFullName() == fullName)
            return channel;
    }
    return nullptr;
}

void TimeStream::SetTimeWindow(int w)
{
    timeWindow = w < 1 ? 1 : w;
    for (TimeChannel* channel : channels)
        channel->SetTimeWindow(timeWindow);
}

void TimeStream::ClearChannels()
{
    for (TimeChannel* channel : channels)
        channel->Clear();
}

void TimeStream::ComputeAllMinMax()
{
    // Each piece takes its own leaves.
    constexpr std::size_t kLeavesPerPiece = 64;
    ParallelFor(static_cast<int>((leaves.size() + kLeavesPerPiece - 1) / kLeavesPerPiece), [this](int piece) {
        const std::size_t from = static_cast<std::size_t>(piece) * kLeavesPerPiece;
        for (std::size_t i = from; i < leaves.size() && i < from + kLeavesPerPiece; ++i)
            leaves[i]->ComputeMinMax();
    });
}

void TimeStream::RefreshAllMinMax()
{
    constexpr std::size_t kLeavesPerPiece = 64;
    ParallelFor(static_cast<int>((leaves.size() + kLeavesPerPiece - 1) / kLeavesPerPiece), [this](int piece) {
        const std::size_t from = static_cast<std::size_t>(piece) * kLeavesPerPiece;
        for (std::size_t i = from; i < leaves.size() && i < from + kLeavesPerPiece; ++i)
            leaves[i]->RefreshMinMax();
    });
}

int TimeStream::FillRow(int cycle, double* row, std::size_t rowSize)
{
    if (row == nullptr || rowSize < leaves.size())
        return -1;
    for (std::size_t i = 0; i < leaves.size(); ++i)
        row[i] = leaves[i]->GetValue(cycle);
    return 0;
}
