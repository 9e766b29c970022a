// The expression language over one log: parsing with fparser and evaluating at
// cycles. The one place where expressions are set up and evaluated; the time
// marks' criteria, the expression channels, the chart's function series and the
// field window's custom events all go through LogExpression.
//
// Names an expression may use (N = number of leaves of the log's stream):
// - every leaf by its full name, "Ball.pos.x" or "Ball_pos_x": its value at the
//   evaluated cycle (read through the stream's averaging window);
// - "cycle": the evaluated cycle;
// - "id_" + a leaf's name ("id_Ball.pos.x", "id_Ball_pos_x"): the leaf index, the
//   first argument of avg, lavg, ravg and val;
// - "Ball" 0, "Lplayer1".."Lplayer11" 1..11, "Rplayer1".."Rplayer11" 12..22;
// - sqr(v) = v*v; dist(a, b, t) the distance of objects a and b at cycle t;
//   val(ch, t) the leaf's value at cycle t; lavg(ch, t, w) the mean over
//   t-w..t, ravg(ch, t, w) over t..t+w, avg(ch, t, w) over to-w..to with
//   to = t + w/2, each window cut at the ends of the log;
// - everything else fparser knows: numbers, operators, comparisons, "if", sqrt ...
// Arguments that are indices, cycles or lengths are truncated toward zero. An
// object outside 0..22, an index that is no leaf, a cycle outside the log or a
// window wholly outside it gives 0. A division by zero gives 0 (fparser's way) in
// Evaluate, no number in EvaluateValue.
//
// The functions read the log the expression was made for, whichever log the
// windows call current. Angles of the trigonometric functions are radians.
#pragma once

#include <cmath>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class RoboCupFileT;
class TimeChannel;
class FunctionParser;

// The longest expression text accepted, and the deepest nesting: brackets
// (function calls included) plus unary operators ("-", "!") waiting for their
// operand. The parser recurses once per level and a few tens of thousands of
// levels overflow the stack; nobody types anywhere near these.
constexpr std::size_t kMaxExpressionLength = 10000;
constexpr int kMaxExpressionDepth = 200;

// Why the text is refused before any parsing ("Expression too long",
// "Expression nested too deeply (more than 200 levels)"), or "" when it may be
// parsed. Linear in the text, no recursion.
std::string CheckExpressionText(std::string_view text);

// The message for fparser's refusal of the text at byte position at (as Parse
// returns it): the message, the word or sign found there and the 1-based column
// ('Syntax error: Unknown identifier at "Foo_bar" (column 14)'). A wrong number
// of arguments names the call and what it takes ("dist takes 3 arguments:
// dist(object, object, cycle)").
std::string DescribeParseError(const std::string& message, std::string_view text, std::size_t at);

// The text with "." turned into "_" where it joins two parts of a name (after a
// name that starts with a letter or "_", before a letter, digit or "_"), never
// inside a number: "Ball.pos.x > 0.5" becomes "Ball_pos_x > 0.5".
std::string ConvertNameDots(std::string_view text);

// The name the expression language reads a leaf by: its full name with every
// "." as "_" ("Ball.pos.x": "Ball_pos_x").
std::string VariableName(std::string fullName);

// Whether a condition's value holds: its whole part is not zero (a value that
// is no number holds nowhere; no cast, which is undefined for such a value).
inline bool ConditionHolds(double value) { return std::fabs(value) >= 1.0; }

// The names of a log's channels, looked up without walking them all: a fields
// file of thousands of rows asks for a few names per row while each row adds a
// leaf. Made for one command from the stream's lists as they are; whoever
// changes the tree meanwhile tells it (Added, Removing).
class TLogNames {
public:
    explicit TLogNames(const RoboCupFileT& log);
    // The channel, with its subtree, was put into the stream's lists.
    void Added(TimeChannel* channel);
    // The channel, with its subtree, is about to leave them.
    void Removing(TimeChannel* channel);
    // The first channel with exactly this full name, null when none, as
    // TimeStream::FindChannel finds it.
    TimeChannel* Find(const std::string& fullName) const;
    // The leaves whose full name with "." as "_" is the name, the name the
    // expression language reads them by; empty when none.
    const std::vector<TimeChannel*>& Called(std::string_view variable) const;
    // Whether the parser takes every leaf's name as a variable beside the
    // language's constants and functions (no two leaves alike, no name of its
    // own). Only then may an expression declare just the leaves it names: a
    // list of every leaf would be refused whatever the text.
    bool AllTaken();

private:
    // Whether one more leaf of that name keeps the list as the parser takes it.
    bool Takes(const std::string& variable) const;

    const RoboCupFileT& log_;
    std::unordered_map<std::string, std::vector<TimeChannel*>> byFullName_;
    std::unordered_map<std::string, std::vector<TimeChannel*>> byVariable_;
    bool taken_ = true;
    bool askParser_ = true;  // the verdict is to be had from the parser over every leaf
};

// One parsed expression bound to one log. Use:
//     LogExpression e(log);
//     if (std::string err = e.Parse(text); !err.empty()) { show err; stop; }
//     for (int c = 0; c < log.cycles; ++c) use(e.Evaluate(c));
// Parse reads the stream's channel lists as they are now: after channels were
// added, run TimeStream::BuildRowHeader (or RebuildChannelLists) first, or add
// them with TimeStream::AttachChannel (telling the names given to Parse), and make
// a new LogExpression (or Parse again) to see them. Not copyable; the log must
// outlive it.
class LogExpression {
public:
    explicit LogExpression(RoboCupFileT& log);
    ~LogExpression();
    LogExpression(const LogExpression&) = delete;
    LogExpression& operator=(const LogExpression&) = delete;

    // Sets up a fresh parser (constants, functions, the leaves and "cycle" as
    // variables) and parses the text. Returns "" when the text is accepted, else
    // why not, which the window shows under "Function evaluation error !": the
    // guard's refusal (CheckExpressionText, nothing parsed) or fparser's message
    // with the place (DescribeParseError).
    std::string Parse(const std::string& text);
    // The same; with names (made for this log's stream as it is now) only the
    // leaves the text names are declared, which costs the same however many
    // leaves the log has.
    std::string Parse(const std::string& text, TLogNames* names);
    // Parses "if (" condition ", 1, 0)": 1 where the condition holds, else 0.
    // Refusals and their columns are about the condition as given.
    std::string ParseCondition(const std::string& condition);
    bool IsParsed() const { return parsed_; }

    // The value at the cycle: the leaves the expression names are read at the
    // cycle (a value the leaf lacks reads 0), "cycle" is set, the parser
    // evaluates. 0 when nothing was parsed. Never throws.
    double Evaluate(int cycle);
    // fparser's error code of the last Evaluate (0 none, 1 division by zero, ...).
    int LastEvalError() const { return evalError_; }
    // Evaluate, but not-a-number where the evaluation fails (a division by
    // zero, a root or logarithm out of range): there 0 would read as data.
    double EvaluateValue(int cycle);
    // Evaluate at every cycle from first to last (inclusive), in order.
    std::vector<double> EvaluateCycles(int first, int last);

    // Leaf indices whose values Evaluate reads into the row, ascending: the
    // leaves named in the text (a superset is harmless, none is missed).
    const std::vector<int>& UsedLeaves() const { return used_; }
    RoboCupFileT& Log() const { return log_; }

private:
    // Parses text unchecked; a refusal is described within text[shownFrom, shownFrom + shown.size()).
    std::string ParseShown(const std::string& text, std::size_t shownFrom, std::string_view shown,
                           TLogNames* names);

    RoboCupFileT& log_;
    std::unique_ptr<FunctionParser> parser_;
    bool parsed_ = false;
    int evalError_ = 0;
    std::vector<int> used_;
    std::vector<const TimeChannel*> usedChannels_;  // the leaves of used_, as parsed
    std::vector<std::size_t> slots_;                // where each of them goes in the row
    std::vector<double> row_;  // the declared variables ("cycle" last); unused entries stay 0
};
