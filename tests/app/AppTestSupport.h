// Shared pieces of the app tests: a clock the test sets by hand, a scene
// that records what the loop does to it, and SDL on the dummy driver.
#pragma once

#include "app/Application.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Ticks stand still until the test (or a scene) moves them.
class ManualClock : public Clock {
public:
    Uint32 ticks() override { return now; }
    void delay(Uint32 ms) override {
        delays.push_back(ms);
        if (delayAdvances) {
            now += ms;
        }
    }

    Uint32 now = 0;
    bool delayAdvances = false;
    std::vector<Uint32> delays;
};

struct UpdateCall {
    Uint32 time;
    std::vector<std::int32_t> keys;  // the queue as the scene found it
};

class RecordingScene : public Scene {
public:
    explicit RecordingScene(Uint32 rate = 25) { stepRate = rate; }

    void update(Uint32 stepTime, KeyQueue& keyQueue) override {
        updates.push_back({stepTime, {keyQueue.begin(), keyQueue.end()}});
        keyQueue.clear();
    }
    void draw(SDL_Surface* screen) override {
        drawnOn = screen;
        ++draws;
        if (clockToAdvanceOnDraw) {
            clockToAdvanceOnDraw->now += 1;
        }
    }
    void enter(Uint32 smoothedClock) override { enters.push_back(smoothedClock); }
    void leave() override { ++leaves; }
    void keyDown(SDLKey& key) override { keysDown.push_back(key); }
    void keyUp(SDLKey& key) override { keysUp.push_back(key); }
    void mouseButtonDown(SDL_Event& event) override { mouse.push_back("down" + std::to_string(event.button.button)); }
    void mouseButtonUp(SDL_Event& event) override { mouse.push_back("up" + std::to_string(event.button.button)); }
    void mouseMotion(SDL_Event& event) override {
        mouse.push_back("move" + std::to_string(event.motion.x) + "," + std::to_string(event.motion.y));
    }

    std::vector<UpdateCall> updates;
    int draws = 0;
    SDL_Surface* drawnOn = nullptr;
    std::vector<Uint32> enters;
    int leaves = 0;
    std::vector<int> keysDown;
    std::vector<int> keysUp;
    std::vector<std::string> mouse;
    ManualClock* clockToAdvanceOnDraw = nullptr;
};

// SDL's dummy video driver with a 640x480 screen, as start-up would leave it.
class SdlVideoTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE), 0) << SDL_GetError();
        ASSERT_NE(SDL_SetVideoMode(640, 480, 32, SDL_SWSURFACE), nullptr) << SDL_GetError();
    }
    void TearDown() override { SDL_Quit(); }

    static void pushKey(Uint8 type, SDLKey key) {
        SDL_Event event{};
        event.type = type;
        event.key.type = type;
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = key;
        ASSERT_EQ(SDL_PushEvent(&event), 0);
    }
    static void pushQuit() {
        SDL_Event event{};
        event.type = SDL_QUIT;
        ASSERT_EQ(SDL_PushEvent(&event), 0);
    }
    // The keyboard state SDL keeps; a pushed event does not change it.
    static void holdKey(SDLKey key, bool held) { SDL_GetKeyState(nullptr)[key] = held ? 1 : 0; }
};
