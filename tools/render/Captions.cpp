#include "tools/render/Captions.h"

#include <algorithm>
#include <cstdio>

namespace {

// The length in bytes of the character at utf8[i]: a lead byte and the
// continuation bytes after it (three at most). A stray or malformed byte is
// a character of its own, so counting and cutting always agree.
std::size_t characterLength(const std::string& utf8, std::size_t i)
{
    std::size_t len = 1;
    while (i + len < utf8.size() && len < 4 && (static_cast<unsigned char>(utf8[i + len]) & 0xc0) == 0x80 &&
           (static_cast<unsigned char>(utf8[i]) & 0xc0) == 0xc0)
        ++len;
    return len;
}

// Splits UTF-8 text into character-sized pieces.
std::vector<std::string> characters(const std::string& utf8)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t len = characterLength(utf8, i);
        out.push_back(utf8.substr(i, len));
        i += len;
    }
    return out;
}

// Splits text after sentence-ending punctuation (with any closing quotes or
// brackets) that is followed by a blank.
std::vector<std::string> sentences(const std::string& text)
{
    std::vector<std::string> out;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        current += text[i];
        const char c = text[i];
        if (c != '.' && c != '!' && c != '?') continue;
        std::size_t j = i + 1;
        while (j < text.size() && (text[j] == '"' || text[j] == '\'' || text[j] == ')' || text[j] == '.' ||
                                   text[j] == '!' || text[j] == '?'))
            current += text[j++];
        i = j - 1;
        if (j < text.size() && text[j] != ' ') continue;
        while (!current.empty() && current.front() == ' ') current.erase(current.begin());
        if (!current.empty()) out.push_back(current);
        current.clear();
    }
    while (!current.empty() && current.front() == ' ') current.erase(current.begin());
    if (!current.empty()) out.push_back(current);
    return out;
}

std::string escapeVtt(const std::string& line)
{
    std::string out;
    for (char c : line) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

std::string formatCues(const std::vector<Cue>& cues, bool vtt)
{
    std::string out = vtt ? "WEBVTT\n\n" : "";
    const char separator = vtt ? '.' : ',';
    unsigned number = 0;
    for (const Cue& cue : cues) {
        ++number;
        if (!vtt) out += std::to_string(number) + "\n";
        out += formatTimestamp(cue.startMs, separator) + " --> " + formatTimestamp(cue.endMs, separator) + "\n";
        for (const std::string& line : cue.lines) out += (vtt ? escapeVtt(line) : line) + "\n";
        out += "\n";
    }
    return out;
}

}  // namespace

std::size_t characterCount(const std::string& utf8)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size(); i += characterLength(utf8, i)) ++count;
    return count;
}

std::vector<std::string> wrapText(const std::string& text, std::size_t maxLength)
{
    std::vector<std::string> lines;
    if (maxLength == 0) return lines;
    std::string line;
    std::size_t lineLength = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == ' ') ++pos;
        if (pos >= text.size()) break;
        std::size_t end = text.find(' ', pos);
        if (end == std::string::npos) end = text.size();
        std::string word = text.substr(pos, end - pos);
        pos = end;
        std::size_t wordLength = characterCount(word);
        if (lineLength > 0 && lineLength + 1 + wordLength <= maxLength) {
            line += ' ';
            line += word;
            lineLength += 1 + wordLength;
            continue;
        }
        if (lineLength > 0) {
            lines.push_back(line);
            line.clear();
            lineLength = 0;
        }
        if (wordLength > maxLength) {
            std::vector<std::string> chars = characters(word);
            std::size_t k = 0;
            while (chars.size() - k > maxLength) {
                std::string piece;
                for (std::size_t n = 0; n < maxLength; ++n) piece += chars[k + n];
                lines.push_back(piece);
                k += maxLength;
            }
            word.clear();
            for (; k < chars.size(); ++k) word += chars[k];
            wordLength = characterCount(word);
        }
        line = word;
        lineLength = wordLength;
    }
    if (lineLength > 0) lines.push_back(line);
    return lines;
}

std::vector<std::vector<std::string>> captionBlocks(const std::string& text)
{
    std::vector<std::vector<std::string>> blocks;
    std::string pending;  // sentences waiting for their cue
    auto flush = [&]() {
        const std::vector<std::string> lines = wrapText(pending);
        for (std::size_t i = 0; i < lines.size(); i += kCaptionLinesPerCue)
            blocks.emplace_back(lines.begin() + static_cast<long>(i),
                                lines.begin() + static_cast<long>(std::min(lines.size(), i + kCaptionLinesPerCue)));
        pending.clear();
    };
    for (const std::string& sentence : sentences(text)) {
        const std::string joined = pending.empty() ? sentence : pending + " " + sentence;
        if (wrapText(joined).size() <= kCaptionLinesPerCue) {
            pending = joined;
            continue;
        }
        flush();
        const std::vector<std::string> lines = wrapText(sentence);
        if (lines.size() <= kCaptionLinesPerCue) {
            pending = sentence;
            continue;
        }
        // A long sentence fills whole cues; its last lines may share a cue
        // with what follows.
        const std::size_t whole = (lines.size() - 1) / kCaptionLinesPerCue * kCaptionLinesPerCue;
        for (std::size_t i = 0; i < whole; i += kCaptionLinesPerCue)
            blocks.emplace_back(lines.begin() + static_cast<long>(i), lines.begin() + static_cast<long>(i + kCaptionLinesPerCue));
        for (std::size_t i = whole; i < lines.size(); ++i) pending += (pending.empty() ? "" : " ") + lines[i];
    }
    flush();
    return blocks;
}

std::vector<Cue> passageCues(const SpokenPassage& passage)
{
    std::vector<Cue> cues;
    std::vector<std::size_t> weights;
    std::size_t total = 0;
    for (std::vector<std::string>& block : captionBlocks(passage.text)) {
        Cue cue;
        std::size_t weight = 0;
        for (const std::string& line : block) weight += characterCount(line);
        cue.lines = std::move(block);
        cues.push_back(std::move(cue));
        weights.push_back(weight);
        total += weight;
    }
    if (cues.empty()) return cues;

    const std::uint32_t start = passage.startMs;
    const std::uint32_t span = passage.endMs > start ? passage.endMs - start : 0;
    std::size_t before = 0;
    for (std::size_t i = 0; i < cues.size(); ++i) {
        cues[i].startMs = start + static_cast<std::uint32_t>(static_cast<std::uint64_t>(span) * before / total);
        before += weights[i];
        cues[i].endMs = start + static_cast<std::uint32_t>(static_cast<std::uint64_t>(span) * before / total);
    }
    return cues;
}

std::vector<Cue> buildCues(const std::vector<SpokenPassage>& passages)
{
    std::vector<Cue> all;
    for (const SpokenPassage& passage : passages) {
        std::vector<Cue> cues = passageCues(passage);
        all.insert(all.end(), cues.begin(), cues.end());
    }
    return all;
}

std::string formatTimestamp(std::uint32_t ms, char fractionSeparator)
{
    const std::uint32_t hours = ms / 3600000;
    const std::uint32_t minutes = ms / 60000 % 60;
    const std::uint32_t seconds = ms / 1000 % 60;
    const std::uint32_t millis = ms % 1000;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02u:%02u:%02u%c%03u", static_cast<unsigned>(hours),
                  static_cast<unsigned>(minutes), static_cast<unsigned>(seconds), fractionSeparator,
                  static_cast<unsigned>(millis));
    return buffer;
}

std::string formatSrt(const std::vector<Cue>& cues) { return formatCues(cues, false); }

std::string formatVtt(const std::vector<Cue>& cues) { return formatCues(cues, true); }
