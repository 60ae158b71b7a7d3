// glowmoth-script: prints the show's narration as the speech timing tool
// reads it, one passage per line: the show time in ms, a tab, the passage
// with its markup in UTF-8. Comment lines give each passage's event number
// and, last, the time of the end event, which closes the last passage's slot.
//
//   glowmoth-script | glowmoth-speechtime
#include "show/Script.h"

#include <cstdio>
#include <string>

namespace {

std::string utf8(const char16_t* text) {
    std::string out;
    for (const char16_t* p = text; *p; ++p) {
        char32_t c = *p;
        if (c >= 0xD800 && c < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

int main() {
    for (std::size_t i = 0; i < scriptEventCount; ++i) {
        const ScriptEvent& event = showScript[i];
        if (event.kind == ScriptEventKind::Speech) {
            std::printf("# event %zu\n%u\t%s\n", i + 1, static_cast<unsigned>(event.time), utf8(event.text).c_str());
        } else if (event.kind == ScriptEventKind::End) {
            std::printf("# end %u\n", static_cast<unsigned>(event.time));
        }
    }
    return 0;
}
