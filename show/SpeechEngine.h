// The synthesiser behind every voiced backend: espeak-ng, one per process,
// rendering a read passage into mono 16-bit PCM.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "show/SpeechMarkup.h"

class SpeechEngine {
public:
    // Receives the PCM as it is made; returns false to stop the rendering.
    using Sink = std::function<bool(const int16_t* samples, size_t count)>;

    // The process's engine, started on first use. Null when it cannot start
    // (no voice data, a failing engine); the attempt is made only once.
    static SpeechEngine* get();

    int sampleRate() const { return sampleRate_; }

    // Renders one passage synchronously, from its starting voice through its
    // settings, text runs and silences. Calls from several threads take turns.
    // Returns false when the sink stopped it.
    bool render(const SpeechPassage& passage, const Sink& sink);

    // How the markup's settings become the engine's parameters (see the .cpp).
    struct Parameters {
        int wordsPerMinute;  // espeak-ng rate, 80..450
        int wordGap;         // extra pause between words, 10 ms units at normal speed
        int pitch;           // espeak-ng base pitch, 0..100
        int range;           // espeak-ng intonation range, 0..100
    };
    static Parameters parameters(const VoiceSettings& voice);

private:
    explicit SpeechEngine(int sampleRate) : sampleRate_(sampleRate) {}
    int sampleRate_;
};
