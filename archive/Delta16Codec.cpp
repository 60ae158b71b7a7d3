// Delta16 (id 0x00020000): n bytes in, n bytes stored. The input is read as
// little-endian 16-bit words: the first word is stored unchanged, every later
// whole word as its difference from the previous input word modulo 65536,
// and a last odd byte unchanged.
#include "archive/DeltaFilter.h"

namespace {

class Delta16Codec final : public DeltaFilter<std::uint16_t> {
public:
    Delta16Codec() : DeltaFilter(kCodecDelta16, "Delta16", "16-bit delta encoding") {
        registerCodec(this);
    }
};

}  // namespace

Codec& delta16Codec() {
    static Delta16Codec codec;
    return codec;
}
