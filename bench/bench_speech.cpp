// The speech layer's promises to the main loop, measured on the live backend
// playing at real-time pace on SDL's dummy sound driver (no sound device is
// needed, and nothing is heard):
//   - speak returns in well under a millisecond while passages wait;
//   - stopSpeech returns within 200 ms while speech plays.
// Each is set against a reference from the same run: speak on the silent
// backend (the layer's own cost), and the 200 ms budget for stopSpeech.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "show/Speech.h"
#include "show/SpeechBackend.h"

namespace {

using Clock = std::chrono::steady_clock;

const char16_t* const kPassages[12] = {
    u"<rate absspeed=\"-3\"/><pitch absmiddle=\"-8\"/>",
    u"A complaint <silence msec=\"50\" />about how demos treat people.",
    u"Closed to those <silence msec=\"10\" />who cannot see or hear.",
    u"<rate absspeed=\"-8\"/><pitch absmiddle=\"-18\"/>Glow<silence msec=\"50\" />moth<rate absspeed=\"-3\"/>",
    u"<rate absspeed=\"-4\"/><pitch absmiddle=\"-10\"/>Lean towards the monitor.",
    u"And nearer still. <rate absspeed=\"-3\"/><pitch absmiddle=\"-8\"/>",
    u"Feel what the screen gives off <silence msec=\"50\" />on your face.",
    u"Lick the glass. <silence msec=\"10\" />Taste the static.",
    u"The flavour <rate absspeed=\"-4\"/>of old dust.<rate absspeed=\"-3\"/>",
    u"Rest your cheek on the screen <silence msec=\"30\" />and move your head up.",
    u"The casing beyond the edge, <silence msec=\"20\" />warm near the vents.",
    u"<pitch absmiddle=\"+15\"/>Credits.",
};

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Mean time of one speak on the silent backend, the reference for the others.
double silentSpeakUs = 0;

// Each iteration hands a dozen passages to a fresh voice and times the calls.
void speakDozen(benchmark::State& state, std::unique_ptr<SpeechBackend> (*make)()) {
    double worst = 0, totalMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        startSpeechWith(make());
        state.ResumeTiming();
        auto begin = Clock::now();
        for (const char16_t* p : kPassages) {
            auto t = Clock::now();
            speak(p);
            worst = std::max(worst, ms(Clock::now() - t));
        }
        double took = ms(Clock::now() - begin);
        totalMs += took;
        state.SetIterationTime(took / 1000.0);
        state.PauseTiming();
        stopSpeech();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 12);
    double meanUs = state.iterations() ? totalMs * 1000.0 / double(state.iterations() * 12) : 0;
    state.counters["mean_speak_us"] = meanUs;
    state.counters["worst_speak_ms"] = worst;
    if (make == makeSilentSpeechBackend) silentSpeakUs = meanUs;
    else if (silentSpeakUs > 0) state.counters["mean_vs_silent"] = meanUs / silentSpeakUs;
}

void BM_SpeakDozen_Silent(benchmark::State& state) { speakDozen(state, makeSilentSpeechBackend); }
void BM_SpeakDozen_Live(benchmark::State& state) { speakDozen(state, makeLiveSpeechBackend); }

// stopSpeech while the voice is half way through a long queue.
void BM_StopWhileSpeaking_Live(benchmark::State& state) {
    double worst = 0;
    for (auto _ : state) {
        startSpeechWith(makeLiveSpeechBackend());
        for (const char16_t* p : kPassages) speak(p);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        auto begin = Clock::now();
        stopSpeech();
        double took = ms(Clock::now() - begin);
        worst = std::max(worst, took);
        state.SetIterationTime(took / 1000.0);
    }
    state.counters["worst_stop_ms"] = worst;
    state.counters["worst_vs_200ms_budget"] = worst / 200.0;
}

// Rendering speed of the capture backend: seconds of speech per second of
// work, what an offline render of the narration can count on.
void BM_CaptureRender(benchmark::State& state) {
    double audioMs = 0, wallMs = 0;
    for (auto _ : state) {
        CaptureSpeechBackend::Options options;
        uint32_t now = 0;
        options.clock = [&now] { return now; };
        options.synchronous = true;
        options.cutAtStop = false;
        CaptureSpeechBackend capture(options);
        capture.open();
        auto begin = Clock::now();
        for (const char16_t* p : kPassages) capture.speak(p);
        double took = ms(Clock::now() - begin);
        capture.stop();
        audioMs += capture.capture()->lengthMs();
        wallMs += took;
        state.SetIterationTime(took / 1000.0);
    }
    state.counters["speech_s_per_work_s"] = wallMs > 0 ? audioMs / wallMs : 0;
}

BENCHMARK(BM_SpeakDozen_Silent)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_SpeakDozen_Live)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(30);
BENCHMARK(BM_StopWhileSpeaking_Live)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_CaptureRender)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    // Real-time pace without a sound device, and nothing audible.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
