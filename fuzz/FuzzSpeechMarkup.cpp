// The narration's markup reader on arbitrary UTF-16 input: it must end,
// stay in bounds and keep every setting it hands the engine within limits.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "show/SpeechMarkup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text(size / 2, u'\0');
    std::memcpy(&text[0], data, text.size() * 2);
    // Two passages read in turn, as the voice reads them, through one state.
    size_t half = text.size() / 2;
    std::u16string first = text.substr(0, half).c_str(), second = text.substr(half).c_str();
    VoiceSettings voice;
    for (const std::u16string* passage : {&first, &second}) {
        SpeechPassage p = readSpeechMarkup(passage->c_str(), voice);
        for (const SpeechItem& item : p.items) {
            bool ok = true;
            switch (item.kind) {
            case SpeechItem::Text: ok = !item.text.empty(); break;
            case SpeechItem::Silence: ok = item.value > 0 && item.value <= kMarkupSilenceLimitMs; break;
            case SpeechItem::Volume: ok = item.value >= 0 && item.value <= 100; break;
            case SpeechItem::Rate:
            case SpeechItem::Pitch: ok = item.value >= -kMarkupSettingLimit && item.value <= kMarkupSettingLimit; break;
            }
            if (!ok) std::abort();
        }
        if (std::abs(voice.rate) > kMarkupSettingLimit || std::abs(voice.pitch) > kMarkupSettingLimit) std::abort();
    }
    return 0;
}
