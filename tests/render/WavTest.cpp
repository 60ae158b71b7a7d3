#include "tools/render/Wav.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

std::string tempName(const char* label)
{
    return std::string(::testing::TempDir()) + "/wav-" + label + "-" + std::to_string(::getpid()) + ".wav";
}

std::vector<unsigned char> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

TEST(Wav, WritesTheCanonicalHeaderLittleEndian)
{
    PcmAudio audio;
    audio.sampleRate = 22050;
    audio.samples = {1, -2, 0x1234};
    const std::string path = tempName("header");
    ASSERT_TRUE(writeWavFile(path, audio));
    const std::vector<unsigned char> bytes = fileBytes(path);
    const std::vector<unsigned char> expected = {
        'R', 'I', 'F', 'F', 42, 0, 0, 0, 'W', 'A', 'V', 'E',
        'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
        0x22, 0x56, 0, 0,   // 22050
        0x44, 0xac, 0, 0,   // 44100 bytes per second
        2, 0, 16, 0,
        'd', 'a', 't', 'a', 6, 0, 0, 0,
        1, 0, 0xfe, 0xff, 0x34, 0x12};
    EXPECT_EQ(bytes, expected);
    std::remove(path.c_str());
}

TEST(Wav, RoundTripsAndSkipsUnknownChunks)
{
    PcmAudio audio;
    audio.sampleRate = 16000;
    audio.channels = 2;
    for (int i = 0; i < 1000; ++i) audio.samples.push_back(static_cast<std::int16_t>(i * 37 - 20000));
    const std::string path = tempName("roundtrip");
    ASSERT_TRUE(writeWavFile(path, audio));

    // Put a LIST chunk of odd size (padded) before the data, as editors do.
    std::vector<unsigned char> bytes = fileBytes(path);
    const std::vector<unsigned char> list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    bytes.insert(bytes.begin() + 36, list.begin(), list.end());
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    PcmAudio back;
    std::string error;
    ASSERT_TRUE(readWavFile(path, back, error)) << error;
    EXPECT_EQ(back.sampleRate, 16000u);
    EXPECT_EQ(back.channels, 2);
    EXPECT_EQ(back.samples, audio.samples);
    EXPECT_EQ(back.durationMs(), 31u);  // 500 frames at 16 kHz
    std::remove(path.c_str());
}

TEST(Wav, RejectsWhatItCannotRead)
{
    const std::string path = tempName("bad");
    struct Case {
        const char* label;
        std::vector<unsigned char> bytes;
    };
    PcmAudio good;
    good.samples = {1, 2, 3, 4};
    ASSERT_TRUE(writeWavFile(path, good));
    std::vector<unsigned char> valid = fileBytes(path);
    std::vector<unsigned char> truncated(valid.begin(), valid.end() - 3);
    std::vector<unsigned char> floatFormat = valid;
    floatFormat[20] = 3;
    const Case cases[] = {
        {"empty", {}},
        {"not riff", {'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}},
        {"no data", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}},
        {"truncated data", truncated},
        {"float samples", floatFormat},
    };
    for (const Case& c : cases) {
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(c.bytes.data()), static_cast<std::streamsize>(c.bytes.size()));
        }
        PcmAudio audio;
        std::string error;
        EXPECT_FALSE(readWavFile(path, audio, error)) << c.label;
        EXPECT_FALSE(error.empty()) << c.label;
    }
    std::remove(path.c_str());
    PcmAudio audio;
    std::string error;
    EXPECT_FALSE(readWavFile(path, audio, error));
}

TEST(Wav, ReportsAFullDisk)
{
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (!full) GTEST_SKIP() << "no /dev/full";
    PcmAudio audio;
    audio.samples.assign(100000, 7);
    EXPECT_FALSE(writeWav(full, audio));
    std::fclose(full);
    EXPECT_FALSE(writeWavFile("/nonexistent-dir/x.wav", audio));
}

}  // namespace
