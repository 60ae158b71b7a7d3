#include "app/Application.h"

namespace {

class SystemClock : public Clock {
public:
    Uint32 ticks() override { return SDL_GetTicks(); }
    void delay(Uint32 ms) override { SDL_Delay(ms); }
};

Application* runningApplication = nullptr;

// The keypad's arrows reach the scenes' queue as the cursor keys, so a scene
// that reads arrows works with either block.
std::int32_t queuedKey(SDLKey key) {
    switch (key) {
    case SDLK_KP2: return SDLK_DOWN;
    case SDLK_KP4: return SDLK_LEFT;
    case SDLK_KP6: return SDLK_RIGHT;
    case SDLK_KP8: return SDLK_UP;
    default: return key;
    }
}

// A rate outside 1..1000 would divide by zero or give steps of no length,
// and the catch-up loop would never end; such rates are held to the range.
Uint32 stepLength(Uint32 stepRate) {
    if (stepRate < 1) {
        stepRate = 1;
    } else if (stepRate > 1000) {
        stepRate = 1000;
    }
    return 1000u / stepRate;
}

}  // namespace

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

Application* currentApplication() { return runningApplication; }

Application::Application(Clock& clock) : clock(clock) {}

Application::~Application() = default;

bool Application::init() {
    runningApplication = this;
    SDL_WM_SetCaption(caption(), "");
    screen = SDL_GetVideoSurface();
    resetClock();
    return true;
}

void Application::resetClock() {
    stepClock = 0;
    clockBase = clock.ticks();
    smoothedClock = 0;
}

void Application::run() {
    while (running) {
        runPass();
    }
}

void Application::runPass() {
    const Uint32 passStart = clock.ticks();

    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        handleEvent(event);
    }

    // A low-pass filter over the elapsed time: a stall reaches the scene as a
    // quarter of the gap per pass rather than as one burst of steps.
    smoothedClock = (smoothedClock * 3u + (clock.ticks() - clockBase)) >> 2;

    if (step()) {
        if (scene) {
            scene->draw(screen);
        }
        flip();
    }

    // Sleep only when no time has passed, so the loop neither spins a core
    // nor falls behind while time advances.
    if (clock.ticks() == passStart) {
        clock.delay(1);
    }
}

void Application::flip() { SDL_Flip(screen); }

void Application::handleEvent(SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN: {
        keyState = SDL_GetKeyState(nullptr);
        SDLKey key = event.key.keysym.sym;
        // While Escape is held any key press stops the loop. The event's own
        // key counts too: SDL updates the state as it reads events, so a
        // quick tap is already released in the state when its key-down is
        // handled.
        if (keyState[SDLK_ESCAPE] == 1 || key == SDLK_ESCAPE) {
            setRunning(false);
        }
        keyQueue.push_back(queuedKey(key));
        if (scene) {
            scene->keyDown(key);
        }
        break;
    }
    case SDL_KEYUP: {
        keyState = SDL_GetKeyState(nullptr);
        SDLKey key = event.key.keysym.sym;
        if (scene) {
            scene->keyUp(key);
        }
        break;
    }
    case SDL_MOUSEMOTION:
        if (scene) {
            scene->mouseMotion(event);
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (scene) {
            scene->mouseButtonDown(event);
        }
        break;
    case SDL_MOUSEBUTTONUP:
        if (scene) {
            scene->mouseButtonUp(event);
        }
        break;
    case SDL_QUIT:
        setRunning(false);
        break;
    default:
        break;
    }
}

bool Application::step() {
    if (smoothedClock < stepClock) {
        return false;
    }
    if (!scene) {
        // Time without a scene is not owed to the next one.
        stepClock = smoothedClock;
        return false;
    }
    while (stepClock < smoothedClock) {
        stepClock += stepLength(scene->stepRate);
        scene->update(stepClock, keyQueue);
        // update may switch scenes or leave none current.
        if (!scene) {
            break;
        }
    }
    return true;
}

void Application::switchScene(int number) {
    if (scene) {
        scene->leave();
    }
    scene = sceneByNumber(number);
    if (scene) {
        scene->enter(smoothedClock);
    }
}
