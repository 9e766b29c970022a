#include "strategy/model/RuleExport.h"

#include "strategy/model/LearnerRecord.h"

#include "core/model/Format.h"

#include <algorithm>
#include <cctype>
#include <cmath>

void TLineVector::Replace(int index, const std::string& line)
{
    if (index >= 0 && index < Count())
        lines[static_cast<std::size_t>(index)] = line;
}

std::vector<std::string> TLinesFrom::Lines() const
{
    std::vector<std::string> all = base_.Lines();
    const auto first = std::min(all.size(), static_cast<std::size_t>(std::max(start_, 0)));
    return {all.begin() + static_cast<std::ptrdiff_t>(first), all.end()};
}

void TLineVector::ReplaceFrom(int index, const std::string& text)
{
    lines.resize(std::min(lines.size(), static_cast<std::size_t>(std::max(index, 0))));
    if (text.empty())
        return;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string ExportIfdefLine(double value, int length)
{
    // Truncated toward zero, as the level names of the generated tables have
    // always been formed.
    std::string level;
    if (value < 1.0)
        level = "0" + std::to_string(static_cast<long long>(std::trunc(value * 10.0)));
    else
        level = std::to_string(static_cast<long long>(std::trunc(value)));
    return "#ifdef ABS" + level + "SEQ" + std::to_string(length);
}

std::string ExportLengthRefusal(const std::string& pathFunction)
{
    return "The C table needs strategies of a fixed length: choose the path function \"avg, len=1\", "
           "\"avg, len=2\", \"avg, len=3\" or \"avg, len=4\" (not \"" + OneLineText(pathFunction) +
           "\"), or uncheck \"Computer output\". Nothing was written.";
}

std::string ExportCountLine(int count) { return "  #define NUMACTIONRULES " + std::to_string(count); }

namespace {
void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (;;) {
        const std::size_t hit = text.find(from, start);
        if (hit == std::string::npos)
            break;
        out.append(text, start, hit - start);
        out += to;
        start = hit + from.size();
    }
    out.append(text, start, std::string::npos);
    text = std::move(out);
}
}  // namespace

bool ExportSkips(const std::string& itemText)
{
    const std::string text = AsciiLower(itemText);
    for (const char* word : {"attack", "intercept", "rteam"})
        if (text.find(word) != std::string::npos)
            return true;
    return false;
}

std::string ApplyExportReplacements(std::string text)
{
    // "Team:" also cuts "LTeam:" and "RTeam:" down to "L" and "R": the tables
    // read by the players were generated that way, so it stays.
    static const std::pair<const char*, const char*> kReplacements[] = {
        {"LTeam.1:", ""},       {"LTeam.2:", ""},     {"LTeam.3:", ""},     {"Team:", ""},
        {"Pass-", "Pass_"},     {"Attack-", "Attack_"}, {"{\r\n", "{ "},    {"\r\n\r\n", "\r\n"},
        {",\r\n", ", "},        {"), }", ") }"},      {",\\\r\n  };", "\\\r\n  };"},
    };
    for (const auto& [from, to] : kReplacements)
        ReplaceAll(text, from, to);
    return text;
}

std::string CleanEntryIdentifiers(std::string text)
{
    static const std::string kEntry = "tActionRule(";
    for (std::size_t at = text.find(kEntry); at != std::string::npos; at = text.find(kEntry, at)) {
        at += kEntry.size();
        for (; at < text.size() && text[at] != ',' && text[at] != '\r' && text[at] != '\n'; ++at) {
            const unsigned char c = static_cast<unsigned char>(text[at]);
            if (!(std::isalnum(c) && c < 0x80) && c != '_')
                text[at] = '_';
        }
    }
    return text;
}

std::string ExportSkipLine(int skipped, int candidates, int visited)
{
    if (skipped <= 0)
        return {};
    const std::string of = visited < candidates ? " of the " + std::to_string(visited) +
                                                      (visited == 1 ? " strategy visited" : " strategies visited")
                                                : " of " + std::to_string(candidates) +
                                                      (candidates == 1 ? " strategy" : " strategies");
    return "// " + std::to_string(skipped) + of + " skipped: " +
           (skipped == 1 ? "its name holds" : "their names hold") + " Attack, Intercept or RTeam";
}

std::string JoinCrLf(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += lines[i];
    }
    return text;
}

void WriteLinesCrLf(std::ostream& out, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        out << line << "\r\n";
}

TRuleExport::TRuleExport(TTextLines& lines, TExportSettings settings, int candidates)
    : lines_(lines), settings_(std::move(settings)), candidates_(candidates)
{
}

void TRuleExport::Begin()
{
    lines_.Append("// *** Creating rules for all list @" + settings_.when);
    if (!settings_.computer)
        return;
    lines_.Append(ExportIfdefLine(settings_.value, settings_.length));
    lines_.Append(ExportCountLine(candidates_));
    countLine_ = lines_.Count() - 1;
    lines_.Append("  #define ACTIONRULELEN " + std::to_string(settings_.length));
    lines_.Append("  #define RULES tActionRule rules[NUMACTIONRULES][ACTIONRULELEN] = {\\");
}

void TRuleExport::BeginBlock(const std::string& itemText)
{
    blockStart_ = lines_.Count();
    blockItem_ = itemText;
    lines_.Append("");
    lines_.Append(settings_.computer ? "{" : "***Rule " + itemText);
}

bool TRuleExport::EndBlock(const std::vector<std::string>& entries)
{
    if (!settings_.computer) {
        ++blocks_;
        return true;
    }
    // A row short of entries would be filled up with null conditions, one
    // with more would not compile, and any other line is a node's comment.
    int count = 0;
    bool others = false;
    std::string row = "\n{";
    for (const std::string& line : entries) {
        if (line.rfind("  tActionRule(", 0) == 0)
            ++count;
        else if (!line.empty())
            others = true;
        row += "\n" + line;
    }
    if (others || count != settings_.length) {
        DropBlock(others ? "a node without rules"
                         : std::to_string(count) + (count == 1 ? " entry" : " entries") + " where a row has " +
                               std::to_string(settings_.length));
        return false;
    }
    ++blocks_;
    lines_.ReplaceFrom(blockStart_, row + "\n},\\");
    lines_.Replace(countLine_, ExportCountLine(blocks_));
    blockStart_ = -1;
    return true;
}

void TRuleExport::DropBlock(const std::string& reason)
{
    if (!settings_.computer || blockStart_ < 0)
        return;
    lines_.ReplaceFrom(blockStart_, "\n  /* " + CommentText(blockItem_ + ": " + reason) + " */ \\");
    blockStart_ = -1;
}

std::vector<std::string> TRuleExport::Closed() const
{
    std::vector<std::string> lines = lines_.Lines();
    if (!settings_.computer || countLine_ < 0)
        return lines;
    if (blockStart_ >= 0)
        lines.resize(std::min(lines.size(), static_cast<std::size_t>(blockStart_)));
    const auto count = static_cast<std::size_t>(countLine_);
    // The rows written, also when none was: the table never claims more.
    lines[count] = ExportCountLine(blocks_);
    if (blocks_ == 0) {
        // C has no array of no rows nor empty braces: one zeroed row keeps the
        // table valid, and NUMACTIONRULES 0 keeps a player from reading it.
        lines[count + 2] = "  #define RULES tActionRule rules[1][ACTIONRULELEN] = {\\";
        lines.emplace_back("  { { 0 } } \\");
    }
    lines.emplace_back("  };");
    lines.emplace_back("#endif");
    std::string text = CleanEntryIdentifiers(ApplyExportReplacements(JoinCrLf(lines)));
    ReplaceAll(text, "\r\n", "\n");
    TLineVector closed;
    closed.SetText(text);
    return closed.lines;
}

void TRuleExport::Finish()
{
    if (!settings_.computer)
        return;
    const std::vector<std::string> closed = Closed();
    std::string text;
    for (std::size_t i = 0; i < closed.size(); ++i)
        text += (i > 0 ? "\n" : "") + closed[i];
    lines_.SetText(text);
}

int RunRuleExport(TTextLines& text, const TExportSettings& settings, const std::vector<TExportItem>& items,
                  TExportStrategies& strategies)
{
    TLinesFrom lines(text);
    std::vector<int> candidates;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].hasPath && items[i].text != "All paths")
            candidates.push_back(static_cast<int>(i));
    TRuleExport exportRun(lines, settings, static_cast<int>(candidates.size()));
    exportRun.Begin();
    int skipped = 0;
    int visited = 0;
    TExportLearnt stop = TExportLearnt::Learnt;
    for (const int row : candidates) {
        const std::string& text = items[static_cast<std::size_t>(row)].text;
        if (ExportSkips(text)) {
            ++visited;
            ++skipped;
            continue;
        }
        if (!strategies.StillListed(row, text))
            break;
        ++visited;
        exportRun.BeginBlock(text);
        stop = strategies.Learn(row);
        switch (stop) {
        case TExportLearnt::Learnt: exportRun.EndBlock(strategies.Entries()); break;
        case TExportLearnt::NotLearnt: exportRun.DropBlock("not learnt: " + strategies.NotLearnt()); break;
        case TExportLearnt::Failed: exportRun.DropBlock(strategies.Failure()); break;
        case TExportLearnt::Cancelled: exportRun.DropBlock("cancelled"); break;
        }
        // A run ended by a crash or a kill leaves a table that compiles.
        strategies.Save(exportRun.Closed());
        if (stop == TExportLearnt::Failed || stop == TExportLearnt::Cancelled)
            break;
    }
    exportRun.Finish();
    // Say what was left out, so that a short table is not taken for the whole list.
    if (const std::string line = ExportSkipLine(skipped, static_cast<int>(candidates.size()), visited);
        !line.empty())
        lines.Append(line);
    if (const std::string note = strategies.Note(); !note.empty())
        lines.Append(note);
    if (stop == TExportLearnt::Failed)
        lines.Append("// Export stopped: " + CommentText(strategies.Failure()));
    else if (stop == TExportLearnt::Cancelled)
        lines.Append("// Export stopped by Cancel");
    // The finished text too, so that the file holds source that compiles.
    strategies.Save(lines.Lines());
    return exportRun.Blocks();
}
