// Captions for the narration: the words of each spoken passage (as the
// speech layer read them, markup removed) broken into short lines and cues,
// and written as SubRip and WebVTT.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Longest caption line, in characters, and lines per cue: the usual limits
// that keep a caption readable at a glance.
constexpr std::size_t kCaptionLineLength = 42;
constexpr std::size_t kCaptionLinesPerCue = 2;

// A passage as heard: its words and when its audio starts and ends, in ms of
// show time.
struct SpokenPassage {
    std::uint32_t startMs = 0;
    std::uint32_t endMs = 0;
    std::string text;  // UTF-8, no markup
};

struct Cue {
    std::uint32_t startMs = 0;
    std::uint32_t endMs = 0;
    std::vector<std::string> lines;
};

// Number of characters (code points) in a UTF-8 string.
std::size_t characterCount(const std::string& utf8);

// Breaks text at blanks into lines of at most maxLength characters. A word
// longer than a line is cut into line-sized pieces.
std::vector<std::string> wrapText(const std::string& text, std::size_t maxLength = kCaptionLineLength);

// The text of each cue, as lines: sentences are kept together in a cue when
// they fit, and a cue ends at a sentence's end where it can; a sentence too
// long for one cue runs on over several, kCaptionLinesPerCue lines each.
std::vector<std::vector<std::string>> captionBlocks(const std::string& text);

// The cues of one passage: its caption blocks, the passage's audio span
// shared among them by their number of characters. No cues for a passage
// without words.
std::vector<Cue> passageCues(const SpokenPassage& passage);

// All passages' cues, in order.
std::vector<Cue> buildCues(const std::vector<SpokenPassage>& passages);

// "HH:MM:SS,mmm" (SubRip) or "HH:MM:SS.mmm" (WebVTT).
std::string formatTimestamp(std::uint32_t ms, char fractionSeparator);

std::string formatSrt(const std::vector<Cue>& cues);
std::string formatVtt(const std::vector<Cue>& cues);
