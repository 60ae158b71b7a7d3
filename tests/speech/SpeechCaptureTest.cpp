// The real engine through the capture backend: what the markup does to the
// sound, measured on the PCM.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "show/SpeechBackend.h"
#include "show/SpeechEngine.h"

namespace {

// Renders passages handed over at the given times on a virtual clock.
std::shared_ptr<const SpeechCapture> render(std::vector<std::pair<uint32_t, const char16_t*>> passages,
                                            bool synchronous = true) {
    uint32_t now = 0;
    CaptureSpeechBackend::Options options;
    options.clock = [&now] { return now; };
    options.synchronous = synchronous;
    options.cutAtStop = false;
    CaptureSpeechBackend capture(options);
    EXPECT_TRUE(capture.open());
    for (auto& p : passages) {
        now = p.first;
        capture.speak(p.second);
    }
    capture.finish();
    capture.stop();
    return capture.capture();
}

uint32_t spokenMs(const char16_t* text) {
    auto c = render({{0, text}});
    EXPECT_EQ(c->passages.size(), 1u);
    return c->passages.empty() ? 0 : c->passages[0].endMs - c->passages[0].startMs;
}

// Median fundamental frequency over the voiced frames, by autocorrelation.
double medianF0(const SpeechCapture& c) {
    const int n = 1024, rate = c.sampleRate;
    const int shortest = rate / 400, longest = rate / 40;
    std::vector<double> found;
    for (size_t at = 0; at + n < c.pcm.size(); at += n / 2) {
        const int16_t* s = c.pcm.data() + at;
        double energy = 0;
        for (int i = 0; i < n; ++i) energy += double(s[i]) * s[i];
        if (energy / n < 1e5) continue;
        std::vector<double> r(size_t(longest) + 1, 0.0);
        for (int lag = shortest; lag <= longest; ++lag) {
            double sum = 0;
            for (int i = 0; i + lag < n; ++i) sum += double(s[i]) * s[i + lag];
            r[size_t(lag)] = sum / energy * n / (n - lag);
        }
        double best = *std::max_element(r.begin() + shortest, r.end());
        if (best < 0.5) continue;
        for (int lag = shortest + 1; lag < longest; ++lag) {
            size_t l = size_t(lag);
            if (r[l] >= 0.85 * best && r[l] >= r[l - 1] && r[l] >= r[l + 1]) {
                found.push_back(double(rate) / lag);
                break;
            }
        }
    }
    if (found.empty()) return 0;
    std::nth_element(found.begin(), found.begin() + long(found.size() / 2), found.end());
    return found[found.size() / 2];
}

int peak(const SpeechCapture& c) {
    int p = 0;
    for (int16_t s : c.pcm) p = std::max(p, std::abs(int(s)));
    return p;
}

class SpeechCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        // espeak-ng and its data are dependencies of the project.
        ASSERT_NE(SpeechEngine::get(), nullptr) << "espeak-ng did not start";
    }
};

TEST_F(SpeechCaptureTest, SilenceTagLengthensTheAudioByItsLength) {
    uint32_t plain = spokenMs(u"The monitor hums. It is warm.");
    uint32_t paused = spokenMs(u"The monitor hums. <silence msec=\"300\" />It is warm.");
    EXPECT_NEAR(double(paused) - double(plain), 300.0, 80.0) << plain << " vs " << paused;
}

TEST_F(SpeechCaptureTest, SlowerRateLastsClearlyLonger) {
    uint32_t base = spokenMs(u"<rate absspeed=\"-3\"/>Leaning towards the monitor, nearer still.");
    uint32_t slow = spokenMs(u"<rate absspeed=\"-8\"/>Leaning towards the monitor, nearer still.");
    EXPECT_GT(double(slow), 1.3 * base) << base << " vs " << slow;
}

TEST_F(SpeechCaptureTest, LowerPitchMeasuresClearlyLowerF0) {
    const char16_t* words = u"Hello world, this is the voice of the show. We lean towards the monitor.";
    std::u16string at8 = std::u16string(u"<pitch absmiddle=\"-8\"/>") + words;
    std::u16string at18 = std::u16string(u"<pitch absmiddle=\"-18\"/>") + words;
    double f8 = medianF0(*render({{0, at8.c_str()}}));
    double f18 = medianF0(*render({{0, at18.c_str()}}));
    ASSERT_GT(f8, 0);
    ASSERT_GT(f18, 0);
    EXPECT_LT(f18, 0.88 * f8) << f18 << " Hz vs " << f8 << " Hz";
}

TEST_F(SpeechCaptureTest, VolumeScalesTheSignal) {
    int full = peak(*render({{0, u"Static on the tongue."}}));
    int half = peak(*render({{0, u"<volume level=\"50\"/>Static on the tongue."}}));
    ASSERT_GT(full, 1000);
    EXPECT_NEAR(double(half) / full, 0.5, 0.05);
}

TEST_F(SpeechCaptureTest, PassagesComeOutInQueueOrderEachAfterTheOneBefore) {
    for (bool synchronous : {true, false}) {
        auto c = render({{0, u"First passage, fairly long, spoken slowly."}, {100, u"Second."}, {20000, u"Third."}},
                        synchronous);
        ASSERT_EQ(c->passages.size(), 3u);
        const auto& p = c->passages;
        EXPECT_EQ(p[0].words, "First passage, fairly long, spoken slowly.");
        EXPECT_EQ(p[1].words, "Second.");
        EXPECT_EQ(p[0].startMs, 0u);
        EXPECT_GT(p[0].endMs, 1000u);
        // The second was handed over while the first spoke: it waits for it.
        EXPECT_EQ(p[1].queuedMs, 100u);
        EXPECT_EQ(p[1].startMs, p[0].endMs);
        // The third comes after a gap: it starts when handed over.
        EXPECT_EQ(p[2].startMs, 20000u);
        EXPECT_EQ(c->lengthMs(), p[2].endMs);
    }
}

TEST_F(SpeechCaptureTest, SettingsCarryOverToTheNextPassage) {
    auto apart = render({{0, u"<pitch absmiddle=\"-18\"/>"}, {0, u"Hello world, this is the voice of the show."}});
    auto fresh = render({{0, u"Hello world, this is the voice of the show."}});
    EXPECT_LT(medianF0(*apart), 0.85 * medianF0(*fresh));
}

TEST_F(SpeechCaptureTest, StopCutsTheAudioWhereItHappened) {
    uint32_t now = 0;
    CaptureSpeechBackend::Options options;
    options.clock = [&now] { return now; };
    options.synchronous = true;
    CaptureSpeechBackend capture(options);
    ASSERT_TRUE(capture.open());
    capture.speak(u"This passage is much longer than half a second, by far.");
    now = 500;
    capture.speak(u"Never heard.");
    capture.stop();
    auto c = capture.capture();
    EXPECT_EQ(c->lengthMs(), 500u);
    ASSERT_EQ(c->passages.size(), 1u);
    EXPECT_EQ(c->passages[0].endMs, 500u);
}

TEST_F(SpeechCaptureTest, WritesAWaveFile) {
    std::string path = ::testing::TempDir() + "glowmoth_speech_capture.wav";
    CaptureSpeechBackend::Options options;
    options.synchronous = true;
    options.cutAtStop = false;
    options.wavPath = path;
    CaptureSpeechBackend capture(options);
    ASSERT_TRUE(capture.open());
    capture.speak(u"Flavour of old dust.");
    capture.stop();
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    auto c = capture.capture();
    ASSERT_EQ(bytes.size(), 44 + c->pcm.size() * 2);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    uint32_t rate = bytes[24] | bytes[25] << 8 | bytes[26] << 16 | uint32_t(bytes[27]) << 24;
    EXPECT_EQ(rate, uint32_t(c->sampleRate));
    EXPECT_EQ(int16_t(bytes[44 + 2 * 1000] | bytes[45 + 2 * 1000] << 8), c->pcm[1000]);
}

TEST_F(SpeechCaptureTest, UnwritableWaveFileIsReported) {
    SpeechCapture c;
    c.sampleRate = 22050;
    EXPECT_FALSE(c.writeWav("/nonexistent-folder/x.wav"));
}

}  // namespace
