#include "core/io/rcsslogplayer/rcgparser.h"

#include "platform/ByteOrder.h"

#include <algorithm>
#include <istream>
#include <vector>

namespace rcss {

namespace {

enum Mode : int16_t {
    NO_INFO = 0,
    SHOW_MODE = 1,
    MSG_MODE = 2,
    PM_MODE = 5,
    TEAM_MODE = 6,
    PT_MODE = 7,
    PARAM_MODE = 8,
    PPARAM_MODE = 9,
};

// Reads exactly n bytes; false when fewer could be read.
bool ReadExact(std::istream& strm, void* dst, std::size_t n)
{
    strm.read(static_cast<char*>(dst), static_cast<std::streamsize>(n));
    return strm.gcount() == static_cast<std::streamsize>(n);
}

template <class Record>
bool ReadRecord(std::istream& strm, Record& rec)
{
    return ReadExact(strm, rec.bytes, Record::size);
}

}  // namespace

void RCGDataHandler::doHandleShortShowInfo2At(std::streampos pos, const unsigned char* bytes)
{
    short_showinfo_t2 show;
    std::copy(bytes, bytes + short_showinfo_t2::size, show.bytes);
    doHandleShortShowInfo2(pos, show);
}

bool RCGParser::endOfInput(std::istream& strm)
{
    if (strm.eof())
        m_handler.handleEOF();
    return false;
}

bool RCGParser::doParse(std::istream& strm)
{
    // The header can only stand at the very start; a stream that failed to open
    // reports -1 here and fails its first read below. The position is asked once
    // per record: on a file stream each question is a system call.
    std::streampos pos = strm.tellg();
    m_recordStart = pos;
    if (pos == std::streampos(0)) {
        unsigned char header[4];
        if (!ReadExact(strm, header, sizeof header))
            return endOfInput(strm);
        if (header[0] == 'U' && header[1] == 'L' && header[2] == 'G') {
            m_handler.handleLogVersion(header[3]);  // a byte: 0 .. 255
            pos = std::streamoff(sizeof header);
        } else {
            strm.seekg(0);
            m_handler.handleLogVersion(1);
        }
        m_recordStart = pos;
    }

    if (m_handler.getLogVersion() == 1) {
        dispinfo_t disp;
        if (!ReadRecord(strm, disp))
            return endOfInput(strm);
        m_handler.handleDispInfo(pos, disp);
        return true;
    }
    return parseTagged(strm, pos);
}

bool RCGParser::parseTagged(std::istream& strm, std::streampos pos)
{
    unsigned char tag[2];
    if (!ReadExact(strm, tag, sizeof tag))
        return endOfInput(strm);

    switch (platform::ReadBE16Signed(tag)) {
    case NO_INFO:
        // A run of empty records in memory is passed in one step: a file of
        // zeros would take a call for every two bytes.
        if (m_input != nullptr && pos != std::streampos(-1)) {
            std::size_t at = static_cast<std::size_t>(static_cast<std::streamoff>(pos)) + 2;
            const std::size_t from = at;
            while (at + 2 <= m_inputSize && m_input[at] == 0 && m_input[at + 1] == 0)
                at += 2;
            if (at != from)
                strm.seekg(static_cast<std::streamoff>(at - from), std::ios::cur);
        }
        return true;
    case SHOW_MODE:
        if (m_handler.getLogVersion() == 3) {
            const std::streamoff at = static_cast<std::streamoff>(pos) + 2;  // after the tag
            if (m_input != nullptr && pos != std::streampos(-1) && at >= 0 &&
                static_cast<std::size_t>(at) + short_showinfo_t2::size <= m_inputSize) {
                m_handler.handleShortShowInfo2At(pos, m_input + at);
                strm.seekg(static_cast<std::streamoff>(short_showinfo_t2::size), std::ios::cur);
                return true;
            }
            short_showinfo_t2 show;
            if (!ReadRecord(strm, show))
                return endOfInput(strm);
            m_handler.handleShortShowInfo2(pos, show);
        } else {
            showinfo_t show;
            if (!ReadRecord(strm, show))
                return endOfInput(strm);
            m_handler.handleShowInfo(pos, show);
        }
        return true;
    case MSG_MODE: {
        unsigned char head[4];  // board, length
        if (!ReadExact(strm, head, sizeof head))
            return endOfInput(strm);
        const short board = platform::ReadBE16Signed(head);
        const int16_t length = platform::ReadBE16Signed(head + 2);
        // A negative length cannot describe a message: nothing after it can be
        // trusted, and the reason is told as it is, not as an unknown mode.
        if (length < 0)
            throw std::string(kNegativeLengthText);
        std::vector<char> text(static_cast<std::size_t>(length));
        if (!ReadExact(strm, text.data(), text.size()))
            return endOfInput(strm);
        std::size_t end = 0;
        while (end < text.size() && text[end] != '\0')
            ++end;
        m_handler.handleMsgInfo(pos, board, std::string(text.data(), end));
        return true;
    }
    case PM_MODE: {
        char playMode;
        if (!ReadExact(strm, &playMode, 1))
            return endOfInput(strm);
        m_handler.handlePlayMode(pos, playMode);
        return true;
    }
    case TEAM_MODE: {
        team_t teams[2];
        if (!ReadExact(strm, teams, sizeof teams))
            return endOfInput(strm);
        m_handler.handleTeamInfo(pos, teams[0], teams[1]);
        return true;
    }
    case PT_MODE: {
        player_type_t type;
        if (!ReadRecord(strm, type))
            return endOfInput(strm);
        m_handler.handlePlayerType(pos, type);
        return true;
    }
    case PARAM_MODE: {
        server_params_t params;
        if (!ReadRecord(strm, params))
            return endOfInput(strm);
        m_handler.handleServerParams(pos, params);
        return true;
    }
    case PPARAM_MODE: {
        player_params_t params;
        if (!ReadRecord(strm, params))
            return endOfInput(strm);
        m_handler.handlePlayerParams(pos, params);
        return true;
    }
    default:
        throw std::string(kUnknownModeText);
    }
}

}  // namespace rcss
