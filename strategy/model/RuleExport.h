// "All Rules": the rules of every listed strategy as source text that declares
// a table of tActionRule rows, one row per strategy and one entry per node,
// inside a block named after the graph's abstraction level and the strategy
// length. The text grows in the rules memo, where rule learning prints what it
// prints while each strategy is learnt, so the export works on the memo's
// lines through a small interface rather than on a string of its own. A row
// is made of the strategy's learnt rules, never of what the memo shows: once
// the strategy is learnt its block is replaced by the row, or by a comment.
// It works on its own lines only: whatever the memo held before is left as it
// was, and the file holds the export alone, so that it is C however it ends.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// The lines of a text the export appends to and edits.
class TTextLines {
public:
    virtual ~TTextLines() = default;
    virtual int Count() const = 0;
    virtual std::vector<std::string> Lines() const = 0;
    virtual void Append(const std::string& line) = 0;
    virtual void Replace(int index, const std::string& line) = 0;
    // Replaces the lines from index to the end by the text ("\n" ends a
    // line; an empty text removes them).
    virtual void ReplaceFrom(int index, const std::string& text) = 0;
    // Replaces the whole text.
    void SetText(const std::string& text) { ReplaceFrom(0, text); }
};

// The lines of another text from one line on (those it held when the view
// was made are no part of it).
class TLinesFrom : public TTextLines {
public:
    explicit TLinesFrom(TTextLines& base) : base_(base), start_(base.Count()) {}
    int Count() const override { return base_.Count() - start_; }
    std::vector<std::string> Lines() const override;
    void Append(const std::string& line) override { base_.Append(line); }
    void Replace(int index, const std::string& line) override { base_.Replace(start_ + index, line); }
    void ReplaceFrom(int index, const std::string& text) override { base_.ReplaceFrom(start_ + index, text); }

private:
    TTextLines& base_;
    int start_;
};

// Lines held in a vector (tests, and texts built before they are shown).
class TLineVector : public TTextLines {
public:
    std::vector<std::string> lines;

    int Count() const override { return static_cast<int>(lines.size()); }
    std::vector<std::string> Lines() const override { return lines; }
    void Append(const std::string& line) override { lines.push_back(line); }
    void Replace(int index, const std::string& line) override;
    void ReplaceFrom(int index, const std::string& text) override;
};

// The temporary file every exported strategy is saved to, in the program's
// private temporary folder.
inline constexpr const char* kExportFileName = "TempResults.txt";

// The length written into the block's name and ACTIONRULELEN: the path
// function's index minus 12, so "avg, len=1" .. "avg, len=4" give 1 .. 4 (the
// other functions 0 or less).
inline int ExportLength(int pathFunction) { return pathFunction - 12; }
// Whether the C table can hold rows of that length: 1 .. 4 nodes, the path
// functions "avg, len=1" .. "avg, len=4".
inline bool ExportLengthFits(int length) { return length >= 1 && length <= 4; }
// What "All Rules" with the computer output says for another path function
// (its name as the graph window lists it).
std::string ExportLengthRefusal(const std::string& pathFunction);

// "#ifdef ABS<level>SEQ<length>": below 1 the level is "0" and the tenths
// (0.5 gives "05", 0.05 gives "00"), else the whole part (4 gives "4").
std::string ExportIfdefLine(double value, int length);
std::string ExportCountLine(int count);

// An item whose text names an attack, an interception or the right team, in
// any letter case, is not exported.
bool ExportSkips(const std::string& itemText);

// The textual clean-up of the finished source text (lines joined by CR LF):
// eleven replace-alls in a fixed order, each one pass left to right, case
// sensitive. They drop side prefixes of feature names, make names valid
// identifiers and join each strategy's entries onto one line.
std::string ApplyExportReplacements(std::string text);
// Makes every entry's action name ("tActionRule(<name>, ...") a C identifier:
// each character that cannot stand in one becomes "_", so the table compiles
// whatever the strategy's node names hold.
std::string CleanEntryIdentifiers(std::string text);
// The memo's last line after "All Rules" skipped strategies:
// "// 7 of 17 strategies skipped: their names hold Attack, Intercept or RTeam";
// of an export that stopped before it had seen them all, what it counts is
// said: "// 7 of the 9 strategies visited skipped: ..."; empty when none was
// skipped.
std::string ExportSkipLine(int skipped, int candidates, int visited);

// The lines joined by CR LF (no line end after the last).
std::string JoinCrLf(const std::vector<std::string>& lines);
// Every line followed by CR LF.
void WriteLinesCrLf(std::ostream& out, const std::vector<std::string>& lines);

struct TExportSettings {
    // Computer output: the source text; otherwise each strategy under a
    // "***Rule" line in the readable form.
    bool computer = true;
    // The graph's join value and the strategy length.
    double value = 0.0;
    int length = 0;
    // The date and time stamped on the first line.
    std::string when;
};

// One export run over the lines. Begin, then BeginBlock / EndBlock around the
// rule lines of every exported strategy, then Finish.
class TRuleExport {
public:
    // candidates: how many strategies the list offers; the count line shows it
    // until the first row is counted, and Finish sets it to the rows written.
    TRuleExport(TTextLines& lines, TExportSettings settings, int candidates);

    void Begin();
    void BeginBlock(const std::string& itemText);
    // Replaces the block by the row of the entry lines and counts it in the
    // count line, when they make a whole row: ACTIONRULELEN entries
    // ("  tActionRule(...),") and nothing else. Lines that do not (a node with
    // no rule list, too few or too many nodes) are dropped as DropBlock does,
    // with what is wrong; false then. Readable output keeps the block.
    bool EndBlock(const std::vector<std::string>& entries);
    // Replaces the block by one comment line that says why the strategy is
    // no row, "  /* <item>: <reason> */ \", neither a row nor counted.
    // (Readable output keeps its lines: they say it already.)
    void DropBlock(const std::string& reason);
    // The text so far as a finished table: the rows ended, NUMACTIONRULES
    // counting them, the table and the block closed, the replacements and the
    // identifier clean-up applied; a block not ended yet is left out.
    // Readable output: the lines as they stand.
    std::vector<std::string> Closed() const;
    // Closes the table and applies the replacements to the whole text.
    void Finish();
    int Blocks() const { return blocks_; }

private:
    TTextLines& lines_;
    TExportSettings settings_;
    int candidates_;
    int countLine_ = -1;
    int blockStart_ = -1;
    std::string blockItem_;
    int blocks_ = 0;
};

// One item of the strategy list as "All Rules" sees it.
struct TExportItem {
    std::string text;
    bool hasPath = false;
};

// How the rules of one strategy came out.
// NotLearnt: the learner refused a node's data; the export goes on.
enum class TExportLearnt { Learnt, Failed, Cancelled, NotLearnt };

// What the export asks of the window it runs in.
class TExportStrategies {
public:
    virtual ~TExportStrategies() = default;
    // The list may change while a learner runs (its message box lets events
    // through): false when the row no longer holds the item, which ends the
    // export.
    virtual bool StillListed(int row, const std::string& text) = 0;
    // Learns the strategy at the row; what learning prints may go into the lines.
    virtual TExportLearnt Learn(int row) = 0;
    // The rule lines of the strategy just learnt, one per node learnt, made
    // of its rules (RuleLine in the computer form; a node without a rule list
    // as a comment).
    virtual std::vector<std::string> Entries() const = 0;
    // The command's first failure as it says it: "learner failed: <reason>",
    // "dataset not written: <reason>".
    virtual std::string Failure() const = 0;
    // Why the strategy just learnt had a node not learnt.
    virtual std::string NotLearnt() const { return {}; }
    // The export's last line, when it has something to add ("" for none).
    virtual std::string Note() const { return {}; }
    // The export's text: after every strategy as a finished table of the rows
    // so far (TRuleExport::Closed), and once more at the end.
    virtual void Save(const std::vector<std::string>& lines) = 0;
};

// "All Rules": every item with a path but "All paths" is a candidate; those
// ExportSkips names get no block, the others are learnt in list order, one
// block each; after each the table so far is saved closed (Closed). A strategy with a node not learnt is a
// comment in the table and the export goes on; a failed or cancelled learner
// ends the export (every further block would be rules nobody learnt), its
// strategy a comment too. The table is closed however it ends, then come the
// skip line, the strategies' Note and, when it stopped early, "// Export
// stopped: <failure>" (Failure) or "// Export stopped by Cancel". The
// export writes after the lines it is given and leaves them as they are.
// Returns how many strategies were exported as rows.
int RunRuleExport(TTextLines& lines, const TExportSettings& settings, const std::vector<TExportItem>& items,
                  TExportStrategies& strategies);
