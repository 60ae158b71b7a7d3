// glowmoth-widgets-demo: the widget toolkit on screen in a window.
//
//   glowmoth-widgets-demo [seconds]
//
// Runs until Escape or the window is closed, or for the given number of
// seconds when one is given (the screenshot script uses that).

#include "examples/widgets/WidgetDemoScene.h"

#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    const long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 0;

    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "glowmoth-widgets-demo: %s\n", SDL_GetError());
        return 1;
    }
    std::atexit(SDL_Quit);
    SDL_Surface* screen = SDL_SetVideoMode(640, 480, 32, SDL_SWSURFACE);
    if (!screen) {
        std::fprintf(stderr, "glowmoth-widgets-demo: %s\n", SDL_GetError());
        return 1;
    }
    SDL_WM_SetCaption("Glowmoth widgets", "");

    WidgetDemoScene scene;
    if (!scene.load())
        return 1;

    const Uint32 start = SDL_GetTicks();
    const Uint32 frameLength = 1000 / scene.stepRate;
    KeyQueue keys;
    bool running = true;
    while (running) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            switch (event.type) {
            case SDL_QUIT: running = false; break;
            case SDL_KEYDOWN:
                if (event.key.keysym.sym == SDLK_ESCAPE)
                    running = false;
                break;
            case SDL_MOUSEBUTTONDOWN: scene.mouseButtonDown(event); break;
            case SDL_MOUSEBUTTONUP: scene.mouseButtonUp(event); break;
            case SDL_MOUSEMOTION: scene.mouseMotion(event); break;
            default: break;
            }
        }
        scene.update(SDL_GetTicks() - start, keys);
        scene.draw(screen);
        SDL_Flip(screen);
        if (seconds > 0 && SDL_GetTicks() - start >= static_cast<Uint32>(seconds) * 1000u)
            running = false;
        SDL_Delay(frameLength);
    }
    scene.unload();
    return 0;
}
