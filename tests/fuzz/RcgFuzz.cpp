// Fuzz target: any byte sequence handed to the log reader must end in records,
// a clean stop or one of the reader's bad-record texts, never in a crash, a hang or
// a read outside a buffer.
#include "core/io/rcsslogplayer/rcgparser.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace {

class CountingHandler : public rcss::RCGDataHandler {
public:
    int version = 0;
    long records = 0;

protected:
    void doHandleLogVersion(int v) override { version = v; }
    int doGetLogVersion() const override { return version; }
    void doHandleShortShowInfo2(std::streampos, const rcss::short_showinfo_t2& s) override { records += s.bytes[0]; }
    void doHandleMsgInfo(std::streampos, short, const std::string& msg) override { records += long(msg.size()); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size), std::ios::binary);
    CountingHandler handler;
    rcss::RCGParser parser(handler);
    try {
        // Every successful step consumes at least two bytes, so this ends.
        while (parser.parse(in)) {
        }
    } catch (const std::string&) {
    }
    return 0;
}
