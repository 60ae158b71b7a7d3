// The process-wide voice: empty at start, served by startSpeech, speak and
// stopSpeech on the main thread.
#include "show/Speech.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "show/SpeechBackend.h"

namespace {

std::unique_ptr<SpeechBackend> voice;

class SilentSpeechBackend : public SpeechBackend {
public:
    bool open() override { return true; }
    void speak(const char16_t*) override {}
    void stop() override {}
};

}  // namespace

std::unique_ptr<SpeechBackend> makeSilentSpeechBackend() { return std::make_unique<SilentSpeechBackend>(); }

std::unique_ptr<SpeechBackend> makeSpeechBackendFromEnvironment() {
    const char* choice = std::getenv("GLOWMOTH_SPEECH");
    std::string name = choice ? choice : "";
    if (name == "silent") return makeSilentSpeechBackend();
    if (name == "capture" || name.compare(0, 8, "capture:") == 0) {
        CaptureSpeechBackend::Options options;
        if (name.size() > 8) options.wavPath = name.substr(8);
        return std::make_unique<CaptureSpeechBackend>(options);
    }
    return makeLiveSpeechBackend();
}

bool startSpeechWith(std::unique_ptr<SpeechBackend> backend) {
    stopSpeech();
    if (backend && backend->open()) voice = std::move(backend);
    return voice != nullptr;
}

bool speechStarted() { return voice != nullptr; }

void startSpeech() { startSpeechWith(makeSpeechBackendFromEnvironment()); }

void speak(const char16_t* text) {
    if (voice && text) voice->speak(text);
}

void stopSpeech() {
    if (!voice) return;
    voice->stop();
    voice.reset();
}
