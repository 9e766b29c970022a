// The time marks: cycle numbers the user picked, kept in ascending order. The
// same cycle may be marked more than once (adding by a criteria or pasting does
// not look for what is there already). The main window shows them one per line
// as FormatInt6 texts; every change is announced to one listener so that the
// list and its count always show what is stored, whoever changed it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TimeMarks {
public:
    int Count() const { return static_cast<int>(marks_.size()); }
    bool Empty() const { return marks_.empty(); }
    bool Contains(int cycle) const;
    // The cycle of the mark at list position index (0 .. Count()-1).
    int At(int index) const { return marks_.at(static_cast<std::size_t>(index)); }
    // Every mark in list order: ascending, a repeated mark as often as it is held.
    const std::vector<int>& Cycles() const { return marks_; }
    // Bumped by every change: lets a viewer tell whether it shows the latest list.
    uint64_t Revision() const { return revision_; }

    // Marks the cycle once more, also when it is marked already.
    void Add(int cycle);
    // Marks the cycle unless it is marked already; true when it was added.
    bool AddUnique(int cycle);
    // Marks every given cycle once more (the cycles in any order).
    void AddAll(std::vector<int> cycles);
    // For every given cycle, takes one mark of it away where there is one; the
    // number of marks taken away.
    int RemoveOneEach(std::vector<int> cycles);
    // Takes away the mark at list position index; false when there is none.
    bool RemoveAt(int index);
    // The marks become every cycle 0 .. cycles-1 that is not marked now (each once).
    void Invert(int cycles);
    // The marks become every cycle 0 .. cycles-1, each once.
    void Reset(int cycles);
    void Clear();
    // The marks become exactly the given cycles (in any order).
    void Assign(std::vector<int> cycles);

    // The clipboard form: every mark in list order as FormatInt6 text followed by
    // one space ("     5    120 "); empty for no marks.
    std::string ToText() const;
    // Reads the clipboard form: tokens separated by spaces (only the character
    // 32; runs of spaces separate too), each read by StrToIntTrim. The first bad
    // token throws its EConvertError; nothing is returned then.
    static std::vector<int> ParseText(std::string_view text);
    // Replaces the marks by the cycles of the text. A bad token throws its
    // EConvertError and leaves the marks as they were.
    void Paste(std::string_view text);

    // Runs after every change (not for operations that changed nothing).
    void SetOnChanged(std::function<void()> listener) { onChanged_ = std::move(listener); }

private:
    void Changed();

    std::vector<int> marks_;  // ascending; a repeated mark as often as it is held
    uint64_t revision_ = 0;
    std::function<void()> onChanged_;
};
