#include "tools/render/Wav.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace {

void putU16(std::vector<unsigned char>& out, std::uint32_t value)
{
    out.push_back(static_cast<unsigned char>(value & 0xff));
    out.push_back(static_cast<unsigned char>((value >> 8) & 0xff));
}

void putU32(std::vector<unsigned char>& out, std::uint32_t value)
{
    putU16(out, value & 0xffff);
    putU16(out, value >> 16);
}

std::uint32_t getU16(const unsigned char* p) { return p[0] | (p[1] << 8); }

std::uint32_t getU32(const unsigned char* p)
{
    return getU16(p) | (static_cast<std::uint32_t>(getU16(p + 2)) << 16);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::uint32_t PcmAudio::durationMs() const
{
    if (sampleRate == 0 || channels == 0) return 0;
    const std::uint64_t frames = samples.size() / channels;
    return static_cast<std::uint32_t>(frames * 1000 / sampleRate);
}

bool writeWav(std::FILE* stream, const PcmAudio& audio)
{
    const std::uint64_t dataBytes = static_cast<std::uint64_t>(audio.samples.size()) * 2;
    // RIFF sizes are 32-bit; anything larger cannot be described honestly.
    if (dataBytes > 0xffffffffull - 36 || audio.channels == 0 || audio.sampleRate == 0) return false;

    std::vector<unsigned char> header;
    header.reserve(44);
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    putU32(header, static_cast<std::uint32_t>(36 + dataBytes));
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putU32(header, 16);
    putU16(header, 1);  // PCM
    putU16(header, audio.channels);
    putU32(header, audio.sampleRate);
    putU32(header, audio.sampleRate * audio.channels * 2);
    putU16(header, audio.channels * 2u);
    putU16(header, 16);
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    putU32(header, static_cast<std::uint32_t>(dataBytes));
    if (std::fwrite(header.data(), 1, header.size(), stream) != header.size()) return false;

    // Little-endian on disk whatever the host is.
    std::vector<unsigned char> block;
    const std::size_t chunk = 8192;
    for (std::size_t i = 0; i < audio.samples.size(); i += chunk) {
        block.clear();
        const std::size_t end = std::min(audio.samples.size(), i + chunk);
        for (std::size_t j = i; j < end; ++j) putU16(block, static_cast<std::uint16_t>(audio.samples[j]));
        if (std::fwrite(block.data(), 1, block.size(), stream) != block.size()) return false;
    }
    return std::fflush(stream) == 0 && !std::ferror(stream);
}

bool writeWavFile(const std::string& path, const PcmAudio& audio)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = writeWav(f, audio);
    return (std::fclose(f) == 0) && ok;
}

bool readWavFile(const std::string& path, PcmAudio& audio, std::string& error)
{
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        error = std::string("cannot open ") + path + ": " + std::strerror(errno);
        return false;
    }
    unsigned char riff[12];
    if (std::fread(riff, 1, 12, f.get()) != 12 || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0) {
        error = "not a RIFF/WAVE file";
        return false;
    }
    bool haveFormat = false;
    for (;;) {
        unsigned char chunk[8];
        if (std::fread(chunk, 1, 8, f.get()) != 8) {
            error = "no data chunk";
            return false;
        }
        const std::uint32_t size = getU32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16) {
                error = "short fmt chunk";
                return false;
            }
            std::vector<unsigned char> fmt(size + (size & 1));
            if (std::fread(fmt.data(), 1, fmt.size(), f.get()) != fmt.size()) {
                error = "truncated fmt chunk";
                return false;
            }
            if (getU16(fmt.data()) != 1 || getU16(fmt.data() + 14) != 16) {
                error = "not 16-bit PCM";
                return false;
            }
            audio.channels = static_cast<std::uint16_t>(getU16(fmt.data() + 2));
            audio.sampleRate = getU32(fmt.data() + 4);
            if (audio.channels == 0 || audio.sampleRate == 0) {
                error = "bad format values";
                return false;
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                error = "data before fmt";
                return false;
            }
            std::vector<unsigned char> bytes(size);
            if (std::fread(bytes.data(), 1, size, f.get()) != size) {
                error = "truncated data chunk";
                return false;
            }
            audio.samples.resize(size / 2);
            for (std::size_t i = 0; i < audio.samples.size(); ++i)
                audio.samples[i] = static_cast<std::int16_t>(getU16(bytes.data() + 2 * i));
            return true;
        } else {
            // Skip unknown chunks (LIST and friends); RIFF pads to even sizes.
            if (std::fseek(f.get(), static_cast<long>(size + (size & 1)), SEEK_CUR) != 0) {
                error = "truncated chunk";
                return false;
            }
        }
    }
}
