// glowmoth-widgets-demo: the widget toolkit on screen in a window, as a
// scene driven by the application's main loop.
//
//   glowmoth-widgets-demo [seconds]
//
// Runs until Escape or the window is closed, or for the given number of
// seconds when one is given (the screenshot script uses that).

#include "app/Application.h"
#include "examples/widgets/WidgetDemoScene.h"

#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>

namespace {

class WidgetDemoApp : public Application {
public:
    explicit WidgetDemoApp(Scene& scene) : scene(scene) {}
    const char* caption() override { return "Glowmoth widgets"; }
    Scene* sceneByNumber(int number) override { return number == 1 ? &scene : nullptr; }

private:
    Scene& scene;
};

}  // namespace

int main(int argc, char** argv)
{
    const long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 0;

    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "glowmoth-widgets-demo: %s\n", SDL_GetError());
        return 1;
    }
    std::atexit(SDL_Quit);
    if (!SDL_SetVideoMode(640, 480, 32, SDL_SWSURFACE)) {
        std::fprintf(stderr, "glowmoth-widgets-demo: %s\n", SDL_GetError());
        return 1;
    }

    WidgetDemoScene scene(seconds > 0 ? static_cast<Uint32>(seconds) * 1000u : 0u);
    WidgetDemoApp app(scene);
    if (!app.init() || !scene.load())
        return 1;
    app.switchScene(1);
    app.run();
    scene.unload();
    return 0;
}
