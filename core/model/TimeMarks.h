// The time marks: a set of cycle numbers the user picked, kept in ascending
// order. A cycle is marked at most once: marking a marked cycle again, by any
// command, changes nothing. The main window shows them one per line as
// FormatInt6 texts; every change is announced to one listener so that the list
// and its count always show what is stored, whoever changed it.
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
    // Every mark in list order: ascending, each cycle once.
    const std::vector<int>& Cycles() const { return marks_; }
    // Bumped by every change: lets a viewer tell whether it shows the latest list.
    uint64_t Revision() const { return revision_; }

    // Marks the cycle unless it is marked already; true when it was added.
    bool Add(int cycle);
    // Marks every given cycle that is not marked yet (the cycles in any order,
    // repeats among them counting once); the number of marks added.
    int AddAll(std::vector<int> cycles);
    // Takes away the mark of every given cycle that is marked; the number of
    // marks taken away.
    int RemoveAll(std::vector<int> cycles);
    // Takes away the mark at list position index; false when there is none.
    bool RemoveAt(int index);
    // The marks become every cycle 0 .. cycles-1 that is not marked now (each once).
    void Invert(int cycles);
    // The marks become every cycle 0 .. cycles-1, each once.
    void Reset(int cycles);
    void Clear();
    // The marks become exactly the given cycles (in any order, each once).
    void Assign(std::vector<int> cycles);

    // The clipboard form: every mark in list order as FormatInt6 text followed by
    // one space ("     5    120 "); empty for no marks.
    std::string ToText() const;
    // Reads the clipboard form: tokens separated by spaces (only the character
    // 32; runs of spaces separate too), each read by StrToIntTrim. The first bad
    // token throws its EConvertError; nothing is returned then.
    static std::vector<int> ParseText(std::string_view text);
    // Replaces the marks by the cycles of the text (a cycle the text repeats is
    // marked once). A bad token throws its EConvertError and leaves the marks
    // as they were. A text of blanks only (or none) holds no cycle: the marks
    // stay and the result is false.
    bool Paste(std::string_view text);

    // Runs after every change (not for operations that changed nothing).
    void SetOnChanged(std::function<void()> listener) { onChanged_ = std::move(listener); }

private:
    void Changed();

    std::vector<int> marks_;  // strictly ascending
    uint64_t revision_ = 0;
    std::function<void()> onChanged_;
};
