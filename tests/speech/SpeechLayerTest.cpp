// startSpeech / speak / stopSpeech over the backends, and the seam that lets
// a caller choose the backend.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "show/Speech.h"
#include "show/SpeechBackend.h"

namespace {

struct Record {
    std::vector<const char16_t*> spoken;
    int stops = 0;
    int deleted = 0;
};

class RecordingBackend : public SpeechBackend {
public:
    RecordingBackend(Record& record, bool opens = true) : record_(record), opens_(opens) {}
    ~RecordingBackend() override { ++record_.deleted; }
    bool open() override { return opens_; }
    void speak(const char16_t* text) override { record_.spoken.push_back(text); }
    void stop() override { ++record_.stops; }

private:
    Record& record_;
    bool opens_;
};

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~ScopedEnv() {
        if (had_) setenv(name_, old_.c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    std::string old_;
};

class SpeechLayer : public ::testing::Test {
protected:
    void TearDown() override { stopSpeech(); }
};

TEST_F(SpeechLayer, WithoutAVoiceEverythingReturnsAndDoesNothing) {
    stopSpeech();
    EXPECT_FALSE(speechStarted());
    speak(u"Nobody hears this.");
    speak(nullptr);
    stopSpeech();
    EXPECT_FALSE(speechStarted());
}

TEST_F(SpeechLayer, HandsPassagesToTheBackendInOrderAndStopsItOnce) {
    Record record;
    ASSERT_TRUE(startSpeechWith(std::make_unique<RecordingBackend>(record)));
    const char16_t* first = u"<rate absspeed=\"-3\"/><pitch absmiddle=\"-8\"/>";
    const char16_t* second = u"A complaint.";
    speak(first);
    speak(second);
    speak(nullptr);
    EXPECT_EQ(record.spoken, (std::vector<const char16_t*>{first, second}));
    stopSpeech();
    EXPECT_EQ(record.stops, 1);
    EXPECT_EQ(record.deleted, 1);
    speak(second);
    EXPECT_EQ(record.spoken.size(), 2u);
}

TEST_F(SpeechLayer, BackendThatDoesNotOpenLeavesTheVoiceEmpty) {
    Record record;
    EXPECT_FALSE(startSpeechWith(std::make_unique<RecordingBackend>(record, false)));
    EXPECT_FALSE(speechStarted());
    speak(u"Lost.");
    EXPECT_TRUE(record.spoken.empty());
    EXPECT_EQ(record.deleted, 1);
    EXPECT_FALSE(startSpeechWith(nullptr));
}

TEST_F(SpeechLayer, StartingAgainStopsTheVoiceBefore) {
    Record a, b;
    startSpeechWith(std::make_unique<RecordingBackend>(a));
    startSpeechWith(std::make_unique<RecordingBackend>(b));
    speak(u"To the second.");
    EXPECT_EQ(a.stops, 1);
    EXPECT_TRUE(a.spoken.empty());
    EXPECT_EQ(b.spoken.size(), 1u);
    stopSpeech();
    EXPECT_EQ(b.stops, 1);
}

TEST_F(SpeechLayer, EnvironmentChoosesTheBackend) {
    for (const char* choice : {"silent", "capture", "live"}) {
        ScopedEnv env("GLOWMOTH_SPEECH", choice);
        startSpeech();
        EXPECT_TRUE(speechStarted()) << choice;
        speak(u"<silence msec=\"20\"/>Hi.");
        stopSpeech();
        EXPECT_FALSE(speechStarted());
    }
}

TEST_F(SpeechLayer, CaptureToAFileWritesItAtStop) {
    std::string path = ::testing::TempDir() + "glowmoth_layer_capture.wav";
    std::remove(path.c_str());
    ScopedEnv env("GLOWMOTH_SPEECH", ("capture:" + path).c_str());
    startSpeech();
    speak(u"Hi.");
    stopSpeech();
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_GE(info.st_size, 44);
    std::remove(path.c_str());
}

// With no sound device the live voice goes on silently, and says so in one
// line at most however many sound systems complained.
TEST_F(SpeechLayer, LiveWithoutSoundDeviceFallsBackToSilentQuietly) {
    for (const char* driver : {"no-such-driver", static_cast<const char*>(nullptr)}) {
        ScopedEnv speech("GLOWMOTH_SPEECH", "live");
        ScopedEnv audio("SDL_AUDIODRIVER", driver);
        ::testing::internal::CaptureStderr();
        startSpeech();
        bool started = speechStarted();
        stopSpeech();
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_TRUE(started);
        EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
}

// The engine starts once per process, so its failure is tried in a fresh one.
TEST(SpeechLayerDeathTest, EngineWithoutVoiceDataLeavesTheVoiceEmpty) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string data = ::testing::TempDir() + "glowmoth-no-voice";
    mkdir(data.c_str(), 0755);
    mkdir((data + "/espeak-ng-data").c_str(), 0755);
    EXPECT_EXIT(
        {
            setenv("ESPEAK_DATA_PATH", data.c_str(), 1);
            bool any = false;
            for (const char* choice : {"live", "capture"}) {
                setenv("GLOWMOTH_SPEECH", choice, 1);
                startSpeech();
                any = any || speechStarted();
                speak(u"Hello.");
                stopSpeech();
            }
            std::exit(any ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
