// The base of the toolkit's fonts: a name, a character set with its
// 256-entry glyph table, the glyphs themselves and the line height.
// Measuring, drawing and creating glyphs belong to the concrete font.
#pragma once

#include <cstdint>

// One character's drawable; what it holds is the concrete font's business.
class Glyph {
public:
    virtual ~Glyph() = default;
};

class BitmapFont {
public:
    static const std::uint32_t nameSize = 256;

    // name is not null; a null character set selects the default set.
    BitmapFont(const char* name, const char* characterSet);
    // Deletes every glyph and the glyph array.
    virtual ~BitmapFont();
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;

    // Creates the glyph array (glyphCount entries, entry i for the set's
    // character i) and sets loaded; true when the glyphs are there.
    virtual bool loadGlyphs() = 0;
    // Width in pixels of one character's glyph.
    virtual std::int32_t charWidth(unsigned char character) = 0;
    virtual std::int32_t textWidth(const char* text) = 0;
    // The alignment and colour factors come unchanged from the control.
    virtual void drawText(float x, float y, std::int32_t alignment, const char* text, const float* colour) = 0;
    // Draws one character with its top-left corner at the point.
    virtual void drawChar(float x, float y, unsigned char character, const float* colour) = 0;

    // Sets glyphCount to the set's length and rebuilds the glyph table.
    // Call it before the glyphs exist: the glyph array has exactly
    // glyphCount entries. A null set selects the default set.
    void setCharacterSet(const char* characterSet);
    std::int32_t getHeight() const { return height; }

    // The name field: at most nameSize bytes, without a terminator when the
    // name filled it.
    const char* getName() const { return name; }
    std::uint8_t glyphIndexOf(unsigned char character) const { return glyphIndex[character]; }
    std::uint32_t getGlyphCount() const { return glyphCount; }
    bool isLoaded() const { return loaded; }

    // Printable ASCII 32..126, then å ä ö Å Ä Ö in Latin-1.
    static const char* defaultCharacterSet();

protected:
    // Deletes the glyphs and their array (made with new[]) and clears loaded.
    void releaseGlyphs();

    bool loaded = false;
    char name[nameSize];
    std::uint8_t glyphIndex[256];
    Glyph** glyphs = nullptr;
    std::uint32_t glyphCount = 0;
    std::int32_t letterSpacing = 1;
    std::int32_t height = 0;
    std::int32_t lineSpacing = 0;
};
