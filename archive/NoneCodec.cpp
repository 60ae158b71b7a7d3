// None (id 0x00000000): the stored bytes are the input unchanged, n bytes
// for n. Packing and unpacking are the same copy.
#include "archive/BuiltinCodecs.h"

#include <cstring>

namespace {

class NoneCodec final : public Codec {
public:
    NoneCodec() : Codec(kCodecNone, "None", "No compression") { registerCodec(this); }

    void pack(const unsigned char* input, unsigned char*& output, std::uint32_t inputLength,
              std::uint32_t& outputLength) override {
        output = allocateBytes(inputLength);
        if (!output) {
            outputLength = 0;
            return;
        }
        if (inputLength) std::memcpy(output, input, inputLength);
        outputLength = inputLength;
    }

    void unpack(const unsigned char* input, unsigned char*& output, std::uint32_t inputLength,
                std::uint32_t& outputLength) override {
        pack(input, output, inputLength, outputLength);
    }
};

}  // namespace

Codec& noneCodec() {
    static NoneCodec codec;
    return codec;
}
