// glowmoth-speechtime: how long marked-up passages take when spoken by the
// show's voice, and whether each fits before the next one is due.
//
//   glowmoth-speechtime [--wav OUT.wav] [PASSAGES]
//
// PASSAGES (standard input when absent or "-") holds one passage per line:
// the show time in milliseconds at which it is handed to the voice, a tab,
// and the passage's text with its markup, in UTF-8. Blank lines and lines
// starting with '#' are skipped. Times must not decrease. Settings carry over
// from one passage to the next, as in the show.
//
// The passages are rendered through the speech layer's capture backend on a
// virtual clock, as fast as the machine allows; a passage handed over while
// the one before still speaks waits for it.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "show/Speech.h"
#include "show/SpeechBackend.h"
#include "show/SpeechMarkup.h"

namespace {

struct Passage {
    uint32_t dueMs;
    std::u16string text;
};

int usage() {
    std::fprintf(stderr, "usage: glowmoth-speechtime [--wav OUT.wav] [PASSAGES]\n"
                         "  PASSAGES: one passage per line, START_MS<TAB>marked-up text\n");
    return 2;
}

bool readPassages(std::istream& in, const std::string& name, std::vector<Passage>& out) {
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        size_t tab = line.find('\t');
        std::string time = line.substr(0, tab);
        char* end = nullptr;
        unsigned long ms = std::strtoul(time.c_str(), &end, 10);
        if (tab == std::string::npos || time.empty() || *end != 0 || time[0] == '-' || ms > 0xFFFFFFFFul) {
            std::fprintf(stderr, "glowmoth-speechtime: %s:%d: expected START_MS<TAB>text\n", name.c_str(), number);
            return false;
        }
        if (!out.empty() && ms < out.back().dueMs) {
            std::fprintf(stderr, "glowmoth-speechtime: %s:%d: time %lu comes before the line above\n", name.c_str(),
                         number, ms);
            return false;
        }
        out.push_back({uint32_t(ms), utf8ToUtf16(line.substr(tab + 1))});
    }
    return true;
}

std::string shorten(const std::string& words, size_t width) {
    if (words.size() <= width) return words;
    size_t cut = width - 3;
    while (cut > 0 && (static_cast<unsigned char>(words[cut]) & 0xC0) == 0x80) --cut;  // whole UTF-8 characters
    return words.substr(0, cut) + "...";
}

}  // namespace

int main(int argc, char** argv) {
    std::string wavPath, inputPath = "-";
    bool haveInput = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--wav" && i + 1 < argc) wavPath = argv[++i];
        else if (arg == "-h" || arg == "--help") return usage(), 0;
        else if (!haveInput && (arg == "-" || arg[0] != '-')) inputPath = arg, haveInput = true;
        else return usage();
    }

    std::vector<Passage> passages;
    if (inputPath == "-") {
        if (!readPassages(std::cin, "<stdin>", passages)) return 2;
    } else {
        std::ifstream file(inputPath);
        if (!file) {
            std::fprintf(stderr, "glowmoth-speechtime: cannot read %s\n", inputPath.c_str());
            return 2;
        }
        if (!readPassages(file, inputPath, passages)) return 2;
    }

    uint32_t now = 0;
    CaptureSpeechBackend::Options options;
    options.clock = [&now] { return now; };
    options.synchronous = true;
    options.cutAtStop = false;
    auto backend = std::make_unique<CaptureSpeechBackend>(options);
    std::shared_ptr<const SpeechCapture> capture = backend->capture();
    if (!startSpeechWith(std::move(backend))) {
        std::fprintf(stderr, "glowmoth-speechtime: the speech engine (espeak-ng) did not start\n");
        return 1;
    }
    for (const Passage& p : passages) {
        now = p.dueMs;
        speak(p.text.c_str());
    }
    stopSpeech();

    // One row per passage: when it was due, when its audio starts and ends,
    // how long it speaks, how long it waited for the one before, and how much
    // time is left before the next one is due (negative: it overruns).
    std::printf("%3s %8s %8s %8s %7s %6s %7s  %s\n", "#", "due", "starts", "ends", "length", "waits", "spare",
                "words");
    const auto& spoken = capture->passages;
    for (size_t i = 0; i < spoken.size(); ++i) {
        const CapturedPassage& p = spoken[i];
        char spare[16] = "-";
        if (i + 1 < spoken.size())
            std::snprintf(spare, sizeof spare, "%lld", (long long)spoken[i + 1].queuedMs - (long long)p.endMs);
        std::printf("%3zu %8u %8u %8u %7u %6u %7s  %s\n", i + 1, p.queuedMs, p.startMs, p.endMs, p.endMs - p.startMs,
                    p.startMs - p.queuedMs, spare, shorten(p.words, 48).c_str());
    }
    if (!spoken.empty()) std::printf("speech ends at %u ms\n", spoken.back().endMs);
    if (!wavPath.empty()) {
        if (!capture->writeWav(wavPath)) {
            std::fprintf(stderr, "glowmoth-speechtime: cannot write %s\n", wavPath.c_str());
            return 1;
        }
        std::printf("wrote %s\n", wavPath.c_str());
    }
    return 0;
}
