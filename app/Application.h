// The abstract application: main loop, smoothed clock, fixed-rate stepping,
// input dispatch, and the scene interface the loop drives.
#pragma once

#include <SDL/SDL.h>

#include <cstdint>
#include <deque>

// Keys pressed since the scene last emptied the queue, oldest first.
using KeyQueue = std::deque<std::int32_t>;

class Scene {
public:
    Scene() = default;
    virtual ~Scene() = default;

    virtual bool load() { return true; }
    virtual void unload() {}
    virtual void update(Uint32 stepTime, KeyQueue& keyQueue) = 0;
    virtual void draw(SDL_Surface* screen) = 0;
    virtual void enter(Uint32 smoothedClock) { (void)smoothedClock; }
    virtual void leave() {}
    virtual void keyDown(SDLKey& key) { (void)key; }
    virtual void keyUp(SDLKey& key) { (void)key; }
    virtual void mouseButtonDown(SDL_Event& event) { (void)event; }
    virtual void mouseButtonUp(SDL_Event& event) { (void)event; }
    virtual void mouseMotion(SDL_Event& event) { (void)event; }

    // Steps per second; must stay within 1..1000.
    Uint32 stepRate = 25;
};

// The loop's only view of time. The shipped program uses SDL's tick clock;
// tests drive exact tick values through their own implementation.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Uint32 ticks() = 0;
    virtual void delay(Uint32 ms) = 0;
};

// SDL_GetTicks and SDL_Delay.
Clock& systemClock();

class Application {
public:
    explicit Application(Clock& clock = systemClock());
    virtual ~Application();

    virtual bool init();
    virtual void run();
    virtual void switchScene(int number);
    virtual bool step();
    virtual const char* caption() = 0;
    virtual Scene* sceneByNumber(int number) = 0;

    // One pass of the main loop: events, clock, steps, draw and flip, and
    // the idle sleep. run repeats it while running.
    void runPass();

    void resetClock();
    void setRunning(bool value) { running = value; }
    bool isRunning() const { return running; }

    // Read-only views for scenes, tools and tests.
    SDL_Surface* getScreen() const { return screen; }
    Scene* currentScene() const { return scene; }
    Uint32 getSmoothedClock() const { return smoothedClock; }
    Uint32 getStepClock() const { return stepClock; }
    const KeyQueue& getKeyQueue() const { return keyQueue; }

protected:
    // Handles one event from SDL's queue (the loop's event table).
    void handleEvent(SDL_Event& event);
    // Shows the drawn frame: SDL_Flip on the screen.
    virtual void flip();

    Clock& clock;
    SDL_Surface* screen = nullptr;
    bool running = true;
    Uint32 smoothedClock = 0;
    Uint32 clockBase = 0;
    Uint32 stepClock = 0;
    KeyQueue keyQueue;
    Uint8* keyState = nullptr;
    Scene* scene = nullptr;
};

// The running application: null until an application's init runs.
Application* currentApplication();
