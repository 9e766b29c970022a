// Time streams: every quantity of a match log lives in a typed channel holding one
// value per simulation cycle. Channels form a tree: composites only group, data
// channels hold the values. A TimeStream owns the tree of one log, keeps pre-order
// lists of all channels and of the leaves (a leaf's position in that list is its
// leaf index) and the averaging window that every read goes through.
//
// Element types: "char" int8_t, "short" int16_t, "long" int32_t, "double" double.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

// The failed internal check of a channel read: the program's assertion failure.
// what() is the bare message; the file and line tell where the check sits.
class EAssertionFailed : public std::logic_error {
public:
    EAssertionFailed(const std::string& message, const char* file, int line)
        : std::logic_error(message), file_(file), line_(line) {}
    const char* File() const noexcept { return file_; }
    int Line() const noexcept { return line_; }

private:
    const char* file_;
    int line_;
};

namespace timestream_detail {
// Raises EAssertionFailed("Index out of range") located in "timestream.h".
[[noreturn]] void IndexOutOfRange(int line);
}  // namespace timestream_detail

// Where CreateChartSeries delivers a channel's values: the chart the user picked.
// The window layer implements it with its charting library; the core knows no chart.
class ChartSeriesSink {
public:
    virtual ~ChartSeriesSink() = default;
    // Adds one new series owned by the chart: kind 0 lines, 1 dots (small circles
    // without outline), 2 bars; titled with the channel's full name, marks hidden,
    // one point per value at x = 0, 1, 2, ...
    virtual void AddSeries(int kind, const std::string& title, const std::vector<double>& values) = 0;
};

// The main window's word filter. A channel passes when the accepted list is empty or
// one accepted word occurs in its full name, and no rejected word occurs in it.
// Words are whole lines, matched case-sensitively as substrings; an empty word
// occurs in every name.
bool PassesWordFilter(const std::string& fullName, const std::vector<std::string>& acceptWords,
                      const std::vector<std::string>& rejectWords);

class BasicTimeObject {
public:
    explicit BasicTimeObject(std::string name) : name(std::move(name)) {}
    std::string GetName() const { return name; }

protected:
    std::string name;
};

class CompositeTimeChannel;

class TimeChannel : public BasicTimeObject {
public:
    TimeChannel(std::string name, std::string typeWord)
        : BasicTimeObject(std::move(name)), typeName(std::move(typeWord)) {}
    TimeChannel(const TimeChannel&) = delete;
    TimeChannel& operator=(const TimeChannel&) = delete;

    // The virtual operations, in this order in every channel class.
    virtual ~TimeChannel() = default;
    // The value at the cycle as seen through the time window; 0 for a composite.
    virtual double GetValue(int cycle) const { (void)cycle; return 0.0; }
    virtual void Clear() {}
    virtual int GetCount() const { return 0; }
    // One chart series per leaf of this subtree that passes the word filter;
    // -1 when a leaf is refused (or the kind is not 0, 1 or 2), else 0.
    virtual int CreateChartSeries(ChartSeriesSink* chart, int kind, const std::vector<std::string>& acceptWords,
                                  const std::vector<std::string>& rejectWords)
    {
        (void)chart; (void)kind; (void)acceptWords; (void)rejectWords;
        return 0;
    }
    // Appends every leaf of this subtree that passes the word filter to the list,
    // in pre-order; -1 when a leaf is refused, else 0.
    virtual int CollectFiltered(std::vector<TimeChannel*>& list, const std::vector<std::string>& acceptWords,
                                const std::vector<std::string>& rejectWords)
    {
        (void)list; (void)acceptWords; (void)rejectWords;
        return 0;
    }
    virtual void ComputeMinMax() {}
    // The same, skipped when no value can have changed since the extremes were
    // last taken: they would come out as they are.
    virtual void RefreshMinMax() {}
    // Appends the source's raw values times scale plus offset; -1 when the source
    // has another type word (nothing changes).
    virtual int Append(TimeChannel* source, double scale, double offset)
    {
        (void)source; (void)scale; (void)offset;
        return 0;
    }
    // Appends the source's raw values with the pairs of the two tables swapped both
    // ways (fromTable[i] <-> toTable[i], the first matching pair wins); -1 when the
    // source has another type word.
    virtual int AppendMapped(TimeChannel* source, int count, const std::int32_t* fromTable,
                             const std::int32_t* toTable)
    {
        (void)source; (void)count; (void)fromTable; (void)toTable;
        return 0;
    }

    // The dotted name below the stream: "time", "Ball.pos.x".
    // Inline for the cached case: finding a channel by name compares every
    // channel's full name.
    const std::string& GetFullName() const { return fullName.empty() ? BuildFullName() : fullName; }
    std::string GetTypeName() const { return typeName; }
    bool IsLeaf() const { return isLeaf; }
    void SetTimeWindow(int w) { timeWindow = w < 1 ? 1 : w; }
    int GetTimeWindow() const { return timeWindow; }
    void SetParent(CompositeTimeChannel* composite);
    CompositeTimeChannel* GetParent() const { return parent; }

protected:
    int timeWindow = 1;
    std::string typeName;
    bool isLeaf = false;
    CompositeTimeChannel* parent = nullptr;  // not owned; null for a top-level channel
    mutable std::string fullName;            // cache; empty until first asked

private:
    const std::string& BuildFullName() const;
    void ForgetFullNames();
};

class CompositeTimeChannel : public TimeChannel {
public:
    explicit CompositeTimeChannel(std::string name) : TimeChannel(std::move(name), "COMPOSITE") {}
    ~CompositeTimeChannel() override
    {
        for (TimeChannel* child : children)
            delete child;
    }

    int CreateChartSeries(ChartSeriesSink* chart, int kind, const std::vector<std::string>& acceptWords,
                          const std::vector<std::string>& rejectWords) override
    {
        for (TimeChannel* child : children)
            child->CreateChartSeries(chart, kind, acceptWords, rejectWords);
        return 0;
    }
    int CollectFiltered(std::vector<TimeChannel*>& list, const std::vector<std::string>& acceptWords,
                        const std::vector<std::string>& rejectWords) override
    {
        for (TimeChannel* child : children)
            child->CollectFiltered(list, acceptWords, rejectWords);
        return 0;
    }

    // Takes ownership of the child and makes this composite its parent. The child's
    // time window and any stream's lists stay as they are.
    int AddChild(TimeChannel* child)
    {
        children.push_back(child);
        child->SetParent(this);
        return 0;
    }
    const std::vector<TimeChannel*>& GetChildren() const { return children; }

private:
    std::vector<TimeChannel*> children;  // owned, in order of adding
};

template <typename T>
struct ChannelTypeWord;
template <>
struct ChannelTypeWord<std::int8_t> {
    static constexpr const char* value = "char";
};
template <>
struct ChannelTypeWord<std::int16_t> {
    static constexpr const char* value = "short";
};
template <>
struct ChannelTypeWord<std::int32_t> {
    static constexpr const char* value = "long";
};
template <>
struct ChannelTypeWord<double> {
    static constexpr const char* value = "double";
};

// Converts a computed double to the element type: truncated toward zero for the
// integer types and held inside their range (a merge offset must not wrap a value
// around or overflow the conversion); NaN becomes 0.
template <typename T>
inline T ToElement(double v)
{
    if constexpr (std::is_floating_point_v<T>) {
        return static_cast<T>(v);
    } else {
        if (std::isnan(v))
            return 0;
        v = std::trunc(v);
        if (v <= static_cast<double>(std::numeric_limits<T>::min()))
            return std::numeric_limits<T>::min();
        if (v >= static_cast<double>(std::numeric_limits<T>::max()))
            return std::numeric_limits<T>::max();
        return static_cast<T>(v);
    }
}

template <typename T>
class DataTimeChannel final : public TimeChannel {
    static_assert(std::is_same_v<T, std::int8_t> || std::is_same_v<T, std::int16_t> ||
                      std::is_same_v<T, std::int32_t> || std::is_same_v<T, double>,
                  "channels hold int8_t, int16_t, int32_t or double");

public:
    using value_type = T;

    // No room is reserved: a log's reader sizes every leaf once for the cycles it
    // read, so that a loaded log holds no more than its values.
    explicit DataTimeChannel(std::string name) : TimeChannel(std::move(name), ChannelTypeWord<T>::value)
    {
        isLeaf = true;
    }

    double GetValue(int cycle) const override
    {
        if (static_cast<std::size_t>(cycle) >= values.size())  // negative cycles wrap to huge
            timestream_detail::IndexOutOfRange(__LINE__);
        if (timeWindow == 1)
            return static_cast<double>(values[static_cast<std::size_t>(cycle)]);
        return WindowMean(cycle);
    }

    // Removes the stored values and forgets the extremes.
    void Clear() override
    {
        values.clear();
        minMaxValid = false;
        min = T{};
        max = T{};
    }

    int GetCount() const override { return static_cast<int>(values.size()); }

    int CreateChartSeries(ChartSeriesSink* chart, int kind, const std::vector<std::string>& acceptWords,
                          const std::vector<std::string>& rejectWords) override
    {
        if (!PassesWordFilter(GetFullName(), acceptWords, rejectWords))
            return -1;
        // The selector offers only lines, dots and bars; anything else creates nothing.
        if (chart == nullptr || kind < 0 || kind > 2)
            return -1;
        std::vector<double> ys;
        ys.reserve(values.size());
        for (int t = 0; t < GetCount(); ++t)
            ys.push_back(GetValue(t));
        chart->AddSeries(kind, GetFullName(), ys);
        return 0;
    }

    int CollectFiltered(std::vector<TimeChannel*>& list, const std::vector<std::string>& acceptWords,
                        const std::vector<std::string>& rejectWords) override
    {
        if (!PassesWordFilter(GetFullName(), acceptWords, rejectWords))
            return -1;
        list.push_back(this);
        return 0;
    }

    void ComputeMinMax() override
    {
        minMaxValid = false;
        extremesStale = false;
        TakeExtremesFrom(0);
    }
    void RefreshMinMax() override
    {
        if (extremesStale || !minMaxValid)
            ComputeMinMax();
    }

    int Append(TimeChannel* source, double scale, double offset) override
    {
        const std::vector<T>* src = SameTypedValues(source);
        if (src == nullptr)
            return -1;
        const std::vector<T> snapshot = *src;  // the source may be this channel
        values.reserve(values.size() + snapshot.size());
        for (T v : snapshot)
            values.push_back(ToElement<T>(static_cast<double>(v) * scale + offset));
        ComputeMinMax();
        return 0;
    }

    int AppendMapped(TimeChannel* source, int count, const std::int32_t* fromTable,
                     const std::int32_t* toTable) override
    {
        const std::vector<T>* src = SameTypedValues(source);
        if (src == nullptr)
            return -1;
        const std::vector<T> snapshot = *src;  // the source may be this channel
        values.reserve(values.size() + snapshot.size());
        for (T v : snapshot) {
            for (int i = 0; i < count; ++i) {
                if (Equals(v, fromTable[i])) {
                    v = static_cast<T>(toTable[i]);
                    break;
                }
                if (Equals(v, toTable[i])) {
                    v = static_cast<T>(fromTable[i]);
                    break;
                }
            }
            values.push_back(v);
        }
        ComputeMinMax();
        return 0;
    }

    // Keeps the running extremes, then appends the value: how a log is read in.
    void AddValue(T v)
    {
        NoteExtremes(v);
        values.push_back(v);
    }

    // Appends n values at once, as n AddValue calls would: Extend appends n zeros and
    // tells where they start, the caller writes them in place, then NoteAppended(n)
    // takes the last n values into the running extremes. A reader that fills many
    // leaves in one pass over its records goes this way.
    T* Extend(std::size_t n)
    {
        const std::size_t from = values.size();
        values.resize(from + n);
        return values.data() + from;
    }
    void NoteAppended(std::size_t n) { TakeExtremesFrom(values.size() - std::min(n, values.size())); }
    // The same for n copies of one value.
    void AppendCopies(std::size_t n, T value)
    {
        std::fill_n(Extend(n), n, value);
        NoteAppended(n);
    }

    // The typed read: the windowed value in the element type (truncated toward zero).
    T Get(int cycle) const
    {
        if (static_cast<std::size_t>(cycle) >= values.size())
            timestream_detail::IndexOutOfRange(__LINE__);
        if (timeWindow == 1)
            return values[static_cast<std::size_t>(cycle)];
        return static_cast<T>(WindowMean(cycle));
    }

    // The stored values, index = cycle. Writers in place bypass the running
    // extremes: handing the values out for writing marks them for RefreshMinMax.
    std::vector<T>& GetValues()
    {
        extremesStale = true;
        return values;
    }
    const std::vector<T>& GetValues() const { return values; }
    T GetMin() const { return min; }
    T GetMax() const { return max; }
    bool IsMinMaxValid() const { return minMaxValid; }

private:
    // The values from index `from` on, taken into the extremes in order as AddValue
    // takes them, with the extremes held in registers.
    void TakeExtremesFrom(std::size_t from)
    {
        const T* v = values.data() + from;
        const T* const end = values.data() + values.size();
        if (v >= end)
            return;
        T lo = min;
        T hi = max;
        if (!minMaxValid) {
            lo = hi = *v++;
            minMaxValid = true;
        }
        for (; v != end; ++v) {
            if (*v < lo)
                lo = *v;
            if (*v > hi)
                hi = *v;
        }
        min = lo;
        max = hi;
    }

    void NoteExtremes(T v)
    {
        if (minMaxValid) {
            if (v < min)
                min = v;
            if (v > max)
                max = v;
        } else {
            min = max = v;
            minMaxValid = true;
        }
    }

    // The mean over cycles t - w/2 .. t + w/2 - 1, cut at both ends of the stored
    // values; whole numbers for the integer types.
    double WindowMean(int cycle) const
    {
        const int h = timeWindow / 2;
        const int lo = std::max(0, cycle - h);
        const int hi = std::min(static_cast<int>(values.size()), cycle + h);
        double sum = 0.0;
        for (int i = lo; i < hi; ++i)
            sum += static_cast<double>(values[static_cast<std::size_t>(i)]);
        const double mean = sum / static_cast<double>(hi - lo);
        if constexpr (std::is_floating_point_v<T>)
            return mean;
        else
            return static_cast<double>(static_cast<T>(std::trunc(mean)));
    }

    const std::vector<T>* SameTypedValues(TimeChannel* source) const
    {
        if (source == nullptr || source->GetTypeName() != typeName)
            return nullptr;
        auto* same = dynamic_cast<DataTimeChannel<T>*>(source);
        return same != nullptr ? &same->values : nullptr;
    }

    static bool Equals(T v, std::int32_t tableValue)
    {
        if constexpr (std::is_floating_point_v<T>)
            return v == static_cast<double>(tableValue);
        else
            return static_cast<std::int32_t>(v) == tableValue;
    }

    std::vector<T> values;  // one per cycle
    bool minMaxValid = false;
    bool extremesStale = false;  // values handed out for writing since the extremes were taken
    T min{};
    T max{};
};

class TimeStream : public BasicTimeObject {
public:
    explicit TimeStream(std::string name) : BasicTimeObject(std::move(name)) {}
    TimeStream(const TimeStream&) = delete;
    TimeStream& operator=(const TimeStream&) = delete;
    virtual ~TimeStream();

    // Takes ownership of a complete top-level subtree, gives the channel (only this
    // one, not its descendants) the stream's time window and collects the subtree.
    int AddChannel(TimeChannel* channel);
    void CollectChannels(TimeChannel* channel);
    // Collects the lists afresh, for channels added below existing composites.
    void RebuildChannelLists();
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

// The stored values of a channel (null for a missing one). Derived values are
// computed from and into these, not through the user's averaging window.
template <typename T>
T* RawValues(DataTimeChannel<T>* channel)
{
    return channel != nullptr ? channel->GetValues().data() : nullptr;
}
