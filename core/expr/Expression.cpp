#include "core/expr/Expression.h"

#include "core/model/Common.h"
#include "core/model/RoboCupFile.h"

#include <fparser.hh>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_set>
#include <utility>

namespace {

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Index arguments arrive as doubles; far outside any log they are held at a
// bound that no arithmetic on them can overflow, NaN lands outside every range.
constexpr std::int64_t kFar = std::int64_t{1} << 40;

std::int64_t Truncate(double v)
{
    if (std::isnan(v))
        return -kFar;
    if (v >= static_cast<double>(kFar))
        return kFar;
    if (v <= -static_cast<double>(kFar))
        return -kFar;
    return static_cast<std::int64_t>(v);  // toward zero
}

// What the six functions read: the bound log, never the windows' current one.
class LogFunction : public FunctionParser::FunctionWrapper {
public:
    enum Kind { Dist, Sqr, Avg, LeftAvg, RightAvg, Val };
    LogFunction(const RoboCupFileT* log, Kind kind) : log_(log), kind_(kind) {}

    double callFunction(const double* a) override
    {
        // fparser calls this from Eval: nothing may escape.
        try {
            switch (kind_) {
            case Sqr: return a[0] * a[0];
            case Dist: return Distance(Truncate(a[0]), Truncate(a[1]), Truncate(a[2]));
            case Val: {
                const std::int64_t t = Truncate(a[1]);
                return Mean(Truncate(a[0]), t, t);
            }
            case LeftAvg: {
                const std::int64_t t = Truncate(a[1]);
                return Mean(Truncate(a[0]), t - Truncate(a[2]), t);
            }
            case RightAvg: {
                const std::int64_t t = Truncate(a[1]);
                return Mean(Truncate(a[0]), t, t + Truncate(a[2]));
            }
            case Avg: {
                const std::int64_t w = Truncate(a[2]);
                const std::int64_t to = Truncate(a[1]) + w / 2;
                return Mean(Truncate(a[0]), to - w, to);
            }
            }
        } catch (...) {
        }
        return 0.0;
    }

private:
    // The mean of the leaf's values over from..to, cut at the ends of the log
    // (and of the leaf's values); 0 for no leaf or an empty window.
    double Mean(std::int64_t leaf, std::int64_t from, std::int64_t to) const
    {
        const std::vector<TimeChannel*>& leaves = log_->stream->GetLeaves();
        if (leaf < 0 || leaf >= static_cast<std::int64_t>(leaves.size()))
            return 0.0;
        const TimeChannel* channel = leaves[static_cast<std::size_t>(leaf)];
        const std::int64_t count = std::min<std::int64_t>(log_->cycles, channel->GetCount());
        from = std::max<std::int64_t>(from, 0);
        to = std::min<std::int64_t>(to, count - 1);
        if (from > to)
            return 0.0;
        double sum = 0.0;
        for (std::int64_t t = from; t <= to; ++t)
            sum += channel->GetValue(static_cast<int>(t));
        return sum / static_cast<double>(to - from + 1);
    }

    double Distance(std::int64_t a, std::int64_t b, std::int64_t t) const
    {
        if (a < 0 || a >= RoboCupFileT::kObjectCount || b < 0 || b >= RoboCupFileT::kObjectCount)
            return 0.0;
        const TimeChannel* ax = log_->posXChannel[static_cast<std::size_t>(a)];
        const TimeChannel* ay = log_->posYChannel[static_cast<std::size_t>(a)];
        const TimeChannel* bx = log_->posXChannel[static_cast<std::size_t>(b)];
        const TimeChannel* by = log_->posYChannel[static_cast<std::size_t>(b)];
        if (ax == nullptr || ay == nullptr || bx == nullptr || by == nullptr || t < 0 || t >= log_->cycles)
            return 0.0;
        for (const TimeChannel* c : {ax, ay, bx, by}) {
            if (t >= c->GetCount())
                return 0.0;
        }
        const int c = static_cast<int>(t);
        return PointDistance(ax->GetValue(c), ay->GetValue(c), bx->GetValue(c), by->GetValue(c));
    }

    const RoboCupFileT* log_;
    Kind kind_;
};

// Every leaf as a variable, in leaf order, after a constant "id_" + its name
// that holds its index; the indices of the leaves named go to used. Returns
// the variable list, "cycle" last.
std::string DeclareEveryLeaf(FunctionParser& parser, const std::vector<TimeChannel*>& leaves,
                             const std::unordered_set<std::string_view>& named, std::vector<std::size_t>& used)
{
    std::string variables;
    variables.reserve(leaves.size() * 24);
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        const std::string name = VariableName(leaves[i]->GetFullName());
        // A name fparser refuses is left out of the constants; the variable
        // list then reports it at parsing.
        parser.AddConstant("id_" + name, static_cast<double>(i));
        if (named.count(name) != 0)
            used.push_back(i);
        variables += name;
        variables += ',';
    }
    return variables + "cycle";
}

// The names a text (its dots converted) holds: runs of name characters that
// do not begin with a digit.
std::unordered_set<std::string_view> NamesIn(std::string_view converted)
{
    std::unordered_set<std::string_view> named;
    for (std::size_t i = 0; i < converted.size();) {
        if (!IsNameChar(converted[i])) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < converted.size() && IsNameChar(converted[j]))
            ++j;
        if (!IsDigit(converted[i]))
            named.insert(converted.substr(i, j - i));
        i = j;
    }
    return named;
}

// What a parse declares: the variable list ("cycle" last), the size of the row
// that holds their values, and the leaves read into it with where each goes.
struct Declared {
    std::string variables;
    std::size_t rowSize = 0;
    std::vector<int> used;  // leaf indices, ascending
    std::vector<const TimeChannel*> channels;
    std::vector<std::size_t> slots;
};

// Only the leaves named, in leaf order, with an "id_" constant for each leaf
// an "id_" word names: unnamed ones change nothing once the parser would take
// all of them.
Declared DeclareNamedLeaves(FunctionParser& parser, const TLogNames& names, const std::vector<TimeChannel*>& leaves,
                            const std::unordered_set<std::string_view>& named)
{
    std::vector<std::pair<int, TimeChannel*>> found;
    const auto indexOf = [&leaves](const TimeChannel* leaf) {
        return static_cast<int>(std::find(leaves.begin(), leaves.end(), leaf) - leaves.begin());
    };
    for (const std::string_view word : named) {
        if (word.substr(0, 3) == "id_")
            for (TimeChannel* leaf : names.Called(word.substr(3)))
                parser.AddConstant(std::string(word), static_cast<double>(indexOf(leaf)));
        for (TimeChannel* leaf : names.Called(word))
            found.emplace_back(indexOf(leaf), leaf);
    }
    std::sort(found.begin(), found.end());
    Declared declared;
    for (const auto& [index, leaf] : found) {
        declared.used.push_back(index);
        declared.channels.push_back(leaf);
        declared.slots.push_back(declared.slots.size());
        declared.variables += VariableName(leaf->GetFullName()) + ",";
    }
    declared.variables += "cycle";
    declared.rowSize = found.size() + 1;
    return declared;
}

// Every leaf, each read into its own place of the row when named.
Declared DeclareAllLeaves(FunctionParser& parser, const std::vector<TimeChannel*>& leaves,
                          const std::unordered_set<std::string_view>& named)
{
    Declared declared;
    std::vector<std::size_t> used;
    declared.variables = DeclareEveryLeaf(parser, leaves, named, used);
    for (const std::size_t i : used) {
        declared.used.push_back(static_cast<int>(i));
        declared.channels.push_back(leaves[i]);
        declared.slots.push_back(i);
    }
    declared.rowSize = leaves.size() + 1;
    return declared;
}

// The object names and the six functions over the log.
void AddLanguage(FunctionParser& parser, const RoboCupFileT* log)
{
    for (int k = 0; k < RoboCupFileT::kObjectCount; ++k)
        parser.AddConstant(ObjectName(k), static_cast<double>(k));
    parser.AddFunctionWrapper("dist", LogFunction(log, LogFunction::Dist), 3);
    parser.AddFunctionWrapper("sqr", LogFunction(log, LogFunction::Sqr), 1);
    parser.AddFunctionWrapper("avg", LogFunction(log, LogFunction::Avg), 3);
    parser.AddFunctionWrapper("lavg", LogFunction(log, LogFunction::LeftAvg), 3);
    parser.AddFunctionWrapper("ravg", LogFunction(log, LogFunction::RightAvg), 3);
    parser.AddFunctionWrapper("val", LogFunction(log, LogFunction::Val), 2);
}

}  // namespace

bool TLogNames::AllTaken()
{
    if (askParser_) {
        // The parser's own verdict over a list of every leaf, set up as an
        // expression without names sets it up.
        FunctionParser probe;
        std::vector<std::size_t> used;
        const std::string variables = DeclareEveryLeaf(probe, log_.stream->GetLeaves(), {}, used);
        AddLanguage(probe, &log_);
        taken_ = probe.Parse("0", variables, false) < 0;
        askParser_ = false;
    }
    return taken_;
}

std::string VariableName(std::string fullName)
{
    std::replace(fullName.begin(), fullName.end(), '.', '_');
    return fullName;
}

std::string ConvertNameDots(std::string_view text)
{
    std::string out(text);
    bool inName = false;  // inside a run of name characters that began with a letter or "_"
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char c = out[i];
        if (IsNameChar(c)) {
            if (i == 0 || !IsNameChar(out[i - 1]))
                inName = !IsDigit(c);
        } else if (c == '.' && inName && i + 1 < out.size() && IsNameChar(out[i + 1])) {
            out[i] = '_';  // the name goes on after it
        } else {
            inName = false;
        }
    }
    return out;
}

LogExpression::LogExpression(RoboCupFileT& log) : log_(log) {}

LogExpression::~LogExpression() = default;

std::string LogExpression::Parse(const std::string& text) { return ParseShown(text, 0, text, nullptr); }

std::string LogExpression::Parse(const std::string& text, TLogNames* names)
{
    return ParseShown(text, 0, text, names);
}

std::string LogExpression::ParseCondition(const std::string& condition)
{
    static constexpr std::string_view kBefore = "if (";
    return ParseShown(std::string(kBefore) + condition + ", 1, 0)", kBefore.size(), condition, nullptr);
}

std::string LogExpression::ParseShown(const std::string& text, std::size_t shownFrom, std::string_view shown,
                                      TLogNames* names)
{
    parsed_ = false;
    used_.clear();
    usedChannels_.clear();
    slots_.clear();
    // Only what the guard lets through reaches fparser, whose parsing recurses.
    if (std::string refused = CheckExpressionText(shown); !refused.empty()) {
        parser_.reset();
        return refused;
    }
    parser_ = std::make_unique<FunctionParser>();
    const std::vector<TimeChannel*>& leaves = log_.stream->GetLeaves();
    const std::string converted = ConvertNameDots(text);
    // A leaf is read into the row only when the text names it.
    const std::unordered_set<std::string_view> named = NamesIn(converted);
    Declared declared = names != nullptr && names->AllTaken() ? DeclareNamedLeaves(*parser_, *names, leaves, named)
                                                              : DeclareAllLeaves(*parser_, leaves, named);
    AddLanguage(*parser_, &log_);
    if (const int at = parser_->Parse(converted, declared.variables, false); at >= 0) {
        const std::size_t inShown = static_cast<std::size_t>(at) > shownFrom ? static_cast<std::size_t>(at) - shownFrom : 0;
        return DescribeParseError(parser_->ErrorMsg(), shown, inShown);
    }
    used_ = std::move(declared.used);
    usedChannels_ = std::move(declared.channels);
    slots_ = std::move(declared.slots);
    row_.assign(declared.rowSize, 0.0);
    parsed_ = true;
    return {};
}

double LogExpression::Evaluate(int cycle)
{
    evalError_ = 0;
    if (!parsed_)
        return 0.0;
    for (std::size_t k = 0; k < used_.size(); ++k) {
        const TimeChannel* leaf = usedChannels_[k];
        row_[slots_[k]] = cycle >= 0 && cycle < leaf->GetCount() ? leaf->GetValue(cycle) : 0.0;
    }
    row_.back() = static_cast<double>(cycle);
    const double value = parser_->Eval(row_.data());
    evalError_ = parser_->EvalError();
    return value;
}

double LogExpression::EvaluateValue(int cycle)
{
    const double value = Evaluate(cycle);
    return evalError_ != 0 ? std::numeric_limits<double>::quiet_NaN() : value;
}

std::vector<double> LogExpression::EvaluateCycles(int first, int last)
{
    std::vector<double> values;
    if (last >= first)
        values.reserve(static_cast<std::size_t>(last - first) + 1);
    for (int c = first; c <= last; ++c)
        values.push_back(Evaluate(c));
    return values;
}
