// Delta32 (id 0x00030000): n bytes in, n bytes stored. The input is read as
// little-endian 32-bit words: the first word is stored unchanged, every later
// whole word as its difference from the previous input word modulo 2^32,
// and the last n mod 4 bytes unchanged.
#include "archive/DeltaFilter.h"

namespace {

class Delta32Codec final : public DeltaFilter<std::uint32_t> {
public:
    Delta32Codec() : DeltaFilter(kCodecDelta32, "Delta32", "32-bit delta encoding") {
        registerCodec(this);
    }
};

}  // namespace

Codec& delta32Codec() {
    static Delta32Codec codec;
    return codec;
}
