#include "strategy/model/LearnerRecord.h"

#include "core/model/Format.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <vector>

void TLearnerRecord::Begin()
{
    if (depth_++ == 0)
        Reset();
}

void TLearnerRecord::End()
{
    if (depth_ > 0 && --depth_ == 0 && commandEnd_)
        commandEnd_();
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
    firstFailureText_.clear();
    datasetFolder_.clear();
    datasetFiles_ = 0;
    datasetsForNoLearner_ = false;
    strategies_ = 0;
    commandFolder_.clear();
    useRoles_.reset();
    replaceDatasets_.reset();
    told_.clear();
}

bool TLearnerRecord::Fail(const std::string& learner, const std::string& reason, const std::string& what)
{
    runFailed_ = true;
    if (firstFailure_.empty()) {
        firstFailure_ = reason;
        firstFailureText_ = what + ": " + reason;
    }
    return failures_.emplace(learner, reason).second;
}

void TLearnerRecord::StrategyNotLearnt(const std::string& reason)
{
    if (runNotLearnt_.empty())
        runNotLearnt_ = reason;
    if (firstNotLearnt_.empty())
        firstNotLearnt_ = reason;
}

void TLearnerRecord::DatasetsWritten(const std::string& folder, int files, bool noLearner)
{
    if (datasetFolder_.empty())
        datasetFolder_ = folder;
    datasetFiles_ += files;
    datasetsForNoLearner_ = datasetsForNoLearner_ || noLearner;
}

std::string TLearnerRecord::TakeDatasetsLine()
{
    std::string line = DatasetsLine(*this);
    datasetFolder_.clear();
    datasetFiles_ = 0;
    datasetsForNoLearner_ = false;
    return line;
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
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(" \t") + 1 - first);
}

// The lines of the text, trimmed, the empty ones left out. A line ends at LF,
// CR or both: a lone CR must not stay inside a line that ends up in a comment.
std::vector<std::string> TrimmedLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (!line.empty())
            lines.push_back(std::move(line));
    }
    return lines;
}

// Whether the line is a learner saying why it fails: an exception in any
// case ("Weka exception: ...", "WekaException", "exception"), an error named
// so ("OutOfMemoryError", "Error, ..."), or "error:" in any case. A word
// "error" in running text ("error rate 0.1" of a progress line) is none.
bool SaysException(const std::string& line) { return AsciiLower(line).find("exception") != std::string::npos; }
bool SaysError(const std::string& line)
{
    return line.find("Error") != std::string::npos || AsciiLower(line).find("error:") != std::string::npos;
}

// The first line the learner says why in: exceptions before errors.
std::string LearnerWords(const std::vector<std::string>& lines)
{
    for (const auto says : {SaysException, SaysError})
        for (const std::string& line : lines)
            if (says(line))
                return line;
    return {};
}

std::string FirstLineWith(const std::vector<std::string>& lines, const std::string& word)
{
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
    return OneLine(std::move(line));
}

}  // namespace

std::string OneLine(std::string text) { return OneLineText(std::move(text)); }

std::string LearnerFailureReason(const std::string& learner, const std::string& ended, const std::string& output)
{
    // A learner may say why it fails and then go on printing progress, and the
    // script around it adds its own status line first: the learner's words
    // come first, the script's only when the learner said nothing.
    const std::vector<std::string> lines = TrimmedLines(output);
    std::string line = LearnerWords(lines);
    if (line.empty())
        line = FirstLineWith(lines, learner + ":");
    if (line.empty() && !lines.empty())
        line = lines.front();
    if (line.empty())
        return OneLine(learner + " " + ended);
    return OneLine(learner + " " + ended + " (" + Shortened(line) + ")");
}

bool WekaListComplete(const std::string& result)
{
    const std::vector<std::string> lines = TrimmedLines(result);
    const auto head = std::find_if(lines.begin(), lines.end(),
                                   [](const std::string& line) { return line.rfind("JRIP rules:", 0) == 0; });
    const auto count = std::find_if(head, lines.end(),
                                    [](const std::string& line) { return line.rfind("Number of Rules", 0) == 0; });
    // At least the default rule stands between the two.
    return count != lines.end() &&
           std::any_of(head, count, [](const std::string& line) { return line.find("=>") != std::string::npos; });
}

std::string WekaRefusal(const std::string& result, const std::string& output)
{
    // A whole list is what the learner learnt: what else it said (Weka warns
    // of missing database drivers on its error stream) is no refusal.
    if (WekaListComplete(result))
        return {};
    if (const std::string said = LearnerWords(TrimmedLines(output)); !said.empty())
        return Shortened(said);
    const std::vector<std::string> lines = TrimmedLines(result);
    if (const std::string why = LearnerWords(lines); !why.empty())
        return Shortened(why);
    if (const std::string script = FirstLineWith(TrimmedLines(output), "callweka:"); !script.empty())
        return Shortened(script);
    return lines.empty() ? kWekaEmptyResult : "no rule list in the learner's result";
}

std::string SlipperRefusal(const std::string& output)
{
    const std::vector<std::string> lines = TrimmedLines(output);
    std::string said = LearnerWords(lines);
    if (said.empty() && !lines.empty())
        said = lines.front();
    return said.empty() ? "no hypothesis from the learner" : Shortened(said);
}

std::string NotLearntLine(int nodes, const std::string& firstReason)
{
    if (nodes <= 0)
        return {};
    return "// " + std::to_string(nodes) + (nodes == 1 ? " node" : " nodes") +
           " not learnt (first: " + CommentText(firstReason) + ")";
}

std::string DatasetsLine(const TLearnerRecord& record)
{
    if (record.DatasetFolder().empty())
        return {};
    const int files = record.DatasetFiles();
    const std::string why = record.DatasetsForNoLearner() ? ", no learner reads this dataset type" : "";
    return "// Datasets written to " + CommentText(record.DatasetFolder()) + ": " + std::to_string(files) +
           (files == 1 ? " file" : " files") + why;
}

std::string CommentText(std::string text)
{
    text = OneLine(std::move(text));
    for (std::size_t at = 0; at + 1 < text.size(); ++at) {
        const char a = text[at], b = text[at + 1];
        if ((a == '*' && b == '/') || (a == '/' && b == '*') || (a == '?' && b == '?'))
            text.insert(at + 1, " ");
    }
    return text;
}
