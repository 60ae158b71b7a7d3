// ZLIB (id 0x00000001): the stored bytes are the input length n as a
// little-endian u32, then the zlib stream (RFC 1950) of the input made by
// zlib's one-call compress at its default level, without the stream's last
// four bytes (its Adler-32 checksum): the stored length is 4 + (S - 4) for a
// stream of S bytes. Unpacking also accepts a record with the whole stream.
#include "archive/BuiltinCodecs.h"

#include <cstring>
#include <zlib.h>

namespace {

// Deflate cannot expand data by more than about 1032 to 1; a record that
// claims a larger size than its stream could ever produce is damaged, and
// refusing it keeps a forged size field from asking for gigabytes.
constexpr std::uint64_t kMaxInflateRatio = 1040;
constexpr std::uint64_t kInflateSlack = 64;

// Inflates a stream that may lack its checksum. The record is sound when
// the stream ended, or when all `size` bytes came out and only the missing
// checksum is left unread: zlib then reports a buffer error, the result a
// reader of these records has always accepted. This is uncompress()'s own
// loop done by hand, because uncompress() calls that same state a data
// error when the record is empty (it inflates into a spare byte then).
bool inflateRecord(const unsigned char* stream, std::uint32_t streamLength, unsigned char* output,
                   std::uint32_t size, std::uint32_t& produced) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    z.next_in = const_cast<Bytef*>(stream);
    z.avail_in = streamLength;
    z.next_out = output;
    z.avail_out = size;
    const int result = inflate(&z, Z_FINISH);
    produced = static_cast<std::uint32_t>(z.total_out);
    inflateEnd(&z);
    return result == Z_STREAM_END || (result == Z_BUF_ERROR && produced == size);
}

class ZlibCodec final : public Codec {
public:
    ZlibCodec()
        : Codec(kCodecZlib, "ZLIB",
                "ZLIB data compression library Copyright (C) 1995-2022 Jean-loup Gailly and Mark Adler") {
        registerCodec(this);
    }

    void pack(const unsigned char* input, unsigned char*& output, std::uint32_t inputLength,
              std::uint32_t& outputLength) override {
        output = nullptr;
        outputLength = 0;
        const std::uint32_t workSize = zlibWorkBufferSize(inputLength);
        unsigned char* work = allocateBytes(workSize);
        if (!work) return;
        uLongf streamLength = workSize;
        if (compress(work, &streamLength, input, inputLength) < 0) {
            std::free(work);
            return;
        }
        unsigned char* stored = static_cast<unsigned char*>(std::malloc(streamLength + 4));
        if (!stored) {
            std::free(work);
            return;
        }
        writeLE32(stored, inputLength);
        std::memcpy(stored + 4, work, streamLength);
        std::free(work);
        // The buffer holds the whole stream, but only its first S bytes count:
        // the size in front pushes the checksum out of the stored record.
        output = stored;
        outputLength = static_cast<std::uint32_t>(streamLength);
    }

    void unpack(const unsigned char* input, unsigned char*& output, std::uint32_t inputLength,
                std::uint32_t& outputLength) override {
        output = nullptr;
        outputLength = 0;
        if (inputLength < 4) return;
        const std::uint32_t size = readLE32(input);
        const std::uint32_t streamLength = inputLength - 4;
        if (size > std::uint64_t(streamLength) * kMaxInflateRatio + kInflateSlack) return;
        unsigned char* work = allocateBytes(size);
        if (!work) return;
        std::uint32_t produced = 0;
        if (!inflateRecord(input + 4, streamLength, work, size, produced)) {
            std::free(work);
            return;
        }
        if (produced != size) {
            // A complete stream that ended early: hand out what it held.
            unsigned char* exact = allocateBytes(produced);
            if (!exact) {
                std::free(work);
                return;
            }
            if (produced) std::memcpy(exact, work, produced);
            std::free(work);
            work = exact;
        }
        output = work;
        outputLength = produced;
    }
};

}  // namespace

std::uint32_t zlibWorkBufferSize(std::uint32_t inputLength) {
    // The factor is the single-precision 1.01 (1.0099999904632568...) applied
    // in double precision: 100 bytes give 112 and 1000 give 1021.
    const float length = static_cast<float>(inputLength);
    const double scaled = static_cast<double>(length) * static_cast<double>(1.01f);
    return static_cast<std::uint32_t>(scaled) + 12;
}

Codec& zlibCodec() {
    static ZlibCodec codec;
    return codec;
}
