// The six codecs this library ships, each in its own file. Each accessor
// constructs its codec on first use; the constructor registers it. The
// registry calls them in a fixed order (see CodecRegistry.cpp), so the
// registry order never depends on link or static-construction order.
#pragma once

#include "archive/Codec.h"

#include <cstdint>
#include <cstdlib>

Codec& noneCodec();
Codec& zlibCodec();
Codec& delta8Codec();
Codec& delta16Codec();
Codec& delta32Codec();
Codec& murkCodec();

// malloc that never mistakes an empty buffer for a failed allocation.
inline unsigned char* allocateBytes(std::uint32_t length) {
    return static_cast<unsigned char*>(std::malloc(length ? length : 1));
}

// Byte-order helpers for the format's little-endian integers.
inline std::uint32_t readLE32(const unsigned char* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
inline std::uint16_t readLE16(const unsigned char* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}
inline void writeLE32(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}
inline void writeLE16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
