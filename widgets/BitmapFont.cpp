#include "widgets/BitmapFont.h"

#include <cstring>
#include <initializer_list>

namespace {

const char* buildDefaultSet()
{
    static char set[95 + 6 + 1];
    int n = 0;
    for (int c = 32; c <= 126; ++c)
        set[n++] = static_cast<char>(c);
    for (int c : {229, 228, 246, 197, 196, 214})
        set[n++] = static_cast<char>(c);
    set[n] = '\0';
    return set;
}

}  // namespace

const char* BitmapFont::defaultCharacterSet()
{
    static const char* set = buildDefaultSet();
    return set;
}

BitmapFont::BitmapFont(const char* name, const char* characterSet)
{
    // Padded with NULs; a name of nameSize bytes or more fills the field
    // without a terminator.
    std::memset(this->name, 0, sizeof this->name);
    for (std::uint32_t i = 0; i < nameSize && name[i] != '\0'; ++i)
        this->name[i] = name[i];
    setCharacterSet(characterSet);
}

BitmapFont::~BitmapFont()
{
    releaseGlyphs();
}

void BitmapFont::setCharacterSet(const char* characterSet)
{
    if (!characterSet)
        characterSet = defaultCharacterSet();
    const auto* set = reinterpret_cast<const unsigned char*>(characterSet);
    glyphCount = static_cast<std::uint32_t>(std::strlen(characterSet));

    // Built once here so that drawing never searches the set. A character
    // not in the set gets glyph 0; a repeated one keeps its first position.
    for (int c = 0; c < 256; ++c) {
        std::uint32_t index = 0;
        for (std::uint32_t i = 0; i < glyphCount; ++i)
            if (set[i] == c) {
                index = i;
                break;
            }
        glyphIndex[c] = static_cast<std::uint8_t>(index);
    }
}

void BitmapFont::releaseGlyphs()
{
    if (glyphs) {
        for (std::uint32_t i = 0; i < glyphCount; ++i)
            delete glyphs[i];
        delete[] glyphs;
        glyphs = nullptr;
    }
    loaded = false;
}
