// The shared body of the three delta filters. The input is read as
// n / W whole little-endian words of W bytes, then a tail of n mod W bytes.
// The first word and the tail are stored unchanged; every later word is
// stored as its difference from the previous input word, modulo 2^(8W).
// Output length always equals input length.
#pragma once

#include "archive/BuiltinCodecs.h"

#include <cstring>

template <typename Word>
class DeltaFilter : public Codec {
public:
    DeltaFilter(std::uint32_t id, const char* name, const char* description)
        : Codec(id, name, description) {}

    void pack(const unsigned char* input, unsigned char*& output, std::uint32_t inputLength,
              std::uint32_t& outputLength) override {
        run(input, output, inputLength, outputLength, true);
    }

    void unpack(const unsigned char* input, unsigned char*& output, std::uint32_t inputLength,
                std::uint32_t& outputLength) override {
        run(input, output, inputLength, outputLength, false);
    }

private:
    static Word load(const unsigned char* p) {
        Word w = 0;
        for (unsigned i = 0; i < sizeof(Word); ++i) w = Word(w | (Word(p[i]) << (8 * i)));
        return w;
    }
    static void store(unsigned char* p, Word w) {
        for (unsigned i = 0; i < sizeof(Word); ++i) p[i] = static_cast<unsigned char>(w >> (8 * i));
    }

    static void run(const unsigned char* input, unsigned char*& output, std::uint32_t n,
                    std::uint32_t& outputLength, bool encode) {
        output = allocateBytes(n);
        if (!output) {
            outputLength = 0;
            return;
        }
        const std::uint32_t words = n / sizeof(Word);
        const std::uint32_t body = words * std::uint32_t(sizeof(Word));
        if (n > body) std::memcpy(output + body, input + body, n - body);
        if (words) {
            Word previous = load(input);
            store(output, previous);
            for (std::uint32_t j = 1; j < words; ++j) {
                const Word current = load(input + j * sizeof(Word));
                if (encode) {
                    store(output + j * sizeof(Word), Word(current - previous));
                    previous = current;
                } else {
                    previous = Word(current + previous);  // running sum of decoded words
                    store(output + j * sizeof(Word), previous);
                }
            }
        }
        outputLength = n;
    }
};
