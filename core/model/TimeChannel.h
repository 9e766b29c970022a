// The channel tree of a time stream: the channel every quantity is read through,
// and the composite that only groups. The leaves that hold values are
// DataTimeChannel (DataTimeChannel.h); the stream that owns a tree is TimeStream
// (timestream.h).
#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
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
// Raises EAssertionFailed("Index out of range") located in "timestream.h", the
// channel model's header, wherever in the model (or its readers) the check sits.
[[noreturn]] void IndexOutOfRange(int line);
}  // namespace timestream_detail

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
    // Gives the child up: it leaves the children and has no parent; the caller
    // owns it now. False (nothing changes) when it is no child of this composite.
    bool ReleaseChild(TimeChannel* child)
    {
        const auto at = std::find(children.begin(), children.end(), child);
        if (at == children.end())
            return false;
        children.erase(at);
        child->SetParent(nullptr);
        return true;
    }

private:
    std::vector<TimeChannel*> children;  // owned, in order of adding
};
