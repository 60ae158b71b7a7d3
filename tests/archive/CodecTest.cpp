// The registry and the six codecs on their own.
#include "archive/Codec.h"

#include "TestSupport.h"

#include <cstring>
#include <string>
#include <zlib.h>

namespace {

struct Recorded {
    std::uint32_t id;
    std::string name;
    std::string description;
};

class RecordingVisitor : public CodecVisitor {
public:
    void visit(std::uint32_t id, const char* description, const char* name) override {
        seen.push_back({id, name, description});
    }
    std::vector<Recorded> seen;
};

ByteVector runCodec(std::uint32_t id, bool packing, const ByteVector& input) {
    Codec* codec = findCodec(id);
    EXPECT_NE(codec, nullptr);
    if (!codec) return {};
    unsigned char* output = nullptr;
    std::uint32_t length = 12345;
    if (packing) {
        codec->pack(input.data(), output, static_cast<std::uint32_t>(input.size()), length);
    } else {
        codec->unpack(input.data(), output, static_cast<std::uint32_t>(input.size()), length);
    }
    EXPECT_NE(output, nullptr);
    ByteVector result(output, output + (output ? length : 0));
    std::free(output);
    return result;
}

TEST(CodecRegistry, EnumeratesInRegistrationOrder) {
    RecordingVisitor visitor;
    enumerateCodecs(visitor);
    ASSERT_EQ(visitor.seen.size(), 6u);
    const std::uint32_t ids[] = {0x00000001, 0x74000000, 0x00000000, 0x00010000, 0x00030000, 0x00020000};
    const char* names[] = {"ZLIB", "Murk", "None", "Delta8", "Delta32", "Delta16"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(visitor.seen[i].id, ids[i]) << i;
        EXPECT_EQ(visitor.seen[i].name, names[i]) << i;
    }
    EXPECT_EQ(visitor.seen[1].description, "Murk WQX Filter");
    EXPECT_EQ(visitor.seen[3].description, "8-bit delta encoding");
    EXPECT_EQ(visitor.seen[4].description, "32-bit delta encoding");
    EXPECT_EQ(visitor.seen[5].description, "16-bit delta encoding");
    EXPECT_EQ(visitor.seen[0].description.rfind("ZLIB data compression library ", 0), 0u);
    EXPECT_NE(visitor.seen[0].description.find("Jean-loup Gailly and Mark Adler"), std::string::npos);
}

TEST(CodecRegistry, NamesAndDescriptions) {
    EXPECT_STREQ(codecName(0x0000FFFF), "best");
    EXPECT_STREQ(codecDescription(0x0000FFFF), "Finds the best compressor by testing them all");
    EXPECT_STREQ(codecName(0x00000000), "None");
    EXPECT_STREQ(codecDescription(0x00000000), "No compression");
    EXPECT_STREQ(codecName(0x00000001), "ZLIB");
    EXPECT_STREQ(codecName(0x00000101), "Unknown");
    EXPECT_STREQ(codecDescription(0x12345678), "Unknown");
    EXPECT_EQ(findCodec(0x00000101), nullptr);
    EXPECT_EQ(findCodec(0x00020000)->id, 0x00020000u);
}

TEST(CodecRegistry, ParameterAndConfigure) {
    Codec* delta8 = findCodec(kCodecDelta8);
    ASSERT_NE(delta8, nullptr);
    EXPECT_EQ(delta8->parameter, 1);
    EXPECT_EQ(setCodecParameter(kCodecDelta8, 7), delta8);
    EXPECT_EQ(delta8->parameter, 7);
    setCodecParameter(kCodecDelta8, 1);

    EXPECT_EQ(setCodecParameter(0x00000042, 9), nullptr);
    for (Codec* c = firstCodec(); c; c = c->next) EXPECT_EQ(c->parameter, 1) << c->name;
    configureCodec(kCodecZlib, 3);   // does nothing, and must not fail
    configureCodec(0x00000042, 3);   // nobody has this id
}

TEST(CodecRegistry, RegisterPutsAtFrontAndUnregisterRemoves) {
    struct Extra : Codec {
        Extra() : Codec(0x00000042, "Extra", "test codec") {}
        void pack(const unsigned char*, unsigned char*& o, std::uint32_t, std::uint32_t& l) override {
            o = nullptr;
            l = 0;
        }
        void unpack(const unsigned char*, unsigned char*& o, std::uint32_t, std::uint32_t& l) override {
            o = nullptr;
            l = 0;
        }
    } extra;
    registerCodec(&extra);
    EXPECT_EQ(firstCodec(), &extra);
    EXPECT_EQ(findCodec(0x00000042), &extra);
    EXPECT_STREQ(codecName(0x00000042), "Extra");
    unregisterCodec(&extra);
    EXPECT_EQ(findCodec(0x00000042), nullptr);
    EXPECT_EQ(firstCodec()->id, kCodecZlib);
}

TEST(ZlibCodec, WorkBufferSizeUsesSinglePrecisionFactor) {
    EXPECT_EQ(zlibWorkBufferSize(100), 112u);
    EXPECT_EQ(zlibWorkBufferSize(1000), 1021u);
    EXPECT_EQ(zlibWorkBufferSize(0), 12u);
}

TEST(ZlibCodec, RecordIsSizeThenStreamWithoutChecksum) {
    const ByteVector input = sampleText(5000);
    const ByteVector stored = runCodec(kCodecZlib, true, input);

    ByteVector stream(compressBound(input.size()));
    uLongf streamLength = stream.size();
    ASSERT_EQ(compress(stream.data(), &streamLength, input.data(), input.size()), Z_OK);

    ASSERT_EQ(stored.size(), streamLength);
    EXPECT_EQ(getLE32(stored, 0), 5000u);
    EXPECT_TRUE(std::equal(stored.begin() + 4, stored.end(), stream.begin()));
    EXPECT_EQ(runCodec(kCodecZlib, false, stored), input);
}

TEST(ZlibCodec, AcceptsRecordWithWholeStream) {
    const ByteVector input = sampleText(777);
    ByteVector record;
    putLE32(record, 777);
    ByteVector stream(compressBound(input.size()));
    uLongf streamLength = stream.size();
    ASSERT_EQ(compress(stream.data(), &streamLength, input.data(), input.size()), Z_OK);
    record.insert(record.end(), stream.begin(), stream.begin() + streamLength);
    EXPECT_EQ(runCodec(kCodecZlib, false, record), input);
}

TEST(ZlibCodec, EmptyInputRoundTrips) {
    const ByteVector stored = runCodec(kCodecZlib, true, {});
    EXPECT_EQ(getLE32(stored, 0), 0u);
    Codec* zlib = findCodec(kCodecZlib);
    unsigned char* out = nullptr;
    std::uint32_t length = 99;
    zlib->unpack(stored.data(), out, static_cast<std::uint32_t>(stored.size()), length);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(length, 0u);
    std::free(out);
}

TEST(ZlibCodec, MostCompressibleDataRoundTrips) {
    // Long runs of one byte compress about as far as deflate can go; the
    // codec's bound on believable sizes must still let them through.
    const ByteVector zeros(4 << 20, 0);
    const ByteVector stored = runCodec(kCodecZlib, true, zeros);
    EXPECT_LT(stored.size() * 1000, zeros.size() * 1);  // over a thousand to one
    EXPECT_EQ(runCodec(kCodecZlib, false, stored), zeros);
}

TEST(ZlibCodec, RefusesBrokenRecords) {
    Codec* zlib = findCodec(kCodecZlib);
    const ByteVector good = runCodec(kCodecZlib, true, sampleText(300));
    ByteVector garbage = good;
    garbage[4] ^= 0xFF;  // the stream's header no longer checks
    ByteVector forgedSize = good;
    forgedSize[3] = 0xFF;  // claims about 4 GiB from a few hundred bytes
    const ByteVector cases[] = {ByteVector{}, ByteVector{1, 0, 0}, garbage, forgedSize};
    for (const ByteVector& record : cases) {
        unsigned char* out = reinterpret_cast<unsigned char*>(1);
        std::uint32_t length = 99;
        zlib->unpack(record.data(), out, static_cast<std::uint32_t>(record.size()), length);
        EXPECT_EQ(out, nullptr) << record.size();
        EXPECT_EQ(length, 0u);
        std::free(out);
    }
}

TEST(ZlibCodec, SizeFieldMustMatchWhatTheStreamHolds) {
    // More bytes claimed than a checksum-less stream holds: the stream runs
    // out before the output is full, which is damage, not a missing checksum.
    ByteVector record = runCodec(kCodecZlib, true, sampleText(100));
    record[0] = 120;
    std::uint32_t decoded = 7;
    EXPECT_EQ(unpackChain(record.data(), static_cast<std::uint32_t>(record.size()), 1, &decoded), nullptr);
    EXPECT_EQ(decoded, 0u);

    // A complete stream shorter than its size field hands back what it held;
    // the reader then refuses it for not matching the recorded size.
    const ByteVector input = sampleText(100);
    ByteVector whole;
    putLE32(whole, 120);
    ByteVector stream(compressBound(input.size()));
    uLongf length = stream.size();
    ASSERT_EQ(compress(stream.data(), &length, input.data(), input.size()), Z_OK);
    whole.insert(whole.end(), stream.begin(), stream.begin() + length);
    unsigned char* out = unpackChain(whole.data(), static_cast<std::uint32_t>(whole.size()), 1, &decoded);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(decoded, 100u);
    EXPECT_EQ(ByteVector(out, out + decoded), input);
    std::free(out);
}

struct DeltaExample {
    std::uint32_t id;
    ByteVector input;
    ByteVector packed;
};

TEST(DeltaCodecs, WorkedExamples) {
    const DeltaExample examples[] = {
        {kCodecDelta8, {10, 20, 15}, {10, 10, 251}},
        {kCodecDelta8, {200, 10}, {200, 66}},
        {kCodecDelta16, {0x01, 0x02, 0x03, 0x04, 0x05}, {0x01, 0x02, 0x02, 0x02, 0x05}},
        {kCodecDelta16, {0x01, 0x00, 0xFF, 0xFF}, {0x01, 0x00, 0xFE, 0xFF}},
        {kCodecDelta32, {1, 0, 0, 0, 0, 0, 0, 0, 7}, {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 7}},
        {kCodecDelta32, {9, 8, 7}, {9, 8, 7}},  // shorter than one word: all tail
        {kCodecDelta16, {}, {}},
    };
    for (const DeltaExample& e : examples) {
        EXPECT_EQ(runCodec(e.id, true, e.input), e.packed) << codecName(e.id);
        EXPECT_EQ(runCodec(e.id, false, e.packed), e.input) << codecName(e.id);
    }
}

TEST(DeltaCodecs, UnpackInvertsPackForEveryLength) {
    for (std::uint32_t id : {kCodecDelta8, kCodecDelta16, kCodecDelta32}) {
        for (std::size_t n = 0; n <= 13; ++n) {
            const ByteVector input = sampleNoise(n, static_cast<std::uint32_t>(n + id));
            const ByteVector packed = runCodec(id, true, input);
            ASSERT_EQ(packed.size(), n);
            EXPECT_EQ(runCodec(id, false, packed), input) << codecName(id) << " n=" << n;
            // The tail passes through both ways unchanged.
            const std::size_t w = id == kCodecDelta8 ? 1 : id == kCodecDelta16 ? 2 : 4;
            for (std::size_t i = n - n % w; i < n; ++i) EXPECT_EQ(packed[i], input[i]);
        }
    }
}

TEST(MurkCodec, KnownKeystream) {
    const ByteVector zeros(16, 0);
    const ByteVector expected = {0xF1, 0x9C, 0xF7, 0x31, 0x87, 0x1F, 0x7A, 0x45,
                                 0xA9, 0x92, 0x0F, 0xFE, 0x69, 0x4A, 0x94, 0xEA};
    EXPECT_EQ(runCodec(kCodecMurk, true, zeros), expected);
}

TEST(MurkCodec, RestartsEveryBufferAndInvertsItself) {
    const ByteVector input = sampleText(1000);
    const ByteVector once = runCodec(kCodecMurk, true, input);
    ASSERT_EQ(once.size(), input.size());
    EXPECT_NE(once, input);
    EXPECT_EQ(runCodec(kCodecMurk, true, input), once);
    EXPECT_EQ(runCodec(kCodecMurk, true, once), input);
    EXPECT_EQ(runCodec(kCodecMurk, false, once), input);
    EXPECT_TRUE(runCodec(kCodecMurk, true, {}).empty());
}

TEST(NoneCodec, CopiesBytes) {
    const ByteVector input = sampleNoise(333);
    EXPECT_EQ(runCodec(kCodecNone, true, input), input);
    EXPECT_EQ(runCodec(kCodecNone, false, input), input);
    EXPECT_TRUE(runCodec(kCodecNone, true, {}).empty());
}

}  // namespace
