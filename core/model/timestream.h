// Time streams: every quantity of a match log lives in a typed channel holding one
// value per simulation cycle. Channels form a tree: composites only group, data
// channels hold the values. A TimeStream owns the tree of one log, keeps pre-order
// lists of all channels and of the leaves (a leaf's position in that list is its
// leaf index) and the averaging window that every read goes through. The channels
// themselves are in TimeChannel.h and DataTimeChannel.h, included here.
//
// Element types: "char" int8_t, "short" int16_t, "long" int32_t, "double" double.
#pragma once

#include "core/model/DataTimeChannel.h"
#include "core/model/TimeChannel.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TimeStream : public BasicTimeObject {
public:
    explicit TimeStream(std::string name);
    TimeStream(const TimeStream&) = delete;
    TimeStream& operator=(const TimeStream&) = delete;
    virtual ~TimeStream();

    // Takes ownership of a complete top-level subtree, gives the channel (only this
    // one, not its descendants) the stream's time window and collects the subtree.
    int AddChannel(TimeChannel* channel);
    void CollectChannels(TimeChannel* channel);
    // Collects the lists afresh, for channels added below existing composites.
    void RebuildChannelLists();
    // Makes the channel (with its subtree) the last child of parent, a
    // composite of this stream, and puts it into the lists where collecting
    // them afresh would, without walking the whole tree: a fields file adds
    // thousands of leaves one by one.
    void AttachChannel(CompositeTimeChannel* parent, TimeChannel* channel);
    // Takes the channel, top-level or below a composite, out of the tree with its
    // subtree, deletes it and collects the lists afresh (the row header stays as
    // it was: rebuild it before the next FillRow). Whoever still points into the
    // subtree must have let go. False (nothing changes) when the channel is no
    // part of this stream.
    bool DeleteChannel(TimeChannel* channel);
    // Re-collects the lists, then makes the expression language's variable list
    // (every leaf's full name with "." as "_", then "cycle") and a row buffer of
    // one double per leaf plus one for the cycle.
    void BuildRowHeader();
    // The first channel, composite or leaf, with exactly this full name; null if none.
    TimeChannel* FindChannel(const std::string& fullName) const;
    // The leaf at the leaf index; EAssertionFailed "Index out of range" outside the list.
    TimeChannel* GetChannel(int leafIndex) const
    {
        if (leafIndex < 0 || leafIndex > lastLeafIndex)
            timestream_detail::IndexOutOfRange(__LINE__);
        return leaves[static_cast<std::size_t>(leafIndex)];
    }
    // Sets the window (at least 1) of the stream and of every channel.
    void SetTimeWindow(int w);
    int GetTimeWindow() const { return timeWindow; }
    void ClearChannels();
    void ComputeAllMinMax();
    // RefreshMinMax of every leaf: after writes in place into some of them.
    void RefreshAllMinMax();
    // Writes every leaf's value at the cycle, in leaf order, into row[0 .. leaves-1];
    // the caller sets the "cycle" slot. Returns -1 and writes nothing when rowSize
    // cannot hold all leaves, else 0.
    [[nodiscard]] int FillRow(int cycle, double* row, std::size_t rowSize);
    // The same into the stream's own row buffer (made by BuildRowHeader).
    [[nodiscard]] int FillRow(int cycle) { return FillRow(cycle, rowBuffer.data(), rowBuffer.size()); }

    // A number that changes whenever the lists are collected (channels added or
    // taken out) and that no stream ever had before: whoever keeps something
    // made from the lists (a parsed expression holds leaves) compares it to
    // know that the lists are still those, even after a channel left and
    // another one took its place.
    std::uint64_t GetListsStamp() const { return listsStamp; }

    const std::vector<TimeChannel*>& GetRootChannels() const { return roots; }
    const std::vector<TimeChannel*>& GetChannels() const { return channels; }
    const std::vector<TimeChannel*>& GetLeaves() const { return leaves; }
    int GetLastLeafIndex() const { return lastLeafIndex; }
    const std::string& GetRowHeader() const { return rowHeader; }
    // Leaves + 1 doubles after BuildRowHeader, empty before.
    std::vector<double>& GetRowBuffer() { return rowBuffer; }

private:
    int timeWindow = 1;
    int lastLeafIndex = -1;
    std::uint64_t listsStamp = 0;
    std::vector<TimeChannel*> roots;     // owned, with their subtrees
    std::vector<TimeChannel*> channels;  // every channel in pre-order
    std::vector<TimeChannel*> leaves;    // the leaves in pre-order; position = leaf index
    std::string rowHeader;
    std::vector<double> rowBuffer;
};

// The leaf with this full name when it holds values of type T; null otherwise.
template <typename T>
DataTimeChannel<T>* FindLeaf(const TimeStream& stream, const std::string& fullName)
{
    return dynamic_cast<DataTimeChannel<T>*>(stream.FindChannel(fullName));
}

// The same, looked at first at leaf index `likely` (where a record made with the
// schema holds it): found there without a search over every channel, and searched
// for by name when channels added since have moved it.
template <typename T>
DataTimeChannel<T>* FindLeaf(const TimeStream& stream, const std::string& fullName, int likely)
{
    if (likely >= 0 && likely <= stream.GetLastLeafIndex()) {
        TimeChannel* leaf = stream.GetChannel(likely);
        if (leaf->GetFullName() == fullName)
            return dynamic_cast<DataTimeChannel<T>*>(leaf);
    }
    return FindLeaf<T>(stream, fullName);
}

// The stored values of a channel (null for a missing one). Derived values are
// computed from and into these, not through the user's averaging window.
template <typename T>
T* RawValues(DataTimeChannel<T>* channel)
{
    return channel != nullptr ? channel->GetValues().data() : nullptr;
}
// The same for reading only: the channel keeps its extremes, where handing its
// values out for writing would have them taken again after the derived pass.
template <typename T>
const T* ReadValues(const DataTimeChannel<T>* channel)
{
    return channel != nullptr ? channel->GetValues().data() : nullptr;
}
// The stored values of a channel when reading it at cycles 0 .. cycles - 1 gives
// them as they are: read without a window and holding that many. Null otherwise,
// also for a missing channel: then each value must be read through the channel.
template <typename T>
const T* StoredValues(const DataTimeChannel<T>* channel, int cycles)
{
    if (channel == nullptr || cycles < 0 || channel->GetTimeWindow() != 1 || channel->GetCount() < cycles)
        return nullptr;
    return channel->GetValues().data();
}
