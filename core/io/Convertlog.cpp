// Reading a match log file or stream into a record: the reading itself, what it
// met, and the derived pass after it.
#include "core/io/Convertlog.h"

#include "core/io/FileKind.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"
#include "platform/ReadFile.h"

#include <iostream>
#include <new>
#include <stdexcept>
#include <utility>

int ParseRcgStream(std::istream& in, RoboCupFileT& log, std::ostream& errors)
{
    return ParseRcgStream(in, log, errors, nullptr);
}

namespace {

// How many bytes of a log go by between two redraws of the wait window: a
// fifth of a second or so on the slowest input.
constexpr std::streamoff kProgressStep = std::streamoff(16) << 20;

std::string MiB(std::uint64_t bytes) { return std::to_string(bytes >> 20); }

std::string WithoutLineEnds(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

// How many version-3 show records the rest of the input could hold at most:
// what the reading makes room for. 0 when the input cannot tell its size.
std::size_t ShowsThatFit(std::istream& in)
{
    if (in.fail())
        return 0;
    const std::streampos here = in.tellg();
    if (here == std::streampos(-1))
        return 0;
    in.seekg(0, std::ios::end);
    const std::streampos end = in.tellg();
    in.clear();
    in.seekg(here);
    if (end == std::streampos(-1) || end <= here)
        return 0;
    return static_cast<std::size_t>(end - here) / (2 + rcss::short_showinfo_t2::size) + 1;
}


// A read-only input over bytes in memory that can tell and set its position.
class MemoryInput : public std::streambuf {
public:
    MemoryInput(char* data, std::size_t size) { setg(data, data, data + size); }

protected:
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override
    {
        if ((which & std::ios_base::in) == 0)
            return pos_type(off_type(-1));
        const off_type from = dir == std::ios_base::beg ? 0 : dir == std::ios_base::cur ? gptr() - eback() : egptr() - eback();
        const off_type target = from + off;
        if (target < 0 || target > egptr() - eback())
            return pos_type(off_type(-1));
        setg(eback(), eback() + target, egptr());
        return pos_type(target);
    }
    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override
    {
        return seekoff(off_type(pos), std::ios_base::beg, which);
    }
};

// Parses the input; memory, when not null, is the whole input of memorySize bytes
// (which then stays where it is until the reading ends).
int ParseInput(std::istream& in, const unsigned char* memory, std::size_t memorySize, RoboCupFileT& log,
               std::ostream& errors, RcgReadResult* result);

}  // namespace

int ParseRcgStream(std::istream& in, RoboCupFileT& log, std::ostream& errors, RcgReadResult* result)
{
    return ParseInput(in, nullptr, 0, log, errors, result);
}

namespace {

int ParseInput(std::istream& in, const unsigned char* memory, std::size_t memorySize, RoboCupFileT& log,
               std::ostream& errors, RcgReadResult* result)
{
    RcgReadResult r;
    r.opened = !in.fail();
    // Where the record that ended the reading began: when the input goes on
    // beyond it, the input ended inside that record.
    std::streampos lastStart = -1;
    std::unique_ptr<rcss::TimeWriter> writer;
    auto unknownError = [&] {
        errors << "Unknown error occured\n";
        errors.flush();
        r.error = "Unknown error occured";
    };
    // Not the file's fault: no record is called bad for it.
    auto outOfMemory = [&] {
        r.outOfMemory = true;
        errors << "Out of memory\n";
        errors.flush();
    };
    try {
        writer = std::make_unique<rcss::TimeWriter>(log);
        writer->SetSource(memory);
        writer->Reserve(ShowsThatFit(in));
        rcss::RCGParser parser(*writer);
        if (memory != nullptr)
            parser.setInput(memory, memorySize);
        // The wait window is kept drawn by the bytes gone through, whatever
        // records they hold: a log of empty records has no show record that
        // would redraw it.
        std::streamoff nextMark = kProgressStep;
        while (parser.parse(in)) {
            const std::streamoff at = parser.recordStart();
            if (memory != nullptr && at >= nextMark) {
                nextMark = (at / kProgressStep + 1) * kProgressStep;
                platform::SetWaitText("Reading records (" + MiB(static_cast<std::uint64_t>(at)) + " of " +
                                      MiB(memorySize) + " MiB)");
            }
        }
        lastStart = parser.recordStart();
    } catch (const std::string& text) {
        errors << text << std::endl;
        r.error = WithoutLineEnds(text);
    } catch (const std::bad_alloc&) {
        outOfMemory();
    } catch (...) {
        unknownError();
    }
    // The records read before a bad one stay.
    if (writer) {
        try {
            writer->Finish();
        } catch (const std::bad_alloc&) {
            outOfMemory();
        } catch (...) {
            unknownError();
        }
    }
    if (writer)
        r.version = writer->getLogVersion();
    // A log without a team record has no team names, and the score its goals
    // made: what the score channels hold at its last cycle.
    if (log.leftScore == -1 && log.cycles > 0 && log.leftScoreChannel && log.rightScoreChannel) {
        log.leftScore = log.leftScoreChannel->Get(log.cycles - 1);
        log.rightScore = log.rightScoreChannel->Get(log.cycles - 1);
    }
    if (r.opened) {
        in.clear();
        in.seekg(0, std::ios::end);
        const std::streampos end = in.tellg();
        if (end != std::streampos(-1)) {
            r.size = static_cast<std::int64_t>(end);
            r.truncated = r.error.empty() && lastStart != std::streampos(-1) && lastStart < end;
        }
    }
    if (result)
        *result = std::move(r);
    return 0;
}

}  // namespace

int ParseRcgMemory(const unsigned char* data, std::size_t size, RoboCupFileT& log, std::ostream& errors,
                   RcgReadResult* result)
{
    // The stream only reads: the bytes are never written through it.
    MemoryInput buffer(const_cast<char*>(reinterpret_cast<const char*>(data)), size);
    std::istream memory(&buffer);
    return ParseInput(memory, data, size, log, errors, result);
}

int ParseRcgFile(const std::string& fileName, RoboCupFileT& log, std::ostream& errors, RcgReadResult* result)
{
    // The whole file in one read, not one per record; the show records are then
    // written into the leaves from where they lie. Only a regular file within
    // the limit of a log is read at all: a pipe or a device could never end.
    platform::FileBytes bytes;
    platform::ReadError refused;
    const auto loading = [](std::uint64_t done, std::uint64_t total) {
        if (total > static_cast<std::uint64_t>(kProgressStep))
            platform::SetWaitText("Reading file (" + MiB(done) + " of " + MiB(total) + " MiB)");
    };
    if (!platform::ReadUserFile(fileName, platform::kLogFileLimit, bytes, &refused, loading)) {
        if (result) {
            *result = RcgReadResult{};
            if (refused.outOfMemory)
                result->outOfMemory = true;
            else
                result->refusal = refused.Message();
        }
        return 0;
    }
    const int rc = ParseRcgMemory(reinterpret_cast<const unsigned char*>(bytes.data.get()), bytes.size, log, errors,
                                  result);
    if (result)
        result->gzipped = LooksGzipped(bytes.View());
    return rc;
}

int ParseRcgFile(const std::string& fileName, RoboCupFileT& log, std::ostream& errors)
{
    return ParseRcgFile(fileName, log, errors, nullptr);
}

int ParseRcgFile(const std::string& fileName, RoboCupFileT& log) { return ParseRcgFile(fileName, log, std::cerr); }

int ReadRcgFile(const std::string& fileName, RoboCupFileT& log) { return ReadRcgFile(fileName, log, std::cerr); }

int ReadRcgFile(const std::string& fileName, RoboCupFileT& log, std::ostream& errors)
{
    return ReadRcgFile(fileName, log, errors, nullptr);
}

int ReadRcgFile(const std::string& fileName, RoboCupFileT& log, RcgReadResult* result)
{
    return ReadRcgFile(fileName, log, std::cerr, result);
}

int ReadRcgFile(const std::string& fileName, RoboCupFileT& log, std::ostream& errors, RcgReadResult* result)
{
    log.cycles = 0;
    if (log.stream)
        log.stream->ClearChannels();
    // A second read must not resolve type indices against the types of the first.
    log.playerTypes.clear();
    ParseRcgFile(fileName, log, errors, result);
    // Derived over whatever cycles were read, also after a bad record.
    log.ComputeCalculatedFields();
    return 0;
}

