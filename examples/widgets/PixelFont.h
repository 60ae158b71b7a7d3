// A tiny built-in 5x7 bitmap font drawn pixel by pixel with SDL_FillRect:
// enough for the example scene to label its controls without any font file.
#pragma once

#include "widgets/BitmapFont.h"

#include <SDL/SDL.h>

class PixelFont : public BitmapFont {
public:
    // Alignments understood by drawText: the anchor is the left end, the
    // centre or the right end of the line, always at the line's middle height.
    enum { AlignLeft = 0, AlignCentre = 1, AlignRight = 2 };

    // scale: each font pixel becomes a scale x scale square.
    explicit PixelFont(int scale = 2);
    ~PixelFont() override = default;

    bool loadGlyphs() override;
    std::int32_t charWidth(unsigned char character) override;
    std::int32_t textWidth(const char* text) override;
    void drawText(float x, float y, std::int32_t alignment, const char* text, const float* colour) override;
    void drawChar(float x, float y, unsigned char character, const float* colour) override;

    // White tinted by the colour factors, in the screen's format.
    static Uint32 tint(SDL_Surface* screen, const float* colour);

private:
    int scale;
};
