// Caption building over arbitrary words: every cue keeps to two lines of 42
// characters, no character of the text is lost or invented, and the cues
// share the passage's span in order.
#include "tools/render/Captions.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string withoutBlanks(const std::string& s)
{
    std::string out;
    for (char c : s)
        if (c != ' ') out += c;
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4) return 0;
    SpokenPassage passage;
    passage.startMs = static_cast<std::uint32_t>(data[0]) * 1000u;
    passage.endMs = passage.startMs + static_cast<std::uint32_t>(data[1] | (data[2] << 8)) * 10u;
    // The speech layer hands over words with single blanks between them.
    for (std::size_t i = 3; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        passage.text += (c == '\n' || c == '\t' || c == '\r') ? ' ' : c;
    }

    const std::vector<Cue> cues = passageCues(passage);
    std::string seen;
    std::uint32_t at = passage.startMs;
    for (const Cue& cue : cues) {
        if (cue.lines.empty() || cue.lines.size() > kCaptionLinesPerCue) std::abort();
        if (cue.startMs != at || cue.endMs < cue.startMs || cue.endMs > std::max(passage.endMs, passage.startMs)) std::abort();
        at = cue.endMs;
        for (const std::string& line : cue.lines) {
            if (line.empty() || characterCount(line) > kCaptionLineLength) std::abort();
            seen += line;
        }
    }
    if (withoutBlanks(seen) != withoutBlanks(passage.text)) std::abort();
    if (!cues.empty() && passage.endMs > passage.startMs && at != passage.endMs) std::abort();

    (void)formatSrt(cues);
    (void)formatVtt(cues);
    return 0;
}
