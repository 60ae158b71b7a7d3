// The live backend: a worker renders passages in queue order into a short
// buffer that SDL's audio thread plays. The worker stays at most a second
// ahead of the sound device, so a stop has little to throw away.
#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>

#include "show/SpeechBackend.h"
#include "show/SpeechEngine.h"
#include "show/SpeechWorker.h"

namespace {

// Sound libraries print their complaints about a missing device straight to
// stderr, several lines per driver tried. Opening the device happens with
// stderr pointed at /dev/null; the outcome is reported in one line instead.
class QuietStderr {
public:
    QuietStderr() {
        std::fflush(stderr);
        saved_ = dup(2);
        int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 2);
            close(null);
        }
    }
    ~QuietStderr() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, 2);
            close(saved_);
        }
    }

private:
    int saved_;
};

class LiveSpeechBackend : public SpeechBackend {
public:
    ~LiveSpeechBackend() override { stop(); }

    // False only when the engine cannot start. Without a usable sound device
    // the voice goes on silently: the show does not depend on it.
    bool open() override {
        engine_ = SpeechEngine::get();
        if (!engine_) return false;
        if (!openAudio()) {
            std::fprintf(stderr, "glowmoth: no usable sound device, the narration is silent\n");
            return true;
        }
        audioOpen_ = true;
        bufferLimit_ = size_t(engine_->sampleRate());
        worker_.start([this](const char16_t* text, uint32_t) { say(text); });
        SDL_PauseAudio(0);
        return true;
    }

    bool openAudio() {
        {
            QuietStderr quiet;
            ownsAudio_ = !SDL_WasInit(SDL_INIT_AUDIO);
            if (ownsAudio_ && SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) {
                ownsAudio_ = false;
                return false;
            }
            SDL_AudioSpec wanted;
            SDL_memset(&wanted, 0, sizeof wanted);
            wanted.freq = engine_->sampleRate();
            wanted.format = AUDIO_S16SYS;
            wanted.channels = 1;
            wanted.samples = 1024;
            wanted.callback = &LiveSpeechBackend::fill;
            wanted.userdata = this;
            // No "obtained" spec: SDL converts to whatever the device takes.
            if (SDL_OpenAudio(&wanted, nullptr) < 0) {
                if (ownsAudio_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
                ownsAudio_ = false;
                return false;
            }
        }
        return true;
    }

    void speak(const char16_t* text) override {
        if (text && audioOpen_) worker_.push(text, 0);
    }

    void stop() override {
        if (!audioOpen_) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
            buffer_.clear();
        }
        space_.notify_all();
        worker_.cancel();
        SDL_CloseAudio();
        if (ownsAudio_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        ownsAudio_ = false;
        audioOpen_ = false;
    }

private:
    void say(const char16_t* text) {
        SpeechPassage passage = readSpeechMarkup(text, voice_);
        engine_->render(passage, [this](const int16_t* samples, size_t count) {
            std::unique_lock<std::mutex> lock(mutex_);
            space_.wait(lock, [this] { return stopping_ || buffer_.size() < bufferLimit_; });
            if (stopping_) return false;
            buffer_.insert(buffer_.end(), samples, samples + count);
            return true;
        });
    }

    // SDL's audio thread: plays what is buffered, silence when nothing is.
    static void fill(void* self, Uint8* stream, int length) {
        auto* live = static_cast<LiveSpeechBackend*>(self);
        auto* out = reinterpret_cast<int16_t*>(stream);
        size_t wanted = size_t(length) / 2, taken = 0;
        {
            std::lock_guard<std::mutex> lock(live->mutex_);
            taken = std::min(wanted, live->buffer_.size());
            std::copy(live->buffer_.begin(), live->buffer_.begin() + long(taken), out);
            live->buffer_.erase(live->buffer_.begin(), live->buffer_.begin() + long(taken));
        }
        std::fill(out + taken, out + wanted, int16_t(0));
        live->space_.notify_all();
    }

    SpeechEngine* engine_ = nullptr;
    VoiceSettings voice_;  // read only by the worker
    SpeechWorker worker_;
    std::mutex mutex_;
    std::condition_variable space_;
    std::deque<int16_t> buffer_;
    size_t bufferLimit_ = 0;
    bool stopping_ = false;
    bool audioOpen_ = false;
    bool ownsAudio_ = false;
};

}  // namespace

std::unique_ptr<SpeechBackend> makeLiveSpeechBackend() { return std::make_unique<LiveSpeechBackend>(); }
