// What the show's tests share: a folder of numbered test pictures to play
// from, SDL's dummy screen, a clock the test drives, and a way to read which
// picture the screen shows.
#pragma once

#include "app/PresentationApp.h"
#include "archive/Archive.h"
#include "show/Presentation.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <set>
#include <string>

namespace showtest {

// Picture n is a solid card of its own colour; black is 0 and no picture.
inline SDL_Color pictureColour(int number) {
    return SDL_Color{static_cast<Uint8>(10 * number), static_cast<Uint8>(255 - 10 * number), 128, 0};
}

// A scratch folder holding data/2t1.png .. data/2t19.png (BMP bytes: the
// bank recognises a picture by its bytes, not its name), made the working
// directory for the test's life. Numbers in `missing` get no file.
class PictureFolder {
public:
    explicit PictureFolder(const std::set<int>& missing = {}, int width = 64, int height = 48) {
        char pattern[] = "/tmp/glowmoth-show-XXXXXX";
        const char* made = mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        root = made ? made : "/tmp";
        EXPECT_EQ(::mkdir((root + "/data").c_str(), 0700), 0);
        for (int n = 1; n <= Presentation::pictureCount; ++n) {
            if (missing.count(n)) {
                continue;
            }
            SDL_Surface* card = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0xFF0000, 0xFF00, 0xFF, 0);
            const SDL_Color c = pictureColour(n);
            SDL_FillRect(card, nullptr, SDL_MapRGB(card->format, c.r, c.g, c.b));
            EXPECT_EQ(SDL_SaveBMP(card, path(n).c_str()), 0);
            SDL_FreeSurface(card);
        }
        char here[4096];
        previous = getcwd(here, sizeof here) ? here : "/";
        EXPECT_EQ(chdir(root.c_str()), 0);
    }

    ~PictureFolder() {
        if (chdir(previous.c_str()) != 0) {
            ADD_FAILURE() << "cannot return to " << previous;
        }
        for (int n = 1; n <= Presentation::pictureCount; ++n) {
            std::remove(path(n).c_str());
        }
        ::rmdir((root + "/data").c_str());
        ::rmdir(root.c_str());
    }

    std::string path(int n) const { return root + "/data/2t" + std::to_string(n) + ".png"; }

private:
    std::string root;
    std::string previous;
};

// SDL's dummy screen at the show's size.
class DummyScreen {
public:
    DummyScreen() {
        EXPECT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE), 0) << SDL_GetError();
        surface = SDL_SetVideoMode(640, 480, 32, SDL_SWSURFACE);
        EXPECT_NE(surface, nullptr) << SDL_GetError();
    }
    ~DummyScreen() { SDL_Quit(); }

    Uint32 pixel(int x, int y) const {
        SDL_LockSurface(surface);
        const Uint8* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
        const Uint32 value = reinterpret_cast<const Uint32*>(row)[x];
        SDL_UnlockSurface(surface);
        return value;
    }

    // The picture number whose colour is at (x, y): 0 for black, -1 for a
    // colour that is no test picture's.
    int pictureAt(int x, int y) const {
        Uint8 r, g, b;
        SDL_GetRGB(pixel(x, y), surface->format, &r, &g, &b);
        if (r == 0 && g == 0 && b == 0) {
            return 0;
        }
        for (int n = 1; n <= Presentation::pictureCount; ++n) {
            const SDL_Color c = pictureColour(n);
            if (c.r == r && c.g == g && c.b == b) {
                return n;
            }
        }
        return -1;
    }

    int shownPicture() const { return pictureAt(320, 240); }

    SDL_Surface* surface = nullptr;
};

// Time as the test says: each reading can move it on by a fixed amount, and
// a hook sees every reading (the loop reads the clock a few times a pass).
class TestClock : public Clock {
public:
    Uint32 ticks() override {
        if (onTicks) {
            onTicks();
        }
        const Uint32 value = now;
        now += perReading;
        return value;
    }
    void delay(Uint32 ms) override { now += ms; }

    Uint32 now = 5000;
    Uint32 perReading = 0;
    std::function<void()> onTicks;
};

// The application as start-up builds it, over an archive with no entries, so
// every picture comes from the working folder's files.
class TestApp {
public:
    explicit TestApp(TestClock& clock) : app(&archive, clock) {}

    bool init() { return app.init(); }
    Presentation* presentation() { return dynamic_cast<Presentation*>(app.sceneByNumber(1)); }

    Archive archive;
    PresentationApp app;
};

}  // namespace showtest
