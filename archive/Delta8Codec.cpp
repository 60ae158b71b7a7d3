// Delta8 (id 0x00010000): n bytes in, n bytes stored. The first byte is
// stored unchanged; every later byte is stored as its difference from the
// previous input byte, modulo 256.
#include "archive/DeltaFilter.h"

namespace {

class Delta8Codec final : public DeltaFilter<std::uint8_t> {
public:
    Delta8Codec() : DeltaFilter(kCodecDelta8, "Delta8", "8-bit delta encoding") {
        registerCodec(this);
    }
};

}  // namespace

Codec& delta8Codec() {
    static Delta8Codec codec;
    return codec;
}
