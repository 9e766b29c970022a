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
    channels.push_back(channel);
    if (channel->IsLeaf()) {
        ++lastLeafIndex;
        leaves.push_back(channel);
        return;
    }
    if (auto* composite = dynamic_cast<CompositeTimeChannel*>(channel)) {
        for (TimeChannel* child : composite->GetChildren())
            CollectChannels(child);
    }
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
