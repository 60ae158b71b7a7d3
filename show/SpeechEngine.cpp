#include "show/SpeechEngine.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

// espeak-ng keeps its state in globals: one rendering at a time, and the
// callback finds its sink through these.
std::mutex engineLock;
const SpeechEngine::Sink* currentSink = nullptr;
int currentVolume = 100;
bool currentStopped = false;

int onSynth(short* wav, int count, espeak_EVENT*) {
    if (currentStopped) return 1;
    if (!wav || count <= 0) return 0;
    if (currentVolume != 100) {
        for (int i = 0; i < count; ++i) wav[i] = short(wav[i] * currentVolume / 100);
    }
    if (!(*currentSink)(reinterpret_cast<const int16_t*>(wav), size_t(count))) {
        currentStopped = true;
        return 1;
    }
    return 0;
}

bool endsClause(const std::string& text) {
    size_t i = text.size();
    while (i > 0 && text[i - 1] != 0 && std::strchr(" \"')]", text[i - 1])) --i;
    return i > 0 && text[i - 1] != 0 && std::strchr(".,;:!?", text[i - 1]);
}

// Audio is handed over in pieces of this length, so a stop is noticed soon.
constexpr int kChunkMs = 50;

}  // namespace

SpeechEngine* SpeechEngine::get() {
    static std::once_flag once;
    static SpeechEngine* engine = nullptr;
    std::call_once(once, [] {
        std::lock_guard<std::mutex> lock(engineLock);
        // Through espeak_ng_* rather than espeak_Initialize: the latter exits
        // the process when the voice data is missing.
        espeak_ng_InitializePath(nullptr);
        espeak_ng_ERROR_CONTEXT context = nullptr;
        if (espeak_ng_Initialize(&context) != ENS_OK) {
            espeak_ng_ClearErrorContext(&context);
            return;
        }
        if (espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, kChunkMs, nullptr) != ENS_OK) return;
        if (espeak_ng_SetVoiceByName("en") != ENS_OK) return;
        int rate = espeak_ng_GetSampleRate();
        if (rate <= 0) return;
        espeak_SetSynthCallback(onSynth);
        // Never deleted: espeak-ng cannot be started a second time reliably.
        engine = new SpeechEngine(rate);
    });
    return engine;
}

// Rate v asks for 175 words per minute times 3^(v/10). espeak-ng speaks from
// 80 to 450 words per minute; faster requests stop at 450. Below 80 the rate
// stays at 80 and the missing slowness becomes pauses between words: at
// 80 wpm a word lasts about 670 ms and one unit of word gap adds about 35 ms,
// so the gap is 19 units per extra "80 wpm" worth of length, up to three
// times the floor's length.
//
// Pitch v asks for the mean pitch times 2^(v/24). espeak-ng's pitch parameter
// (0..100, 50 normal) moves only the base of the intonation, so the range is
// scaled by the same factor to move the whole contour. The pitch slopes below
// were measured on espeak-ng 1.51's English voice: the median F0 lands within
// about 1% of the target from v = -17 to v = +20. Beyond those the engine's
// limits hold (about 0.6 and 1.7 times the normal pitch).
SpeechEngine::Parameters SpeechEngine::parameters(const VoiceSettings& voice) {
    Parameters p;
    double wpm = 175.0 * std::pow(3.0, voice.rate / 10.0);
    double slowness = std::min(80.0 / wpm, 3.0);
    p.wordsPerMinute = int(std::lround(std::clamp(wpm, 80.0, 450.0)));
    p.wordGap = slowness > 1.0 ? int(std::lround(19.0 * (slowness - 1.0))) : 0;

    double factor = std::pow(2.0, voice.pitch / 24.0);
    double base = voice.pitch < 0 ? 50.0 + 2.8 * voice.pitch : 50.0 + 2.5 * voice.pitch;
    p.pitch = int(std::lround(std::clamp(base, 0.0, 100.0)));
    p.range = int(std::lround(std::clamp(50.0 * factor, 0.0, 100.0)));
    return p;
}

bool SpeechEngine::render(const SpeechPassage& passage, const Sink& sink) {
    std::lock_guard<std::mutex> lock(engineLock);
    currentSink = &sink;
    currentStopped = false;
    VoiceSettings voice = passage.start;
    std::vector<int16_t> quiet(size_t(sampleRate_ * kChunkMs / 1000), 0);

    size_t lastText = passage.items.size();
    for (size_t k = 0; k < passage.items.size(); ++k)
        if (passage.items[k].kind == SpeechItem::Text) lastText = k;

    for (size_t k = 0; k < passage.items.size(); ++k) {
        const SpeechItem& item = passage.items[k];
        if (currentStopped) break;
        switch (item.kind) {
        case SpeechItem::Rate: voice.rate = item.value; break;
        case SpeechItem::Pitch: voice.pitch = item.value; break;
        case SpeechItem::Volume: voice.volume = item.value; break;
        case SpeechItem::Silence: {
            size_t left = size_t((long long)item.value * sampleRate_ / 1000);
            while (left > 0 && !currentStopped) {
                size_t n = std::min(left, quiet.size());
                if (!sink(quiet.data(), n)) currentStopped = true;
                left -= n;
            }
            break;
        }
        case SpeechItem::Text: {
            Parameters p = parameters(voice);
            espeak_SetParameter(espeakRATE, p.wordsPerMinute, 0);
            espeak_SetParameter(espeakWORDGAP, p.wordGap, 0);
            espeak_SetParameter(espeakPITCH, p.pitch, 0);
            espeak_SetParameter(espeakRANGE, p.range, 0);
            espeak_SetParameter(espeakVOLUME, 100, 0);
            currentVolume = std::clamp(voice.volume, 0, 100);
            // A run is a clause to the engine, which would drop the pause its
            // closing punctuation asks for; it is kept where more words
            // follow in the passage. Otherwise no end pause: a tag's silence
            // adds exactly its own length.
            unsigned flags = espeakCHARS_UTF8;
            if (k < lastText && endsClause(item.text)) flags |= espeakENDPAUSE;
            espeak_Synth(item.text.c_str(), item.text.size() + 1, 0, POS_CHARACTER, 0, flags, nullptr, nullptr);
            break;
        }
        }
    }
    bool completed = !currentStopped;
    currentSink = nullptr;
    return completed;
}
