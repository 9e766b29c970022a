// The leaves of the channel tree: one typed value per simulation cycle, read
// through the averaging window, with running extremes.
//
// Element types: "char" int8_t, "short" int16_t, "long" int32_t, "double" double.
#pragma once

#include "core/model/TimeChannel.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

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

// The allocator of a leaf's values: growing the values without a value given
// leaves the new ones as they come (default-initialised, so unset for numbers).
// A reader that writes every new value itself then writes them once, not twice:
// at about 460 leaves per log that is most of what the reading writes.
template <typename T>
struct GrowWithoutFill : std::allocator<T> {
    using std::allocator<T>::allocator;
    GrowWithoutFill() = default;
    template <class U>
    GrowWithoutFill(const GrowWithoutFill<U>&) noexcept
    {
    }
    template <class U>
    struct rebind {
        using other = GrowWithoutFill<U>;
    };
    template <class U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>)
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

// A leaf's values, index = cycle. Grown with a value (resize(n, v), push_back,
// assign) as any vector; resize(n) alone leaves the new values unset.
template <typename T>
using ChannelValues = std::vector<T, GrowWithoutFill<T>>;

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
        // Values that are no number have no place among the extremes; with no
        // other value the extremes are no number either.
        if constexpr (std::is_floating_point_v<T>) {
            if (!values.empty())
                min = max = std::numeric_limits<T>::quiet_NaN();
        }
        TakeExtremesFrom(0);
    }
    void RefreshMinMax() override
    {
        if (extremesStale || !minMaxValid)
            ComputeMinMax();
    }

    int Append(TimeChannel* source, double scale, double offset) override
    {
        const ChannelValues<T>* src = SameTypedValues(source);
        if (src == nullptr)
            return -1;
        const ChannelValues<T> snapshot = *src;  // the source may be this channel
        values.reserve(values.size() + snapshot.size());
        for (T v : snapshot)
            values.push_back(ToElement<T>(static_cast<double>(v) * scale + offset));
        ComputeMinMax();
        return 0;
    }

    int AppendMapped(TimeChannel* source, int count, const std::int32_t* fromTable,
                     const std::int32_t* toTable) override
    {
        const ChannelValues<T>* src = SameTypedValues(source);
        if (src == nullptr)
            return -1;
        const ChannelValues<T> snapshot = *src;  // the source may be this channel
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

    // Appends n values at once, as n AddValue calls would: Extend appends n unset
    // values and tells where they start, the caller writes every one of them in
    // place, then NoteAppended(n) takes the last n values into the running extremes.
    // A reader that fills many leaves in one pass over its records goes this way.
    T* Extend(std::size_t n)
    {
        const std::size_t from = values.size();
        values.resize(from + n);
        return values.data() + from;
    }
    void NoteAppended(std::size_t n) { TakeExtremesFrom(values.size() - std::min(n, values.size())); }
    // Instead of NoteAppended, for a writer that found the least and greatest of the
    // values it wrote in place while writing them (none of them NaN): no second
    // pass over the new values.
    void NoteAppendedExtremes(T lo, T hi)
    {
        NoteExtremes(lo);
        NoteExtremes(hi);
    }
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
    ChannelValues<T>& GetValues()
    {
        extremesStale = true;
        return values;
    }
    const ChannelValues<T>& GetValues() const { return values; }
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
            if constexpr (std::is_floating_point_v<T>) {
                while (v != end && std::isnan(*v))
                    ++v;
                if (v == end)
                    return;
            }
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
        if constexpr (std::is_floating_point_v<T>) {
            if (std::isnan(v))
                return;
        }
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

    const ChannelValues<T>* SameTypedValues(TimeChannel* source) const
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

    ChannelValues<T> values;  // one per cycle
    bool minMaxValid = false;
    bool extremesStale = false;  // values handed out for writing since the extremes were taken
    T min{};
    T max{};
};
