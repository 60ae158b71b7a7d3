#include "examples/widgets/PixelFont.h"

#include <cctype>
#include <cstring>
#include <new>

namespace {

const int glyphColumns = 5;
const int glyphRows = 7;

// Seven rows of five columns, '#' for a lit pixel. Letters only in upper
// case: lower-case text is drawn with the capitals.
struct Pattern {
    char character;
    const char* rows[glyphRows];
};

const Pattern patterns[] = {
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
    {'C', {" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'G', {" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"}},
    {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'I', {" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'J', {"  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "}},
    {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
    {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
    {'N', {"#   #", "#   #", "##  #", "# # #", "#  ##", "#   #", "#   #"}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
    {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
    {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # "}},
    {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
    {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"}},
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "}},
    {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "}},
    {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
    {'6', {"  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "}},
    {'.', {"     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "}},
    {',', {"     ", "     ", "     ", "     ", " ##  ", "  #  ", " #   "}},
    {':', {"     ", " ##  ", " ##  ", "     ", " ##  ", " ##  ", "     "}},
    {'!', {"  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "     ", "  #  "}},
    {'?', {" ### ", "#   #", "    #", "   # ", "  #  ", "     ", "  #  "}},
    {'%', {"##   ", "##  #", "   # ", "  #  ", " #   ", "#  ##", "   ##"}},
    {'-', {"     ", "     ", "     ", "#####", "     ", "     ", "     "}},
    {'+', {"     ", "  #  ", "  #  ", "#####", "  #  ", "  #  ", "     "}},
    {'\'', {"  #  ", "  #  ", " #   ", "     ", "     ", "     ", "     "}},
    {'(', {"   # ", "  #  ", " #   ", " #   ", " #   ", "  #  ", "   # "}},
    {')', {" #   ", "  #  ", "   # ", "   # ", "   # ", "  #  ", " #   "}},
    {'/', {"     ", "    #", "   # ", "  #  ", " #   ", "#    ", "     "}},
    {'=', {"     ", "     ", "#####", "     ", "#####", "     ", "     "}},
};

// Any other character shows as a hollow box, so a missing glyph is visible.
const Pattern unknown = {'?', {"#####", "#   #", "#   #", "#   #", "#   #", "#   #", "#####"}};
const Pattern blank = {' ', {"     ", "     ", "     ", "     ", "     ", "     ", "     "}};

class PixelGlyph : public Glyph {
public:
    explicit PixelGlyph(const Pattern& pattern) : pattern(pattern) {}
    const Pattern& pattern;
};

const Pattern& patternFor(unsigned char character)
{
    if (character == ' ')
        return blank;
    const char upper = static_cast<char>(std::toupper(character));
    for (const Pattern& p : patterns)
        if (p.character == upper)
            return p;
    return unknown;
}

}  // namespace

PixelFont::PixelFont(int scale) : BitmapFont("pixel 5x7", nullptr), scale(scale)
{
    height = glyphRows * scale;
    loadGlyphs();
}

bool PixelFont::loadGlyphs()
{
    if (glyphs)
        return loaded;
    const char* set = defaultCharacterSet();
    glyphs = new (std::nothrow) Glyph*[glyphCount];
    if (!glyphs)
        return false;
    for (std::uint32_t i = 0; i < glyphCount; ++i)
        glyphs[i] = new (std::nothrow) PixelGlyph(patternFor(static_cast<unsigned char>(set[i])));
    loaded = true;
    return true;
}

std::int32_t PixelFont::charWidth(unsigned char)
{
    return glyphColumns * scale;
}

std::int32_t PixelFont::textWidth(const char* text)
{
    const auto n = static_cast<std::int32_t>(std::strlen(text));
    if (n == 0)
        return 0;
    // letterSpacing font pixels between characters, none after the last.
    return n * charWidth(' ') + (n - 1) * letterSpacing * scale;
}

Uint32 PixelFont::tint(SDL_Surface* screen, const float* colour)
{
    auto channel = [&](int i) {
        float f = colour ? colour[i] : 1.0f;
        f = f < 0.0f ? 0.0f : f > 1.0f ? 1.0f : f;
        return static_cast<Uint8>(f * 255.0f);
    };
    return SDL_MapRGB(screen->format, channel(0), channel(1), channel(2));
}

void PixelFont::drawText(float x, float y, std::int32_t alignment, const char* text, const float* colour)
{
    float left = x;
    const std::int32_t width = textWidth(text);
    if (alignment == AlignCentre)
        left -= static_cast<float>(width / 2);
    else if (alignment == AlignRight)
        left -= static_cast<float>(width);
    const float top = y - static_cast<float>(height / 2);
    const float advance = static_cast<float>(charWidth(' ') + letterSpacing * scale);
    for (const char* c = text; *c; ++c, left += advance)
        drawChar(left, top, static_cast<unsigned char>(*c), colour);
}

void PixelFont::drawChar(float x, float y, unsigned char character, const float* colour)
{
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (!screen || !glyphs)
        return;
    const Glyph* glyph = glyphs[glyphIndex[character]];
    if (!glyph)
        return;
    const Pattern& pattern = static_cast<const PixelGlyph*>(glyph)->pattern;
    const Uint32 pixel = tint(screen, colour);
    for (int row = 0; row < glyphRows; ++row)
        for (int column = 0; column < glyphColumns; ++column) {
            if (pattern.rows[row][column] != '#')
                continue;
            SDL_Rect r;
            r.x = static_cast<Sint16>(static_cast<int>(x) + column * scale);
            r.y = static_cast<Sint16>(static_cast<int>(y) + row * scale);
            r.w = static_cast<Uint16>(scale);
            r.h = static_cast<Uint16>(scale);
            SDL_FillRect(screen, &r, pixel);
        }
}
