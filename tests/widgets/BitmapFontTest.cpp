#include "tests/widgets/Recorders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(BitmapFontSet, DefaultSetMapsLatin1)
{
    Log log;
    RecordingFont font(log);
    EXPECT_EQ(101u, font.getGlyphCount());
    struct Case {
        int code;
        int index;
    };
    const Case cases[] = {
        {'A', 33}, {'~', 94}, {' ', 0}, {'!', 1}, {'\t', 0}, {0, 0}, {127, 0}, {255, 0},
        {233 /* é */, 0}, {229 /* å */, 95}, {228 /* ä */, 96}, {246 /* ö */, 97},
        {197 /* Å */, 98}, {196 /* Ä */, 99}, {214 /* Ö */, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.index, font.glyphIndexOf(static_cast<unsigned char>(c.code))) << "code " << c.code;
    for (int code = 32; code <= 126; ++code)
        EXPECT_EQ(code - 32, font.glyphIndexOf(static_cast<unsigned char>(code)));
}

TEST(BitmapFontSet, GivenSetsRepeatsAndEmpty)
{
    Log log;
    RecordingFont aba(log, 8, 20, "aba", "ABA");
    EXPECT_EQ(3u, aba.getGlyphCount());
    EXPECT_EQ(0, aba.glyphIndexOf('A'));
    EXPECT_EQ(1, aba.glyphIndexOf('B'));
    EXPECT_EQ(0, aba.glyphIndexOf('C'));

    RecordingFont empty(log, 8, 20, "empty", "");
    EXPECT_EQ(0u, empty.getGlyphCount());
    for (int code = 0; code < 256; ++code)
        ASSERT_EQ(0, empty.glyphIndexOf(static_cast<unsigned char>(code)));

    // Changing the set before any glyph exists rebuilds the table.
    empty.setCharacterSet("xyz");
    EXPECT_EQ(3u, empty.getGlyphCount());
    EXPECT_EQ(2, empty.glyphIndexOf('z'));
    empty.setCharacterSet(nullptr);
    EXPECT_EQ(101u, empty.getGlyphCount());
}

TEST(BitmapFontSet, NameIsBoundedTo256Bytes)
{
    Log log;
    const std::string exact(255, 'n');
    RecordingFont shortName(log, 8, 20, exact.c_str());
    EXPECT_EQ(0, std::memcmp(exact.c_str(), shortName.getName(), 256)) << "255 bytes and one NUL";

    std::string longName(300, 'a');
    for (std::size_t i = 0; i < longName.size(); ++i)
        longName[i] = static_cast<char>('a' + i % 26);
    RecordingFont longFont(log, 8, 20, longName.c_str());
    EXPECT_EQ(0, std::memcmp(longName.data(), longFont.getName(), 256));
    EXPECT_NE('\0', longFont.getName()[255]) << "no terminator when the name fills the field";

    RecordingFont tiny(log, 8, 20, "abc");
    for (int i = 3; i < 256; ++i)
        ASSERT_EQ('\0', tiny.getName()[i]) << "padding at " << i;
    EXPECT_STREQ("abc", tiny.getName());
}

TEST(BitmapFontBase, StartsUnloadedWithTheLineHeightOfTheFont)
{
    Log log;
    RecordingFont font(log, 8, 17);
    EXPECT_FALSE(font.isLoaded());
    EXPECT_EQ(17, font.getHeight());
}

struct CountedGlyph : Glyph {
    explicit CountedGlyph(int& deleted) : deleted(deleted) {}
    ~CountedGlyph() override { ++deleted; }
    int& deleted;
};

TEST(BitmapFontBase, ReleasesEveryGlyphAndTheArray)
{
    Log log;
    int deleted = 0;
    {
        RecordingFont font(log, 8, 20, "three", "abc");
        Glyph** array = new Glyph*[3];
        array[0] = new CountedGlyph(deleted);
        array[1] = nullptr;  // a glyph the font could not make
        array[2] = new CountedGlyph(deleted);
        font.adoptGlyphs(array);
        font.setLoaded();
        EXPECT_TRUE(font.isLoaded());
    }
    EXPECT_EQ(2, deleted);
}

TEST(BitmapFontBase, NoGlyphArrayReleasesNothing)
{
    // glyphCount says 101, but there is no array: nothing may be touched
    // (the sanitizers watch this).
    Log log;
    auto* font = new RecordingFont(log);
    EXPECT_EQ(101u, font->getGlyphCount());
    delete font;
}

}  // namespace
