// The glowmoth program: brings up SDL, the voice, the archive and the screen,
// runs the show, and takes everything down again in the reverse order of
// need (the archive before the voice).
#include "app/ErrorReport.h"
#include "app/PresentationApp.h"
#include "app/Startup.h"
#include "archive/Archive.h"
#include "show/Speech.h"

#include <SDL/SDL.h>

#include <cstdlib>

namespace {

// Held process-wide, so that the fatal exits below leave it reachable.
Archive* archive = nullptr;
SDL_Surface* screen = nullptr;
char executable[512];

// GLOWMOTH_TEST_QUIT_MS: a test hook that ends the loop as the window's close
// request would, after the given time. The shipped program never sets it.
Uint32 postQuit(Uint32, void*) {
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
    return 0;
}

void armTestQuit() {
    const char* value = std::getenv("GLOWMOTH_TEST_QUIT_MS");
    if (!value) {
        return;
    }
    const long ms = std::strtol(value, nullptr, 10);
    if (ms > 0) {
        SDL_AddTimer(static_cast<Uint32>(ms), postQuit, nullptr);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool fullScreen = fullScreenFromArguments(argc, argv);

    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE) < 0) {
        reportError("Unable to init SDL", "%s", SDL_GetError());
        std::exit(1);
    }
    std::atexit(SDL_Quit);

    startSpeech();

    const char* openedFrom = nullptr;
    const int length = executablePath(executable, sizeof executable);
    archive = openStartupArchive(length > 0 ? executable : nullptr, &openedFrom);
    if (!archive) {
        reportError("Glowmoth Initialization Error",
                    "Cannot open data storage!\nMissing file: executable itself or glowmoth.dat\n"
                    "You may need to reinstall the demo.");
        std::exit(1);
    }
    traceStartup("archive %s", openedFrom);

    screen = searchVideoMode(fullScreen);
    if (!screen) {
        reportError("Unable to set video mode", "%s", SDL_GetError());
        std::exit(1);
    }
    traceStartup("screen %dx%dx%d %s", screen->w, screen->h, screen->format->BitsPerPixel,
                 (screen->flags & SDL_FULLSCREEN) ? "fullscreen" : "window");

    SDL_ShowCursor(SDL_DISABLE);
    traceStartup("pointer %s", SDL_ShowCursor(SDL_QUERY) == SDL_DISABLE ? "hidden" : "shown");

    PresentationApp* app = new PresentationApp(archive);
    if (app->init()) {
        traceStartup("running");
        armTestQuit();
        app->run();
    } else {
        traceStartup("init failed");
    }
    // The application's image bank reads the archive, so it goes first.
    delete app;
    traceStartup("application deleted");

    delete archive;
    archive = nullptr;
    traceStartup("archive deleted");
    stopSpeech();
    traceStartup("speech stopped");
    return 0;
}
