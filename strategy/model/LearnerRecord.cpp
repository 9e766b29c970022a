#include "strategy/model/LearnerRecord.h"

#include "core/model/Format.h"

#include <cstddef>

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

}  // namespace

std::string LearnerFailureReason(const std::string& learner, const std::string& ended, const std::string& output)
{
    constexpr std::size_t kMaxLine = 160;
    // A learner may say why it fails and then go on printing progress: the
    // line that says why is the first one with a Java exception or error, or
    // with the learner script's own "<name>:" (e.g. "callweka:").
    const std::string ownWords = learner + ":";
    std::string first, why;
    for (std::size_t start = 0; start < output.size() && why.empty();) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        std::string line = Trimmed(output.substr(start, end - start));
        start = end + 1;
        if (line.empty())
            continue;
        for (const std::string& word : {std::string("Exception"), std::string("Error"), ownWords})
            if (why.empty() && line.find(word) != std::string::npos)
                why = line;
        if (first.empty())
            first = std::move(line);
    }
    std::string line = why.empty() ? first : why;
    if (line.empty())
        return learner + " " + ended;
    if (line.size() > kMaxLine)
        line = line.substr(0, kMaxLine) + "...";
    return learner + " " + ended + " (" + line + ")";
}

std::string FailedRuleLine(const std::string& name, double x, double y, const std::string& reason,
                           bool computerOutput)
{
    if (computerOutput) {
        std::string text = name + ": learner failed: " + reason;
        for (std::size_t at = 0; at + 1 < text.size(); ++at) {
            const char a = text[at], b = text[at + 1];
            if ((a == '*' && b == '/') || (a == '/' && b == '*') || (a == '?' && b == '?'))
                text.insert(at + 1, " ");
        }
        return "  /* " + text + " */ \\";
    }
    return name + " (" + FormatFloatFixed(x, 7, 2) + ", " + FormatFloatFixed(y, 7, 2) + ") <= \tlearner failed: " +
           reason;
}
