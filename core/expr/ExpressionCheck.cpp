// What is said about an expression text before and after fparser looks at it:
// the length and nesting guard, and the place of a refusal.
#include "core/expr/Expression.h"

#include <algorithm>
#include <vector>

namespace {

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The first non-blank position from i on (text.size() when none).
std::size_t SkipBlanks(std::string_view text, std::size_t i)
{
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return i;
}

struct Signature {
    const char* name;
    const char* call;
};

// Every function an expression may call with what it takes. The log's own
// functions come first; the rest are fparser's.
constexpr Signature kSignatures[] = {
    {"dist", "dist(object, object, cycle)"},
    {"sqr", "sqr(value)"},
    {"val", "val(channel, cycle)"},
    {"avg", "avg(channel, cycle, width)"},
    {"lavg", "lavg(channel, cycle, width)"},
    {"ravg", "ravg(channel, cycle, width)"},
    {"if", "if(condition, then, else)"},
    {"atan2", "atan2(y, x)"},
    {"hypot", "hypot(x, y)"},
    {"pow", "pow(x, y)"},
    {"min", "min(a, b)"},
    {"max", "max(a, b)"},
    {"log", "log(x)"},
    {"abs", "abs(x)"},
    {"sqrt", "sqrt(x)"},
    {"cbrt", "cbrt(x)"},
    {"exp", "exp(x)"},
    {"exp2", "exp2(x)"},
    {"log2", "log2(x)"},
    {"log10", "log10(x)"},
    {"int", "int(x)"},
    {"trunc", "trunc(x)"},
    {"floor", "floor(x)"},
    {"ceil", "ceil(x)"},
    {"sin", "sin(x)"},
    {"cos", "cos(x)"},
    {"tan", "tan(x)"},
    {"asin", "asin(x)"},
    {"acos", "acos(x)"},
    {"atan", "atan(x)"},
    {"sinh", "sinh(x)"},
    {"cosh", "cosh(x)"},
    {"tanh", "tanh(x)"},
    {"asinh", "asinh(x)"},
    {"acosh", "acosh(x)"},
    {"atanh", "atanh(x)"},
    {"sec", "sec(x)"},
    {"csc", "csc(x)"},
    {"cot", "cot(x)"},
};

const char* CallOf(std::string_view name)
{
    for (const Signature& s : kSignatures)
        if (name == s.name)
            return s.call;
    return nullptr;
}

// The 1-based column of byte position at: UTF-8 continuation bytes do not count.
std::size_t ColumnOf(std::string_view text, std::size_t at)
{
    std::size_t column = 1;
    for (std::size_t i = 0; i < at && i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            ++column;
    return column;
}

// The word at position at: a name (dots inside it included, as typed), else
// the one character there (all bytes of it).
std::string_view WordAt(std::string_view text, std::size_t at)
{
    std::size_t end = at;
    if (IsNameChar(text[at])) {
        while (end < text.size() &&
               (IsNameChar(text[end]) || (text[end] == '.' && end + 1 < text.size() && IsNameChar(text[end + 1]))))
            ++end;
    } else {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return text.substr(at, end - at);
}

// Where the name of the call whose arguments hold position at begins, and the
// name; npos when at is inside no call.
std::size_t CallNameBefore(std::string_view text, std::size_t at, std::string_view& name)
{
    int depth = 0;
    for (std::size_t i = std::min(at, text.size()); i-- > 0;) {
        if (text[i] == ')') {
            ++depth;
        } else if (text[i] == '(') {
            if (depth-- > 0)
                continue;
            std::size_t end = i;
            while (end > 0 && IsBlank(text[end - 1]))
                --end;
            std::size_t begin = end;
            while (begin > 0 && IsNameChar(text[begin - 1]))
                --begin;
            if (begin == end)
                return std::string_view::npos;
            name = text.substr(begin, end - begin);
            return begin;
        }
    }
    return std::string_view::npos;
}

}  // namespace

std::string CheckExpressionText(std::string_view text)
{
    if (text.size() > kMaxExpressionLength)
        return "Expression too long";
    // Levels open at a point: the brackets, the unary operators before each of
    // them that wait for the bracket to close, and the unary operators in a row
    // since the last operand.
    std::vector<int> waiting;  // per open bracket: the unary operators in a row before it
    int brackets = 0;
    int waitingSum = 0;
    int run = 0;
    bool operandNext = true;
    const auto tooDeep = [&] { return brackets + waitingSum + run > kMaxExpressionDepth; };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsBlank(c))
            continue;
        if (c == '(') {
            waiting.push_back(run);
            waitingSum += run;
            run = 0;
            ++brackets;
            operandNext = true;
        } else if (c == ')') {
            if (!waiting.empty()) {
                waitingSum -= waiting.back();
                waiting.pop_back();
                --brackets;
            }
            run = 0;
            operandNext = false;
        } else if (c == ',') {
            run = 0;
            operandNext = true;
        } else if (IsNameChar(c) || c == '.') {
            std::size_t end = i;
            while (end < text.size() && (IsNameChar(text[end]) || text[end] == '.'))
                ++end;
            // A function's name: its unary operators wait for the call to close.
            if (SkipBlanks(text, end) >= text.size() || text[SkipBlanks(text, end)] != '(')
                run = 0;
            operandNext = false;
            i = end - 1;
        } else if ((c == '-' || c == '!') && operandNext) {
            ++run;
        } else {
            operandNext = true;
        }
        if (tooDeep())
            return "Expression nested too deeply (more than " + std::to_string(kMaxExpressionDepth) + " levels)";
    }
    return {};
}

std::string DescribeParseError(const std::string& message, std::string_view text, std::size_t at)
{
    at = std::min(at, text.size());
    if (message.rfind("Illegal number of parameters", 0) == 0) {
        std::string_view name;
        const std::size_t begin = CallNameBefore(text, at, name);
        if (begin != std::string_view::npos) {
            std::string out = message + " at \"" + std::string(name) + "\" (column " +
                              std::to_string(ColumnOf(text, begin)) + ")";
            if (const char* call = CallOf(name))
                out += ": it takes " + std::string(call);
            return out;
        }
    }
    if (at == text.size())
        return message + " at the end (column " + std::to_string(ColumnOf(text, at)) + ")";
    std::string out =
        message + " at \"" + std::string(WordAt(text, at)) + "\" (column " + std::to_string(ColumnOf(text, at)) + ")";
    if (text[at] == '=' && at > 0 && text[at - 1] == '=')
        out += ": \"=\" compares, write it once";
    return out;
}
