// Murk (id 0x74000000): n bytes in, n bytes stored. Every byte is XORed with
// the low byte of a keystream that restarts from the same fixed seed for
// every buffer, so packing and unpacking are one operation and applying it
// twice gives the input back. It hides bytes from casual eyes; it is no
// encryption.
#include "archive/BuiltinCodecs.h"

namespace {

constexpr std::uint32_t kSeed = 862150094u;
constexpr std::uint32_t kFirstMix = 0x3A07E6D2u;
constexpr std::uint32_t kSecondMix = 0x58B2F01Du;
constexpr std::uint32_t kOutputMix = 0x2E9D4C63u;

// Process-wide, like the rest of the registry: codec calls never run
// concurrently, and every call reseeds before use.
std::uint32_t stateA = 0;
std::uint32_t stateB = 0;

// A right rotation by r for r in 1..31; for r == 0 both shifts are 0 and
// the value is doubled, which the stored keystream depends on.
std::uint32_t fold(std::uint32_t x, std::uint32_t r) {
    return (x >> r) + (x << ((32 - r) & 31));
}

void reseed(std::uint32_t s) {
    stateA = fold(s ^ kFirstMix, s & 31);
    stateB = fold(s ^ kSecondMix, (s >> 5) & 31);
}

std::uint32_t nextKeystreamWord() {
    const std::uint32_t r = (stateB >> 13) + (stateB << 19);
    const std::uint32_t t = stateA ^ kOutputMix;
    stateA = r ^ stateA;
    stateB = t;
    return t;
}

class MurkCodec final : public Codec {
public:
    MurkCodec() : Codec(kCodecMurk, "Murk", "Murk WQX Filter") {
        reseed(kSeed);
        registerCodec(this);
    }

    void pack(const unsigned char* input, unsigned char*& output, std::uint32_t inputLength,
              std::uint32_t& outputLength) override {
        output = allocateBytes(inputLength);
        if (!output) {
            outputLength = 0;
            return;
        }
        reseed(kSeed);
        for (std::uint32_t i = 0; i < inputLength; ++i) {
            output[i] = static_cast<unsigned char>(input[i] ^ (nextKeystreamWord() & 0xFF));
        }
        outputLength = inputLength;
    }

    void unpack(const unsigned char* input, unsigned char*& output, std::uint32_t inputLength,
                std::uint32_t& outputLength) override {
        pack(input, output, inputLength, outputLength);
    }
};

}  // namespace

Codec& murkCodec() {
    static MurkCodec codec;
    return codec;
}
