// Text files for other tools (graph files, learner datasets) end every line with
// CR LF, as on the system those tools come from. A CrLfStream writes through to
// another stream and turns every "\n" written to it into "\r\n", so writers
// stay plain "<<" code.
#pragma once

#include <ostream>
#include <streambuf>

namespace platform {

class CrLfStreamBuf : public std::streambuf {
public:
    explicit CrLfStreamBuf(std::ostream& target) : target_(target) {}

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    std::ostream& target_;
};

class CrLfStream : public std::ostream {
public:
    // target must outlive this stream; its state tells whether writing worked.
    explicit CrLfStream(std::ostream& target) : std::ostream(nullptr), buf_(target) { rdbuf(&buf_); }

private:
    CrLfStreamBuf buf_;
};

}  // namespace platform
