// Codecs, the codec registry and codec chains.
//
// A codec word names the chain an entry went through:
//   bits  0-15  compressor     (0x0000 None, 0x0001 ZLIB, 0xFFFF best selection)
//   bits 16-23  inner filter   (0x01 Delta8, 0x02 Delta16, 0x03 Delta32)
//   bits 24-31  outer filter   (0x74 Murk)
// Packing runs inner filter, compressor, outer filter; unpacking the reverse.
//
// Every buffer handed out here is allocated with malloc and belongs to the
// caller, who releases it with free. No codec ever changes or releases its
// input. The scrambling filter keeps process-wide state, so codec calls must
// not run concurrently.
#pragma once

#include <cstdint>
#include <cstdlib>

constexpr std::uint32_t kCompressorMask = 0x0000FFFFu;
constexpr std::uint32_t kCompressorFallbackMask = 0x000000FFu;
constexpr std::uint32_t kInnerFilterMask = 0x00FF0000u;
constexpr std::uint32_t kOuterFilterMask = 0xFF000000u;

constexpr std::uint32_t kCodecNone = 0x00000000u;
constexpr std::uint32_t kCodecZlib = 0x00000001u;
constexpr std::uint32_t kCodecBest = 0x0000FFFFu;
constexpr std::uint32_t kCodecDelta8 = 0x00010000u;
constexpr std::uint32_t kCodecDelta16 = 0x00020000u;
constexpr std::uint32_t kCodecDelta32 = 0x00030000u;
constexpr std::uint32_t kCodecMurk = 0x74000000u;

class Codec {
public:
    // The constructor only sets the fields; a codec joins the registry
    // through registerCodec.
    Codec(std::uint32_t id, const char* name, const char* description);

    // Encode or decode a whole buffer. On success output is a new buffer
    // (release with free) of outputLength bytes; on failure output is null
    // and outputLength 0.
    virtual void pack(const unsigned char* input, unsigned char*& output,
                      std::uint32_t inputLength, std::uint32_t& outputLength) = 0;
    virtual void unpack(const unsigned char* input, unsigned char*& output,
                        std::uint32_t inputLength, std::uint32_t& outputLength) = 0;
    // Does nothing for every built-in codec.
    virtual void configure(std::int32_t value);
    virtual ~Codec();

    Codec(const Codec&) = delete;
    Codec& operator=(const Codec&) = delete;

    Codec* next = nullptr;
    const char* description;
    const char* name;
    std::int32_t parameter = 1;
    std::uint32_t id;
};

// Puts the codec at the front of the registry (no duplicate check).
void registerCodec(Codec* codec);
// Takes a codec out of the registry again (for codecs that live shorter than
// the process, such as test doubles). Nothing happens if it is not there.
void unregisterCodec(Codec* codec);
// The first codec from the front whose id equals key, or null.
Codec* findCodec(std::uint32_t key);
// The front of the registry; follow Codec::next for the rest.
Codec* firstCodec();
// "best" / its description for 0xFFFF, else the codec's, else "Unknown".
const char* codecName(std::uint32_t id);
const char* codecDescription(std::uint32_t id);

class CodecVisitor {
public:
    virtual void visit(std::uint32_t id, const char* description, const char* name) = 0;
    virtual ~CodecVisitor() = default;
};
// Reports every registered codec from the front; best selection is not one.
void enumerateCodecs(CodecVisitor& visitor);

// Sets the codec's parameter; returns that codec, or null if there is none.
Codec* setCodecParameter(std::uint32_t id, std::int32_t value);
void configureCodec(std::uint32_t id, std::int32_t value);

// A length and an owned buffer (released with free). In a file: the u32
// length, little-endian, followed by the bytes.
struct PackedBlock {
    std::uint32_t length = 0;
    unsigned char* data = nullptr;

    PackedBlock() = default;
    ~PackedBlock() { std::free(data); }
    PackedBlock(const PackedBlock&) = delete;
    PackedBlock& operator=(const PackedBlock&) = delete;
};

// Decodes bytes stored under codec word `word`. Returns a new buffer (release
// with free) or null; decodedLength, when given, receives its length (0 on
// failure). The input is never changed or released.
unsigned char* unpackChain(const unsigned char* data, std::uint32_t length, std::uint32_t word,
                           std::uint32_t* decodedLength = nullptr);
unsigned char* unpackChain(const PackedBlock& block, std::uint32_t word,
                           std::uint32_t* decodedLength = nullptr);

// Encodes data through the chain named by word. Returns a new PackedBlock
// (release with delete) or null. A compressor field of 0xFFFF asks for best
// selection: every compressor tries, the smallest result wins and its id
// replaces 0xFFFF in word.
PackedBlock* packChain(const unsigned char* data, std::uint32_t length, std::uint32_t& word);

// The size of the buffer the ZLIB codec compresses into: the length scaled
// by 1.01 in single precision, plus 12. Stored streams depend on it only in
// that compression fails when it is too small.
std::uint32_t zlibWorkBufferSize(std::uint32_t inputLength);
