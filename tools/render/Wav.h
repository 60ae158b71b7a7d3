// RIFF/WAVE files of 16-bit signed little-endian PCM, the form the narration
// is captured and handed to encoders in.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct PcmAudio {
    std::uint32_t sampleRate = 22050;
    std::uint16_t channels = 1;
    // Interleaved when there is more than one channel.
    std::vector<std::int16_t> samples;

    // Length in milliseconds, rounded down.
    std::uint32_t durationMs() const;
};

// Writes the whole file to an open stream. False on a write error.
bool writeWav(std::FILE* stream, const PcmAudio& audio);
bool writeWavFile(const std::string& path, const PcmAudio& audio);

// Reads a 16-bit PCM file; chunks other than "fmt " and "data" are skipped.
// False, with a reason in error, for anything else or a truncated file.
bool readWavFile(const std::string& path, PcmAudio& audio, std::string& error);
