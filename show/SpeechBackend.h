// Where the narration goes: one small interface and a table of backends
// chosen at start (GLOWMOTH_SPEECH), in the manner of a sound driver table.
//
//   live               espeak-ng, played on the sound device through SDL audio;
//                      with no usable device it falls back to silent
//   silent             accepts every passage and says nothing
//   capture[:FILE.wav] espeak-ng into PCM in memory, written to FILE.wav at stop
//
// Tests and tools hand startSpeechWith a backend of their own (a recorder,
// a capture on a virtual clock).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class SpeechBackend {
public:
    virtual ~SpeechBackend() {}
    // Makes the backend ready; false leaves the voice empty.
    virtual bool open() = 0;
    // Queues a passage and returns at once (a synchronous capture renders it
    // first). The text stays valid until the backend is stopped.
    virtual void speak(const char16_t* text) = 0;
    // Silences whatever is queued or speaking. Called once, before deletion.
    virtual void stop() = 0;
};

// Starts the voice with the given backend, stopping any voice before it.
// Returns false, and leaves the voice empty, when the backend does not open.
bool startSpeechWith(std::unique_ptr<SpeechBackend> backend);

// True while a voice is started.
bool speechStarted();

std::unique_ptr<SpeechBackend> makeSilentSpeechBackend();
std::unique_ptr<SpeechBackend> makeLiveSpeechBackend();

// The backend GLOWMOTH_SPEECH names: "live" (also when unset or unknown),
// "silent", "capture" or "capture:FILE.wav".
std::unique_ptr<SpeechBackend> makeSpeechBackendFromEnvironment();

// --- capture ----------------------------------------------------------------

struct CapturedPassage {
    uint32_t queuedMs;  // when speak handed it over, on the capture's clock
    uint32_t startMs;   // when its audio starts: queued behind the one before
    uint32_t endMs;     // when its audio ends
    std::string words;  // its words, markup removed, for captions
};

// What a capture heard: mono 16-bit PCM whose sample 0 is time 0 on the
// capture's clock, and the passages placed in it.
struct SpeechCapture {
    int sampleRate = 0;
    std::vector<int16_t> pcm;
    std::vector<CapturedPassage> passages;

    uint32_t lengthMs() const;
    // A RIFF/WAVE file, PCM 16-bit mono. False when it cannot be written.
    bool writeWav(const std::string& path) const;
};

class CaptureSpeechBackend : public SpeechBackend {
public:
    // Milliseconds on the caller's clock; the default counts real time from
    // open. A tool rendering offline passes its virtual show clock.
    using Clock = std::function<uint32_t()>;

    struct Options {
        Clock clock;
        // Render inside speak instead of on a worker thread: for tools that
        // run on a virtual clock and must not wait on real time.
        bool synchronous = false;
        // At stop, cut the audio (and the passages) where the stop happened,
        // as a live voice falls silent there. Off for timing tools.
        bool cutAtStop = true;
        // Written at stop when not empty.
        std::string wavPath;
    };

    CaptureSpeechBackend();
    explicit CaptureSpeechBackend(Options options);
    ~CaptureSpeechBackend() override;

    bool open() override;
    void speak(const char16_t* text) override;
    void stop() override;

    // Waits until every queued passage is rendered (at once when synchronous).
    void finish();
    // The result; complete after finish() or stop(), and it outlives the
    // backend, so a tool may keep it past stopSpeech.
    std::shared_ptr<const SpeechCapture> capture() const { return capture_; }

private:
    struct Impl;
    void render(const char16_t* text, uint32_t queuedMs);

    Options options_;
    std::shared_ptr<SpeechCapture> capture_;
    std::unique_ptr<Impl> impl_;
};
