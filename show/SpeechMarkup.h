// The narration's markup: a small subset of the XML that desktop voices
// accept, read into a flat list of voice settings, text runs and silences.
//
//   <rate absspeed="v"/>   <rate speed="v"/>      speaking rate, absolute / relative
//   <pitch absmiddle="v"/> <pitch middle="v"/>    mean pitch, absolute / relative
//   <silence msec="n"/>                           n milliseconds of silence
//   <volume level="n"/>                           n percent of full volume
//
// A blank before "/>" and a leading '+' or '-' on a value are accepted, and
// so are the five XML entities plus numeric character references. Unknown
// tags are dropped and the text around and inside them is spoken. Malformed
// markup never stops the reading: an unclosed tag keeps what could be read of
// it, a bad number drops only its setting. Rate, pitch and volume written as
// a container (<rate speed="2">...</rate>) last until the closing tag.
#pragma once

#include <string>
#include <vector>

// The voice's settings in the markup's own units. They persist from one
// passage to the next; a relative tag is resolved against them.
struct VoiceSettings {
    int rate = 0;      // 3^(rate/10) times the default speed
    int pitch = 0;     // 2^(pitch/24) times the default mean pitch
    int volume = 100;  // percent of full

    bool operator==(const VoiceSettings& o) const {
        return rate == o.rate && pitch == o.pitch && volume == o.volume;
    }
};

struct SpeechItem {
    enum Kind { Text, Silence, Rate, Pitch, Volume };
    Kind kind;
    int value;         // Silence: ms; Rate/Pitch/Volume: the new absolute value
    std::string text;  // Text: UTF-8, entities decoded

    bool operator==(const SpeechItem& o) const {
        return kind == o.kind && value == o.value && text == o.text;
    }
};

// Limits that keep hostile values harmless; the engine narrows them further.
constexpr int kMarkupSettingLimit = 100;    // |rate|, |pitch|
constexpr int kMarkupSilenceLimitMs = 60000;         // one silence
constexpr int kMarkupPassageSilenceLimitMs = 600000; // all of a passage's silences

// One passage, read: what the voice was when it began, what it says and does,
// and its words alone (markup removed, blanks collapsed) for captions.
struct SpeechPassage {
    VoiceSettings start;
    std::vector<SpeechItem> items;
    std::string words;
};

// Reads a zero-terminated passage. `voice` holds the settings left by the
// passages before and is updated to the settings this one leaves in force.
// A null text reads as an empty passage.
SpeechPassage readSpeechMarkup(const char16_t* text, VoiceSettings& voice);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(const char16_t* text);
std::string utf16ToUtf8(const std::u16string& text);
// UTF-8 to UTF-16; malformed bytes become U+FFFD.
std::u16string utf8ToUtf16(const std::string& text);
