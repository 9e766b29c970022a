#include "platform/CrLfStream.h"

namespace platform {

CrLfStreamBuf::int_type CrLfStreamBuf::overflow(int_type ch)
{
    if (traits_type::eq_int_type(ch, traits_type::eof()))
        return traits_type::not_eof(ch);
    const char c = traits_type::to_char_type(ch);
    if (c == '\n')
        target_.write("\r\n", 2);
    else
        target_.put(c);
    return target_ ? ch : traits_type::eof();
}

std::streamsize CrLfStreamBuf::xsputn(const char* s, std::streamsize n)
{
    std::streamsize start = 0;
    for (std::streamsize i = 0; i < n; ++i) {
        if (s[i] != '\n')
            continue;
        target_.write(s + start, i - start);
        target_.write("\r\n", 2);
        start = i + 1;
    }
    target_.write(s + start, n - start);
    return target_ ? n : 0;
}

int CrLfStreamBuf::sync()
{
    target_.flush();
    return target_ ? 0 : -1;
}

}  // namespace platform
