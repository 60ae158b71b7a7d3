// Arbitrary bytes through the codec chains: the first four bytes are a
// codec word (little-endian), the rest the stored bytes. Unpacking must fail
// cleanly or hand back exactly the length it reports; packing the same bytes
// under the same word must unpack to them again.
#include "archive/Codec.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4 || size > 0xFFFFFFFFu) return 0;
    const std::uint32_t word = std::uint32_t(data[0]) | (std::uint32_t(data[1]) << 8) |
                               (std::uint32_t(data[2]) << 16) | (std::uint32_t(data[3]) << 24);
    const unsigned char* bytes = data + 4;
    const std::uint32_t length = static_cast<std::uint32_t>(size - 4);

    std::uint32_t decoded = 0;
    if (unsigned char* out = unpackChain(bytes, length, word, &decoded)) {
        volatile unsigned char sink = 0;
        for (std::uint32_t i = 0; i < decoded; ++i) sink = sink ^ out[i];
        (void)sink;
        std::free(out);
    } else if (decoded != 0) {
        std::abort();  // a failure reports no length
    }

    std::uint32_t packedWord = word;
    std::unique_ptr<PackedBlock> block(packChain(bytes, length, packedWord));
    if (block) {
        if ((packedWord & kCompressorMask) == kCodecBest) std::abort();
        std::uint32_t roundTrip = 0;
        unsigned char* back = unpackChain(*block, packedWord, &roundTrip);
        if (!back || roundTrip != length || (length && std::memcmp(back, bytes, length) != 0)) std::abort();
        std::free(back);
    }
    return 0;
}
