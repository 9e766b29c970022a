// Loading a binary match log into an open log record: the reader's records are
// decoded and written into the record's channels, one value per leaf and cycle;
// team names, scores, parameter records and player types go into the record.
#pragma once

#include "core/io/rcsslogplayer/rcgparser.h"
#include "platform/ByteOrder.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class RoboCupFileT;

namespace rcss {

// A 32-bit fixed-point field in network order: the signed integer times 2^-16.
inline double NetFixedToDouble(const unsigned char* p)
{
    return static_cast<double>(platform::ReadBE32Signed(p)) * (1.0 / 65536.0);
}
// A 16-bit field in network order, as a signed number.
inline std::int16_t NetShort(const unsigned char* p) { return platform::ReadBE16Signed(p); }

// The receiver that writes a log's records into a record created with the full
// schema. It lives for one file: goal counters and the pending play mode start at 0.
class TimeWriter : public RCGDataHandler {
public:
    // Resolves the channels it writes once, here; throws std::runtime_error when the
    // record's leaves do not have the schema's types.
    explicit TimeWriter(RoboCupFileT& log);
    ~TimeWriter() override;

    // Makes room for about this many show records (what the file's size allows), so
    // that nothing grows twice while reading.
    void Reserve(std::size_t shows);
    // The whole input, when it is in memory and stays there until Finish: records
    // are then found in it by their position instead of being copied.
    void SetSource(const unsigned char* input) { m_source = input; }
    // Writes the show records read so far into the leaves and counts them as the
    // log's cycles. Time, play mode and score are written as each record arrives;
    // the rest waits here, one object's leaves per piece of parallel work. Call it
    // after the last record, also after a bad one. When it throws, every leaf is
    // cut back to what it held before these records.
    void Finish();

protected:
    void doHandleLogVersion(int version) override { m_version = version; }
    int doGetLogVersion() const override { return m_version; }
    void doHandleShortShowInfo2(std::streampos pos, const short_showinfo_t2& show) override;
    void doHandleShortShowInfo2At(std::streampos pos, const unsigned char* bytes) override;
    void doHandlePlayMode(std::streampos pos, char playMode) override;
    void doHandleTeamInfo(std::streampos pos, const team_t& left, const team_t& right) override;
    void doHandleServerParams(std::streampos pos, const server_params_t& params) override;
    void doHandlePlayerParams(std::streampos pos, const player_params_t& params) override;
    void doHandlePlayerType(std::streampos pos, const player_type_t& type) override;

private:
    struct Targets;
    // Appends the record's time, play mode and score and keeps the record for
    // Finish; the time is kept in m_time.
    void appendCycle(const unsigned char* show);
    // Appends the record's cycle and keeps it for Finish: the record's own bytes
    // when the input is in memory (at its position there), else a copy.
    void takeShow(std::streampos pos, const unsigned char* bytes);
    struct Columns;
    // Gives every leaf of object o (0 the ball) n new values: the constant ones
    // filled, the decoded ones left for writeRecords, whose places go into columns.
    void extendObject(int o, std::size_t n, Columns& columns);
    struct Extremes;
    // Decodes shows[first .. last) into the decoded leaves of every object and
    // finds the extremes of what it wrote into each.
    static void writeRecords(const Columns& columns, const std::vector<const unsigned char*>& shows,
                             std::size_t first, std::size_t last, Extremes& extremes);
    // Takes the extremes each piece found in object o's decoded leaves, in the
    // order of the pieces, into the leaves' extremes.
    void noteObject(int o, const std::vector<Extremes>& pieces);

    int m_version = 0;
    int m_time = 0;
    int m_pendingPlayMode = 0;  // written at the next cycle; 0 = none
    int m_scoreDiff = 0;        // left goals minus right goals so far
    int m_leftScore = 0;
    int m_rightScore = 0;
    RoboCupFileT& m_log;
    std::unique_ptr<Targets> m_targets;
    // The show records Finish has still to write: copied here, or where they start
    // in m_source.
    std::vector<unsigned char> m_shows;
    std::vector<std::size_t> m_showStarts;
    std::size_t m_pending = 0;  // how many
    const unsigned char* m_source = nullptr;
};

}  // namespace rcss

// What reading one file met, for telling the user why a log holds no cycles or
// fewer than the file promised.
struct RcgReadResult {
    bool opened = false;     // the input could be opened
    std::string refusal;     // why a file was not read at all ("Cannot read the file <file>:
                             // it is not a regular file (a named pipe)"); empty when it was
    bool gzipped = false;    // the file starts as a gzip stream does
    int version = 0;         // the header's version byte as read, 0 .. 255 (1 for a file without
                             // header; a text log's digit character, '5' for "ULG5"); 0 when not
                             // even a header could be read
    std::int64_t size = -1;  // bytes of the input, -1 when unknown
    bool truncated = false;  // the input ends inside a record: the cycles before it were kept
    std::string error;       // the bad record's text or "Unknown error occured" without the line
                             // ends; empty when the reading ran to the end of the input
    bool outOfMemory = false;  // memory ran out while the file was read: the file is not to
                               // blame, and the cycles read (if any) are no whole log
};


// Reads the file into a record created with the full schema: cycles and channels
// emptied, player types cleared, the file parsed, then the derived pass over the
// cycles read; memory running out there goes to the caller as std::bad_alloc.
// Returns 0.
int ReadRcgFile(const std::string& fileName, RoboCupFileT& log);
// The same with the reason for a stop written to the given stream instead of the
// standard error stream (for a caller that wants to tell the user).
int ReadRcgFile(const std::string& fileName, RoboCupFileT& log, std::ostream& errors);
// The same, also telling what the reading met (result may be null); errors as above.
int ReadRcgFile(const std::string& fileName, RoboCupFileT& log, std::ostream& errors, RcgReadResult* result);
int ReadRcgFile(const std::string& fileName, RoboCupFileT& log, RcgReadResult* result);
// Parses the file into the record's channels. A bad record ends the reading: its
// text and a line end go to the error stream ("Unknown mode\n\n", "negative message
// length\n\n"), anything else
// thrown writes "Unknown error occured\n"; the cycles read before stay. Memory
// running out is no bad record: "Out of memory\n" and outOfMemory in the result. A file that
// cannot be opened gives nothing and says nothing. Only a regular file of at
// most platform::kLogFileLimit bytes is read, opened without waiting, whole into
// memory; anything else is refused before a byte is read, with the reason in
// the result. Every 16 MiB read and parsed the wait text tells how far it is
// ("Reading file (16 of 900 MiB)", "Reading records (16 of 900 MiB)"), so that
// the window is redrawn whatever the file holds. Returns 0.
int ParseRcgFile(const std::string& fileName, RoboCupFileT& log);
int ParseRcgFile(const std::string& fileName, RoboCupFileT& log, std::ostream& errors);
// The same over an open binary stream.
int ParseRcgStream(std::istream& in, RoboCupFileT& log, std::ostream& errors);
// The same, also telling what the reading met (result may be null). The stream is
// left at its end.
int ParseRcgFile(const std::string& fileName, RoboCupFileT& log, std::ostream& errors, RcgReadResult* result);
int ParseRcgStream(std::istream& in, RoboCupFileT& log, std::ostream& errors, RcgReadResult* result);
// The same over a whole input of size bytes held in memory, as a file is read: the
// show records are decoded where they lie (data must stay until it returns).
int ParseRcgMemory(const unsigned char* data, std::size_t size, RoboCupFileT& log, std::ostream& errors,
                   RcgReadResult* result = nullptr);
