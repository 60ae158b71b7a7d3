// Shared helpers for the image tests: a dummy 640x480x32 screen and
// pictures whose every pixel tells where in the picture it came from.
#pragma once

#include <SDL/SDL.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

// A pixel value that names its position in the source picture. Bit 23 marks
// "picture" so that no picture pixel equals the black background.
inline Uint32 markedPixel(int px, int py)
{
    return 0x800000u | (static_cast<Uint32>(px) << 10) | static_cast<Uint32>(py);
}

// A 32-bit surface with the screen's channel layout (no alpha), so a blit
// copies pixel values unchanged.
inline SDL_Surface* makeMarkedSurface(int w, int h)
{
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    if (!s)
        return nullptr;
    SDL_LockSurface(s);
    for (int py = 0; py < h; ++py) {
        auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + py * s->pitch);
        for (int px = 0; px < w; ++px)
            row[px] = markedPixel(px, py);
    }
    SDL_UnlockSurface(s);
    return s;
}

// A surface of one colour in the screen's layout.
inline SDL_Surface* makeSolidSurface(int w, int h, Uint32 colour)
{
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    if (s)
        SDL_FillRect(s, nullptr, colour);
    return s;
}

class DummyScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, SDL_Init(SDL_INIT_VIDEO)) << SDL_GetError();
        screen = SDL_SetVideoMode(640, 480, 32, SDL_SWSURFACE);
        ASSERT_NE(nullptr, screen) << SDL_GetError();
        ASSERT_EQ(32, screen->format->BitsPerPixel);
        ASSERT_EQ(0xFF0000u, screen->format->Rmask);
        clear();
    }
    void TearDown() override { SDL_Quit(); }

    void clear() { SDL_FillRect(screen, nullptr, 0); }

    Uint32 pixel(int x, int y) const
    {
        SDL_LockSurface(screen);
        Uint32 value = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(screen->pixels) + y * screen->pitch)[x];
        SDL_UnlockSurface(screen);
        return value & 0xFFFFFF;
    }

    // The smallest rectangle holding every non-black pixel; false when the
    // screen is all black.
    bool paintedBounds(int& left, int& top, int& right, int& bottom) const
    {
        left = screen->w;
        top = screen->h;
        right = -1;
        bottom = -1;
        for (int y = 0; y < screen->h; ++y)
            for (int x = 0; x < screen->w; ++x)
                if (pixel(x, y) != 0) {
                    if (x < left) left = x;
                    if (x > right) right = x;
                    if (y < top) top = y;
                    if (y > bottom) bottom = y;
                }
        return right >= 0;
    }

    SDL_Surface* screen = nullptr;
};
