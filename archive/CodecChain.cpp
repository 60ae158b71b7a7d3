// Codec chains: a codec word turned into a sequence of whole-buffer codec
// calls, and best selection, which lets every compressor try and keeps the
// smallest result.
#include "archive/BuiltinCodecs.h"
#include "archive/Codec.h"

#include <cstdlib>
#include <new>

namespace {

// The buffer a chain is working on. It starts as the caller's bytes, which
// are never released; every buffer a stage made is released once the next
// stage has replaced it, and on failure.
class ChainBuffer {
public:
    ChainBuffer(const unsigned char* data, std::uint32_t length) : data_(data), length_(length) {}
    ~ChainBuffer() { releaseOwned(); }
    ChainBuffer(const ChainBuffer&) = delete;
    ChainBuffer& operator=(const ChainBuffer&) = delete;

    const unsigned char* data() const { return data_; }
    std::uint32_t length() const { return length_; }

    void replace(unsigned char* data, std::uint32_t length) {
        releaseOwned();
        owned_ = data;
        data_ = data;
        length_ = length;
    }

    // Hands the current bytes to the caller as a buffer of their own.
    unsigned char* take() {
        unsigned char* result = owned_;
        owned_ = nullptr;
        return result;
    }

private:
    void releaseOwned() {
        std::free(owned_);
        owned_ = nullptr;
    }

    const unsigned char* data_;
    std::uint32_t length_;
    unsigned char* owned_ = nullptr;
};

using Stage = void (Codec::*)(const unsigned char*, unsigned char*&, std::uint32_t, std::uint32_t&);

bool runStage(Codec* codec, Stage stage, ChainBuffer& buffer) {
    if (!codec) return false;
    unsigned char* output = nullptr;
    std::uint32_t outputLength = 0;
    (codec->*stage)(buffer.data(), output, buffer.length(), outputLength);
    if (!output) return false;
    buffer.replace(output, outputLength);
    return true;
}

// Every registered compressor (an id with no bit outside the compressor
// field) packs the data; the strictly smallest output wins, so a tie goes to
// the codec met first in the registry.
bool packBest(ChainBuffer& buffer, std::uint32_t& word) {
    std::uint32_t bestId = 0;
    std::uint32_t bestLength = 0xFFFFFFFFu;
    unsigned char* best = nullptr;
    for (Codec* codec = firstCodec(); codec; codec = codec->next) {
        if (codec->id & ~kCompressorMask) continue;
        // Best selection is no codec and never a candidate of its own.
        if (codec->id == kCodecBest) continue;
        unsigned char* output = nullptr;
        std::uint32_t outputLength = 0;
        codec->pack(buffer.data(), output, buffer.length(), outputLength);
        if (output && outputLength < bestLength) {
            std::free(best);
            best = output;
            bestLength = outputLength;
            bestId = codec->id;
        } else {
            std::free(output);
        }
    }
    if (!best) return false;
    word = (word & ~kCompressorMask) | bestId;
    buffer.replace(best, bestLength);
    return true;
}

// The built-in None stage copies its input. Between two other stages that
// copy is pure overhead, so it is skipped when some other stage runs too; a
// chain of None alone still copies, since the caller gets a new buffer.
bool skippableCopy(const Codec* codec, std::uint32_t word) {
    return codec == &noneCodec() && (word & (kInnerFilterMask | kOuterFilterMask)) != 0;
}

Codec* findCompressorForUnpacking(std::uint32_t word) {
    // Bits 8-15 may carry a value that readers ignore: when the 16-bit field
    // names no codec, its low byte alone is the id.
    Codec* codec = findCodec(word & kCompressorMask);
    return codec ? codec : findCodec(word & kCompressorFallbackMask);
}

}  // namespace

unsigned char* unpackChain(const unsigned char* data, std::uint32_t length, std::uint32_t word,
                           std::uint32_t* decodedLength) {
    if (decodedLength) *decodedLength = 0;
    ChainBuffer buffer(data, length);
    if ((word & kOuterFilterMask) &&
        !runStage(findCodec(word & kOuterFilterMask), &Codec::unpack, buffer)) {
        return nullptr;
    }
    Codec* compressor = findCompressorForUnpacking(word);
    if (!skippableCopy(compressor, word) && !runStage(compressor, &Codec::unpack, buffer)) return nullptr;
    if ((word & kInnerFilterMask) &&
        !runStage(findCodec(word & kInnerFilterMask), &Codec::unpack, buffer)) {
        return nullptr;
    }
    if (decodedLength) *decodedLength = buffer.length();
    return buffer.take();
}

unsigned char* unpackChain(const PackedBlock& block, std::uint32_t word, std::uint32_t* decodedLength) {
    return unpackChain(block.data, block.length, word, decodedLength);
}

PackedBlock* packChain(const unsigned char* data, std::uint32_t length, std::uint32_t& word) {
    ChainBuffer buffer(data, length);
    std::uint32_t chosen = word;
    if ((chosen & kInnerFilterMask) &&
        !runStage(findCodec(chosen & kInnerFilterMask), &Codec::pack, buffer)) {
        return nullptr;
    }
    if ((chosen & kCompressorMask) == kCodecBest) {
        if (!packBest(buffer, chosen)) return nullptr;
    } else {
        // No 8-bit fallback when packing: the stored word must name the codec.
        Codec* compressor = findCodec(chosen & kCompressorMask);
        if (!skippableCopy(compressor, chosen) && !runStage(compressor, &Codec::pack, buffer)) return nullptr;
    }
    if ((chosen & kOuterFilterMask) &&
        !runStage(findCodec(chosen & kOuterFilterMask), &Codec::pack, buffer)) {
        return nullptr;
    }
    PackedBlock* block = new (std::nothrow) PackedBlock;
    if (!block) return nullptr;
    block->length = buffer.length();
    block->data = buffer.take();
    word = chosen;
    return block;
}
