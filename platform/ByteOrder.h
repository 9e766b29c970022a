// Big-endian field decoding for the binary match log (network byte order).
#pragma once

#include <cstdint>

namespace platform {

inline uint16_t ReadBE16(const unsigned char* p)
{
    return static_cast<uint16_t>((uint16_t(p[0]) << 8) | uint16_t(p[1]));
}

inline uint32_t ReadBE32(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

inline int16_t ReadBE16Signed(const unsigned char* p) { return static_cast<int16_t>(ReadBE16(p)); }
inline int32_t ReadBE32Signed(const unsigned char* p) { return static_cast<int32_t>(ReadBE32(p)); }

// A 32-bit fixed-point field: the signed integer times 2^-16.
inline double ReadNetFixed(const unsigned char* p) { return static_cast<double>(ReadBE32Signed(p)) * (1.0 / 65536.0); }

}  // namespace platform
