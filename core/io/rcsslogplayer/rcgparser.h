// Reader of the soccer server's binary match logs (.rcg). It turns the file into
// a sequence of records and hands each one, raw and still in network byte order,
// to a receiver; the receiver decodes what it needs. One record per parse call.
#pragma once

#include "core/model/RcgRecords.h"

#include <cstddef>
#include <cstdint>
#include <ios>
#include <string>

namespace rcss {

// Thrown (as a std::string) for a record whose mode tag is not known.
inline const char* const kUnknownModeText = "Unknown mode\n";
// Thrown (as a std::string) for a message record whose length is negative.
inline const char* const kNegativeLengthText = "negative message length\n";

// The receiver of the records. Every handler has a public forwarder; the position
// is the stream position at which the record began (before its mode tag).
class RCGDataHandler {
public:
    virtual ~RCGDataHandler() = default;

    void handleLogVersion(int version) { doHandleLogVersion(version); }
    int getLogVersion() const { return doGetLogVersion(); }
    void handleDispInfo(std::streampos pos, const dispinfo_t& disp) { doHandleDispInfo(pos, disp); }
    void handleShowInfo(std::streampos pos, const showinfo_t& show) { doHandleShowInfo(pos, show); }
    void handleShortShowInfo2(std::streampos pos, const short_showinfo_t2& show) { doHandleShortShowInfo2(pos, show); }
    // The same record where it lies in an input held in memory (short_showinfo_t2::size
    // bytes after the mode tag): a receiver that reads it there spares the copy.
    void handleShortShowInfo2At(std::streampos pos, const unsigned char* bytes) { doHandleShortShowInfo2At(pos, bytes); }
    void handleMsgInfo(std::streampos pos, short board, const std::string& msg) { doHandleMsgInfo(pos, board, msg); }
    void handlePlayMode(std::streampos pos, char playMode) { doHandlePlayMode(pos, playMode); }
    void handleTeamInfo(std::streampos pos, const team_t& left, const team_t& right) { doHandleTeamInfo(pos, left, right); }
    void handleServerParams(std::streampos pos, const server_params_t& params) { doHandleServerParams(pos, params); }
    void handlePlayerParams(std::streampos pos, const player_params_t& params) { doHandlePlayerParams(pos, params); }
    void handlePlayerType(std::streampos pos, const player_type_t& type) { doHandlePlayerType(pos, type); }
    void handleEOF() { doHandleEOF(); }

protected:
    virtual void doHandleLogVersion(int version) = 0;
    virtual int doGetLogVersion() const = 0;
    virtual void doHandleDispInfo(std::streampos, const dispinfo_t&) {}
    virtual void doHandleShowInfo(std::streampos, const showinfo_t&) {}
    virtual void doHandleShortShowInfo2(std::streampos, const short_showinfo_t2&) {}
    // By default the record is copied and handed on as any other.
    virtual void doHandleShortShowInfo2At(std::streampos pos, const unsigned char* bytes);
    virtual void doHandleMsgInfo(std::streampos, short, const std::string&) {}
    virtual void doHandlePlayMode(std::streampos, char) {}
    virtual void doHandleTeamInfo(std::streampos, const team_t&, const team_t&) {}
    virtual void doHandleServerParams(std::streampos, const server_params_t&) {}
    virtual void doHandlePlayerParams(std::streampos, const player_params_t&) {}
    virtual void doHandlePlayerType(std::streampos, const player_type_t&) {}
    virtual void doHandleEOF() {}
};

class Parser {
public:
    virtual ~Parser() = default;
    // Reads one record; false when the input is exhausted or unreadable.
    bool parse(std::istream& strm) { return doParse(strm); }

protected:
    virtual bool doParse(std::istream& strm) = 0;
};

class RCGParser : public Parser {
public:
    explicit RCGParser(RCGDataHandler& handler) : m_handler(handler) {}

    // Where the record of the latest parse call began (after the header when that
    // call read it); -1 when the stream could not tell. After parse returned false,
    // a value short of the end of the input means the input ends inside a record.
    std::streampos recordStart() const { return m_recordStart; }
    // The whole input, when the stream reads bytes held in memory (positions are
    // offsets into them): version-3 show records are then handed over where they
    // lie and skipped, instead of being copied out of the stream, and a run of
    // empty records (mode 0) is passed in one parse call.
    void setInput(const unsigned char* data, std::size_t size)
    {
        m_input = data;
        m_inputSize = size;
    }

protected:
    bool doParse(std::istream& strm) override;

private:
    // Called after a read delivered fewer bytes than asked: drops the record and
    // tells the handler when the file has ended.
    bool endOfInput(std::istream& strm);
    bool parseTagged(std::istream& strm, std::streampos pos);

    RCGDataHandler& m_handler;
    std::streampos m_recordStart = -1;
    const unsigned char* m_input = nullptr;
    std::size_t m_inputSize = 0;
};

}  // namespace rcss
