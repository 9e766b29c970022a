#include "strategy/model/LearnerRecord.h"

#include "core/model/Format.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <vector>

void TLearnerRecord::Begin()
{
    if (depth_++ == 0)
        Reset();
}

void TLearnerRecord::End()
{
    if (depth_ > 0)
        --depth_;
}

void TLearnerRecord::Reset()
{
    cancelled_ = false;
    cancelTold_ = false;
    runFailed_ = false;
    failedRuns_ = 0;
    nodesNotLearnt_ = 0;
    notLearntRuns_ = 0;
    runNotLearnt_.clear();
    firstNotLearnt_.clear();
    failures_.clear();
    firstFailure_.clear();
}

bool TLearnerRecord::Fail(const std::string& learner, const std::string& reason)
{
    runFailed_ = true;
    if (firstFailure_.empty())
        firstFailure_ = reason;
    return failures_.emplace(learner, reason).second;
}

void TLearnerRecord::NodeNotLearnt(const std::string& reason)
{
    ++nodesNotLearnt_;
    if (runNotLearnt_.empty())
        runNotLearnt_ = reason;
    if (firstNotLearnt_.empty())
        firstNotLearnt_ = reason;
}

const std::string* TLearnerRecord::Failure(const std::string& learner) const
{
    const auto found = failures_.find(learner);
    return found == failures_.end() ? nullptr : &found->second;
}

void TLearnerRecord::Cancel()
{
    cancelled_ = true;
    runFailed_ = true;
}

bool TLearnerRecord::TellCancel()
{
    if (!cancelled_ || cancelTold_)
        return false;
    cancelTold_ = true;
    return true;
}

namespace {

// The line without its surrounding blanks.
std::string Trimmed(const std::string& line)
{
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(" \t\r") + 1 - first);
}

// The lines of the text, trimmed, the empty ones left out.
std::vector<std::string> TrimmedLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (!line.empty())
            lines.push_back(std::move(line));
    }
    return lines;
}

// The first line holding one of the words, in the order of the words.
std::string FirstLineWith(const std::vector<std::string>& lines, std::initializer_list<std::string> words)
{
    for (const std::string& word : words)
        for (const std::string& line : lines)
            if (line.find(word) != std::string::npos)
                return line;
    return {};
}

std::string Shortened(std::string line)
{
    constexpr std::size_t kMaxLine = 160;
    if (line.size() > kMaxLine)
        line = line.substr(0, kMaxLine) + "...";
    return line;
}

}  // namespace

std::string LearnerFailureReason(const std::string& learner, const std::string& ended, const std::string& output)
{
    // A learner may say why it fails and then go on printing progress, and the
    // script around it adds its own status line first: the learner's words
    // come first, the script's only when the learner said nothing.
    const std::vector<std::string> lines = TrimmedLines(output);
    std::string line = FirstLineWith(lines, {"Exception", "Error"});
    if (line.empty())
        line = FirstLineWith(lines, {learner + ":"});
    if (line.empty() && !lines.empty())
        line = lines.front();
    if (line.empty())
        return learner + " " + ended;
    return learner + " " + ended + " (" + Shortened(line) + ")";
}

std::string WekaRefusal(const std::string& result, const std::string& output)
{
    const std::string said = FirstLineWith(TrimmedLines(output), {"Exception", "Error"});
    if (!said.empty())
        return Shortened(said);
    const std::vector<std::string> lines = TrimmedLines(result);
    const auto rules = std::find_if(lines.begin(), lines.end(),
                                    [](const std::string& line) { return line.rfind("JRIP rules:", 0) == 0; });
    const bool counted = rules != lines.end() && std::any_of(rules, lines.end(), [](const std::string& line) {
                             return line.rfind("Number of Rules", 0) == 0;
                         });
    if (counted)
        return {};
    if (const std::string why = FirstLineWith(lines, {"Exception", "Error"}); !why.empty())
        return Shortened(why);
    return lines.empty() ? kWekaEmptyResult : "no rule list in the learner's result";
}

std::string NotLearntLine(int nodes, const std::string& firstReason)
{
    if (nodes <= 0)
        return {};
    return "// " + std::to_string(nodes) + (nodes == 1 ? " node" : " nodes") + " not learnt (first: " + firstReason +
           ")";
}

std::string CommentText(std::string text)
{
    for (std::size_t at = 0; at + 1 < text.size(); ++at) {
        const char a = text[at], b = text[at + 1];
        if ((a == '*' && b == '/') || (a == '/' && b == '*') || (a == '?' && b == '?'))
            text.insert(at + 1, " ");
    }
    return text;
}

std::string FailedRuleLine(const std::string& name, double x, double y, const std::string& reason,
                           bool computerOutput, const std::string& what)
{
    if (computerOutput)
        return "  /* " + CommentText(name + ": " + what + ": " + reason) + " */ \\";
    return name + " (" + FormatFloatFixed(x, 7, 2) + ", " + FormatFloatFixed(y, 7, 2) + ") <= \t" + what + ": " +
           reason;
}
