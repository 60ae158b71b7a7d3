// The rendered pictures as the show will meet them: nineteen PNG files that
// SDL_image decodes, no larger than the screen, drawn on black, and small
// enough together for the archive.
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kPictureCount = 19;
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr std::size_t kBudgetBytes = 400 * 1024;

std::string picturePath(int n) {
    return std::string(GLOWMOTH_BINARY_DIR) + "/content/data/2t" + std::to_string(n) + ".png";
}

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t bigEndian32(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

// The pixel at (x, y) as 8-bit red, green, blue, whatever the surface format.
void pixelAt(SDL_Surface* s, int x, int y, Uint8& r, Uint8& g, Uint8& b) {
    const Uint8* row = static_cast<const Uint8*>(s->pixels) + y * s->pitch;
    const int bpp = s->format->BytesPerPixel;
    const Uint8* p = row + x * bpp;
    Uint32 value = 0;
    switch (bpp) {
    case 1: value = *p; break;
    case 2: value = *reinterpret_cast<const Uint16*>(p); break;
    case 3: value = SDL_BYTEORDER == SDL_LIL_ENDIAN ? (p[0] | p[1] << 8 | p[2] << 16) : (p[2] | p[1] << 8 | p[0] << 16); break;
    default: value = *reinterpret_cast<const Uint32*>(p); break;
    }
    SDL_GetRGB(value, s->format, &r, &g, &b);
}

class Pictures : public ::testing::TestWithParam<int> {};

TEST_P(Pictures, IsASmallPalettedPngNoLargerThanTheScreen) {
    const std::vector<unsigned char> bytes = readFile(picturePath(GetParam()));
    ASSERT_GE(bytes.size(), 33u) << picturePath(GetParam());
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    ASSERT_TRUE(std::equal(signature, signature + 8, bytes.begin()));
    ASSERT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "IHDR");
    EXPECT_GE(bigEndian32(&bytes[16]), 1u);
    EXPECT_LE(bigEndian32(&bytes[16]), std::uint32_t(kScreenWidth));
    EXPECT_GE(bigEndian32(&bytes[20]), 1u);
    EXPECT_LE(bigEndian32(&bytes[20]), std::uint32_t(kScreenHeight));
    EXPECT_EQ(bytes[24], 8) << "bit depth";
    EXPECT_EQ(bytes[25], 3) << "colour type: quantised to a palette";
}

TEST_P(Pictures, DecodesWithSdlImageToGlowOnABlackEdge) {
    SDL_Surface* s = IMG_Load(picturePath(GetParam()).c_str());
    ASSERT_NE(s, nullptr) << IMG_GetError();
    EXPECT_LE(s->w, kScreenWidth);
    EXPECT_LE(s->h, kScreenHeight);
    ASSERT_EQ(SDL_LockSurface(s), 0);
    // The show centres each picture on black: its own edge is black, so the
    // seam never shows.
    Uint8 r, g, b;
    const int corners[4][2] = {{0, 0}, {s->w - 1, 0}, {0, s->h - 1}, {s->w - 1, s->h - 1}};
    for (const auto& c : corners) {
        pixelAt(s, c[0], c[1], r, g, b);
        EXPECT_EQ(r + g + b, 0) << "corner " << c[0] << "," << c[1];
    }
    // And it is a picture, not an empty canvas: a fair share of it glows.
    int lit = 0;
    for (int y = 0; y < s->h; y += 2) {
        for (int x = 0; x < s->w; x += 2) {
            pixelAt(s, x, y, r, g, b);
            if (r > 96 || g > 96) {
                ++lit;
            }
        }
    }
    EXPECT_GT(lit, (s->w / 2) * (s->h / 2) / 100) << "less than 1% of the picture is lit";
    SDL_UnlockSurface(s);
    SDL_FreeSurface(s);
}

INSTANTIATE_TEST_SUITE_P(EveryPicture, Pictures, ::testing::Range(1, kPictureCount + 1),
                         [](const ::testing::TestParamInfo<int>& info) { return "2t" + std::to_string(info.param); });

TEST(PictureSet, FitsTheArchiveBudgetTogether) {
    std::size_t total = 0;
    for (int n = 1; n <= kPictureCount; ++n) {
        const std::size_t size = readFile(picturePath(n)).size();
        EXPECT_GT(size, 0u) << picturePath(n);
        total += size;
    }
    EXPECT_LT(total, kBudgetBytes);
}

TEST(PictureSet, NoTwoPicturesAreTheSame) {
    std::vector<std::vector<unsigned char>> seen;
    for (int n = 1; n <= kPictureCount; ++n) {
        std::vector<unsigned char> bytes = readFile(picturePath(n));
        for (std::size_t i = 0; i < seen.size(); ++i) {
            EXPECT_NE(bytes, seen[i]) << "picture " << n << " repeats picture " << i + 1;
        }
        seen.push_back(std::move(bytes));
    }
}

}  // namespace
