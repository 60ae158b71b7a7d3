// Codec chains and best selection.
#include "archive/Codec.h"

#include "TestSupport.h"

#include <memory>
#include <zlib.h>

namespace {

struct Packed {
    bool ok = false;
    std::uint32_t word = 0;
    ByteVector bytes;
};

Packed pack(const ByteVector& input, std::uint32_t word) {
    Packed result;
    result.word = word;
    std::unique_ptr<PackedBlock> block(
        packChain(input.data(), static_cast<std::uint32_t>(input.size()), result.word));
    if (!block) return result;
    result.ok = true;
    result.bytes.assign(block->data, block->data + block->length);
    return result;
}

bool unpack(const ByteVector& stored, std::uint32_t word, ByteVector& out) {
    std::uint32_t length = 0;
    unsigned char* data = unpackChain(stored.data(), static_cast<std::uint32_t>(stored.size()), word, &length);
    if (!data) return false;
    out.assign(data, data + length);
    std::free(data);
    return true;
}

std::size_t zlibStreamLength(const ByteVector& input) {
    ByteVector stream(compressBound(input.size()));
    uLongf length = stream.size();
    EXPECT_EQ(compress(stream.data(), &length, input.data(), input.size()), Z_OK);
    return length;
}

TEST(UnpackChain, CopyZlibAndLowByteFallback) {
    const ByteVector input = sampleText(4000);
    ByteVector out;
    ASSERT_TRUE(unpack(input, 0, out));
    EXPECT_EQ(out, input);

    const Packed zlib = pack(input, 1);
    ASSERT_TRUE(zlib.ok);
    for (std::uint32_t word : {0x00000001u, 0x00000101u, 0x0000AB01u}) {
        ASSERT_TRUE(unpack(zlib.bytes, word, out)) << std::hex << word;
        EXPECT_EQ(out, input);
    }
}

TEST(UnpackChain, UnknownIdsFail) {
    const ByteVector input = sampleText(100);
    ByteVector out;
    for (std::uint32_t word : {0x00000042u, 0x00000142u, 0x00040000u, 0x75000000u, 0x0000FFFFu}) {
        EXPECT_FALSE(unpack(input, word, out)) << std::hex << word;
    }
}

TEST(PackChain, NoFallbackWhenPacking) {
    EXPECT_FALSE(pack(sampleText(100), 0x00000101).ok);
    EXPECT_FALSE(pack(sampleText(100), 0x00040001).ok);
    EXPECT_FALSE(pack(sampleText(100), 0x01000001).ok);
}

TEST(PackChain, ZlibBlockIsStreamLengthWithSizeInFront) {
    const ByteVector input = sampleText(2500);
    const Packed zlib = pack(input, 1);
    ASSERT_TRUE(zlib.ok);
    EXPECT_EQ(zlib.bytes.size(), zlibStreamLength(input));
    EXPECT_EQ(getLE32(zlib.bytes, 0), 2500u);
}

TEST(PackChain, EveryWordRoundTrips) {
    const std::uint32_t compressors[] = {0x0000, 0x0001};
    const std::uint32_t inner[] = {0, kCodecDelta8, kCodecDelta16, kCodecDelta32};
    const std::uint32_t outer[] = {0, kCodecMurk};
    const ByteVector inputs[] = {ByteVector{}, ByteVector{7}, sampleText(1001), sampleNoise(515)};
    for (std::uint32_t c : compressors) {
        for (std::uint32_t i : inner) {
            for (std::uint32_t o : outer) {
                const std::uint32_t word = c | i | o;
                for (const ByteVector& input : inputs) {
                    const Packed packed = pack(input, word);
                    ASSERT_TRUE(packed.ok) << std::hex << word;
                    EXPECT_EQ(packed.word, word);
                    ByteVector out;
                    ASSERT_TRUE(unpack(packed.bytes, word, out)) << std::hex << word;
                    EXPECT_EQ(out, input) << std::hex << word << " n=" << input.size();
                }
            }
        }
    }
}

TEST(PackChain, StagesRunInnerCompressorOuter) {
    // Delta16 then ZLIB then Murk: undoing by hand in the mirror order gives
    // the input back.
    const ByteVector input = sampleText(600);
    const Packed packed = pack(input, kCodecMurk | kCodecDelta16 | kCodecZlib);
    ASSERT_TRUE(packed.ok);
    ByteVector unscrambled, inflated, restored;
    ASSERT_TRUE(unpack(packed.bytes, kCodecMurk, unscrambled));  // Murk over None
    ASSERT_TRUE(unpack(unscrambled, kCodecZlib, inflated));
    ASSERT_TRUE(unpack(inflated, kCodecDelta16, restored));     // Delta16 over None
    EXPECT_EQ(restored, input);
}

struct BestCase {
    const char* what;
    ByteVector input;
    std::uint32_t word;
    std::uint32_t expected;
};

TEST(BestSelection, Winners) {
    const BestCase cases[] = {
        {"text shrinks with zlib", sampleText(5000), 0x0000FFFF, 0x00000001},
        {"noise grows with zlib", sampleNoise(7728), 0x0000FFFF, 0x00000000},
        {"empty data is smallest copied", ByteVector{}, 0x0000FFFF, 0x00000000},
        {"delta then choose", sampleText(3000), 0x0002FFFF, 0x00020001},
        {"delta then choose, noise", sampleNoise(3000), 0x0002FFFF, 0x00020000},
        {"choose then scramble", sampleText(3000), 0x7400FFFF, 0x74000001},
        {"choose then scramble, noise", sampleNoise(3000), 0x7400FFFF, 0x74000000},
    };
    for (const BestCase& c : cases) {
        const Packed packed = pack(c.input, c.word);
        ASSERT_TRUE(packed.ok) << c.what;
        EXPECT_EQ(packed.word, c.expected) << c.what;
        EXPECT_NE(packed.word & kCompressorMask, kCodecBest) << c.what;
        ByteVector out;
        ASSERT_TRUE(unpack(packed.bytes, packed.word, out)) << c.what;
        EXPECT_EQ(out, c.input) << c.what;
    }
}

TEST(BestSelection, NoiseIsStoredUnchanged) {
    const ByteVector noise = sampleNoise(7728);
    const Packed packed = pack(noise, 0xFFFF);
    ASSERT_TRUE(packed.ok);
    EXPECT_EQ(packed.word, 0u);
    EXPECT_EQ(packed.bytes, noise);
}

TEST(BestSelection, TieGoesToZlib) {
    // Find data whose zlib stream is exactly as long as the data itself:
    // noise followed by a run of zeros, the run grown until the two meet.
    ByteVector input;
    bool found = false;
    for (std::size_t noise = 50; noise < 400 && !found; ++noise) {
        for (std::size_t zeros = 0; zeros < 64 && !found; ++zeros) {
            input = sampleNoise(noise);
            input.resize(noise + zeros, 0);
            found = zlibStreamLength(input) == input.size();
        }
    }
    ASSERT_TRUE(found);
    const Packed packed = pack(input, 0xFFFF);
    ASSERT_TRUE(packed.ok);
    EXPECT_EQ(packed.word, 1u);
    EXPECT_EQ(packed.bytes.size(), input.size());
}

// A compressor that always fails, or a filter that does, to reach the
// chains' failure paths; leaks there show up under the sanitizers.
class FailingCodec : public Codec {
public:
    explicit FailingCodec(std::uint32_t id) : Codec(id, "Failing", "always fails") { registerCodec(this); }
    ~FailingCodec() override { unregisterCodec(this); }
    void pack(const unsigned char*, unsigned char*& o, std::uint32_t, std::uint32_t& l) override {
        o = nullptr;
        l = 0;
    }
    void unpack(const unsigned char*, unsigned char*& o, std::uint32_t, std::uint32_t& l) override {
        o = nullptr;
        l = 0;
    }
};

TEST(Chains, AFailingStageFailsTheChain) {
    FailingCodec compressor(0x00000042);
    FailingCodec outer(0x42000000);
    const ByteVector input = sampleText(500);
    std::uint32_t word = kCodecDelta8 | 0x42;
    EXPECT_EQ(packChain(input.data(), 500, word), nullptr);
    EXPECT_EQ(word, kCodecDelta8 | 0x42u);
    word = 0x42000000u | kCodecDelta32 | kCodecZlib;
    EXPECT_EQ(packChain(input.data(), 500, word), nullptr);
    word = 0x42000000u | kCodecBest;
    EXPECT_EQ(packChain(input.data(), 500, word), nullptr);
    EXPECT_EQ(word, 0x42000000u | kCodecBest);

    const Packed zlib = pack(input, 1);
    ByteVector out;
    EXPECT_FALSE(unpack(zlib.bytes, 0x42000000u | kCodecZlib, out));
    EXPECT_FALSE(unpack(zlib.bytes, kCodecDelta8 | 0x42u, out));
    EXPECT_TRUE(unpack(zlib.bytes, kCodecDelta8 | kCodecZlib, out));  // Delta8 over the inflated bytes
}

TEST(Chains, AReplacedNoneCodecIsAlwaysCalled) {
    // The built-in None copy may be skipped between other stages; a codec
    // registered later under id 0 is found first and must run.
    FailingCodec replacement(0x00000000);
    const ByteVector input = sampleText(100);
    ByteVector out;
    EXPECT_FALSE(unpack(input, kCodecDelta8, out));
    EXPECT_FALSE(unpack(input, kCodecMurk, out));
    std::uint32_t word = kCodecDelta8;
    EXPECT_EQ(packChain(input.data(), 100, word), nullptr);
}

TEST(BestSelection, AFailingCandidateIsSkipped) {
    FailingCodec compressor(0x00000042);  // now first in the registry
    const Packed packed = pack(sampleText(2000), 0xFFFF);
    ASSERT_TRUE(packed.ok);
    EXPECT_EQ(packed.word, 1u);
}

}  // namespace
