// Small helpers shared by the archive tests: a scratch folder per test,
// whole-file reads and writes, and little-endian byte building.
#pragma once

#include <gtest/gtest.h>

#include "archive/Archive.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

using ByteVector = std::vector<unsigned char>;

class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/glowmoth-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        path_ = made ? made : "";
    }
    ~ScratchDir() {
        if (!path_.empty()) {
            std::string command = "rm -rf '" + path_ + "'";
            if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", path_.c_str());
        }
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline ByteVector readFile(const std::string& path) {
    ByteVector bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    unsigned char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

inline bool writeFile(const std::string& path, const ByteVector& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

inline void putLE32(ByteVector& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
inline void putLE16(ByteVector& out, std::uint16_t v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}
inline void putBytes(ByteVector& out, const std::string& s) { out.insert(out.end(), s.begin(), s.end()); }
inline void putBytes(ByteVector& out, const ByteVector& b) { out.insert(out.end(), b.begin(), b.end()); }
inline std::uint32_t getLE32(const ByteVector& in, std::size_t at) {
    return std::uint32_t(in[at]) | (std::uint32_t(in[at + 1]) << 8) | (std::uint32_t(in[at + 2]) << 16) |
           (std::uint32_t(in[at + 3]) << 24);
}

inline ByteVector bytesOf(const std::string& s) { return ByteVector(s.begin(), s.end()); }

// Deterministic bytes: text-like (compressible) or noise (incompressible).
inline ByteVector sampleText(std::size_t n) {
    static const char words[] = "the moth circles the lamp and the lamp hums softly at night ";
    ByteVector out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(words[i % (sizeof words - 1)]);
    return out;
}
inline ByteVector sampleNoise(std::size_t n, std::uint32_t seed = 12345) {
    ByteVector out(n);
    std::uint32_t x = seed;
    for (std::size_t i = 0; i < n; ++i) {
        x = x * 1664525u + 1013904223u;
        out[i] = static_cast<unsigned char>(x >> 24);
    }
    return out;
}

// Reads an entry whole, failing the test (and giving no bytes) when it can't.
inline ByteVector readAll(const Archive& archive, const char* name) {
    std::int32_t size = -1;
    void* data = archive.readEntry(name, size);
    EXPECT_NE(data, nullptr) << name;
    if (!data) return {};
    ByteVector bytes(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
    std::free(data);
    return bytes;
}
