// The capture backend: the live voice's rendering, laid on a timeline in
// memory instead of a sound device. Each passage starts when speak handed it
// over, or when the passage before it ends if that is later, as a voice with
// a queue would say it.
#include <chrono>
#include <cstdio>

#include "show/SpeechBackend.h"
#include "show/SpeechEngine.h"
#include "show/SpeechWorker.h"

uint32_t SpeechCapture::lengthMs() const {
    return sampleRate > 0 ? uint32_t(uint64_t(pcm.size()) * 1000 / uint64_t(sampleRate)) : 0;
}

namespace {

void putU32(std::FILE* f, uint32_t v) {
    unsigned char b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    std::fwrite(b, 1, 4, f);
}
void putU16(std::FILE* f, uint16_t v) {
    unsigned char b[2] = {uint8_t(v), uint8_t(v >> 8)};
    std::fwrite(b, 1, 2, f);
}

}  // namespace

bool SpeechCapture::writeWav(const std::string& path) const {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    uint32_t bytes = uint32_t(pcm.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    putU32(f, 36 + bytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    putU32(f, 16);
    putU16(f, 1);  // PCM
    putU16(f, 1);  // mono
    putU32(f, uint32_t(sampleRate));
    putU32(f, uint32_t(sampleRate) * 2);
    putU16(f, 2);
    putU16(f, 16);
    std::fwrite("data", 1, 4, f);
    putU32(f, bytes);
    for (int16_t s : pcm) putU16(f, uint16_t(s));
    bool ok = !std::ferror(f);
    return std::fclose(f) == 0 && ok;
}

struct CaptureSpeechBackend::Impl {
    SpeechEngine* engine = nullptr;
    VoiceSettings voice;
    SpeechWorker worker;
    std::mutex mutex;  // guards the capture while the worker writes it
    std::chrono::steady_clock::time_point opened;
    size_t cutSample = SIZE_MAX;  // the worker stops rendering past it
};

CaptureSpeechBackend::CaptureSpeechBackend() : CaptureSpeechBackend(Options()) {}

CaptureSpeechBackend::CaptureSpeechBackend(Options options)
    : options_(std::move(options)), capture_(std::make_shared<SpeechCapture>()), impl_(new Impl) {}

CaptureSpeechBackend::~CaptureSpeechBackend() { impl_->worker.cancel(); }

bool CaptureSpeechBackend::open() {
    impl_->engine = SpeechEngine::get();
    if (!impl_->engine) return false;
    capture_->sampleRate = impl_->engine->sampleRate();
    impl_->opened = std::chrono::steady_clock::now();
    if (!options_.clock) {
        auto opened = impl_->opened;
        options_.clock = [opened] {
            return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - opened).count());
        };
    }
    if (!options_.synchronous) impl_->worker.start([this](const char16_t* text, uint32_t ms) { render(text, ms); });
    return true;
}

void CaptureSpeechBackend::speak(const char16_t* text) {
    if (!impl_->engine || !text) return;
    uint32_t now = options_.clock();
    if (options_.synchronous) render(text, now);
    else impl_->worker.push(text, now);
}

void CaptureSpeechBackend::render(const char16_t* text, uint32_t queuedMs) {
    SpeechPassage passage = readSpeechMarkup(text, impl_->voice);
    const int rate = capture_->sampleRate;
    size_t cut;
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        size_t due = size_t(uint64_t(queuedMs) * uint64_t(rate) / 1000);
        if (capture_->pcm.size() < due) capture_->pcm.resize(due, 0);
        cut = impl_->cutSample;
    }
    size_t startSample = capture_->pcm.size();
    if (startSample >= cut) return;
    // Only this thread appends; the lock keeps readers of the capture safe.
    impl_->engine->render(passage, [&](const int16_t* samples, size_t count) {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        capture_->pcm.insert(capture_->pcm.end(), samples, samples + count);
        return capture_->pcm.size() < impl_->cutSample && !impl_->worker.cancelled();
    });
    std::lock_guard<std::mutex> lock(impl_->mutex);
    auto ms = [rate](size_t sample) { return uint32_t(uint64_t(sample) * 1000 / uint64_t(rate)); };
    capture_->passages.push_back({queuedMs, ms(startSample), ms(capture_->pcm.size()), passage.words});
}

void CaptureSpeechBackend::finish() {
    if (!options_.synchronous) impl_->worker.waitIdle();
}

void CaptureSpeechBackend::stop() {
    if (!impl_->engine) return;
    uint32_t stopMs = options_.clock();
    size_t cutSample = size_t(uint64_t(stopMs) * uint64_t(capture_->sampleRate) / 1000);
    if (options_.cutAtStop) {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        impl_->cutSample = cutSample;
    }
    // What was handed over before the stop is rendered up to the stop.
    impl_->worker.drainAndJoin();
    if (options_.cutAtStop) {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        if (capture_->pcm.size() > cutSample) capture_->pcm.resize(cutSample);
        auto& passages = capture_->passages;
        while (!passages.empty() && passages.back().startMs >= stopMs) passages.pop_back();
        for (auto& p : passages) p.endMs = std::min(p.endMs, stopMs);
    }
    if (!options_.wavPath.empty() && !capture_->writeWav(options_.wavPath))
        std::fprintf(stderr, "glowmoth: cannot write %s\n", options_.wavPath.c_str());
    impl_->engine = nullptr;
}
