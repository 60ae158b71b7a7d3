#include "app/Startup.h"

#include "archive/Archive.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const int videoModes[videoModeCount] = {32, 24, 16, 32, 24, 16, 8, 8, 32};

bool fullScreenFromArguments(int argc, const char* const* argv) {
    bool fullScreen = true;
    for (int i = 1; i < argc; ++i) {
        if (argv[i] && std::strcmp(argv[i], "w") == 0) {
            fullScreen = false;
        }
    }
    return fullScreen;
}

int executablePath(char* buffer, int size) {
    if (!buffer || size <= 0) {
        return 0;
    }
    const ssize_t length = readlink("/proc/self/exe", buffer, static_cast<std::size_t>(size));
    // readlink does not terminate, and fills the whole buffer when the path
    // is too long: then there is no room for the zero and no whole path.
    if (length <= 0 || length >= size) {
        buffer[0] = '\0';
        return 0;
    }
    buffer[length] = '\0';
    return static_cast<int>(length);
}

Archive* openStartupArchive(const char* executable, const char** openedFrom) {
    static const char sideFile[] = "glowmoth.dat";
    if (executable && executable[0] != '\0') {
        if (Archive* archive = openArchive(executable, 0)) {
            if (openedFrom) {
                *openedFrom = executable;
            }
            return archive;
        }
    }
    Archive* archive = openArchive(sideFile, 0);
    if (archive && openedFrom) {
        *openedFrom = sideFile;
    }
    return archive;
}

SDL_Surface* setVideoMode(int width, int height, int depth, bool fullScreen) {
    Uint32 flags = SDL_HWSURFACE | SDL_DOUBLEBUF;
    if (fullScreen) {
        flags |= SDL_FULLSCREEN;
    }
    SDL_Surface* surface = SDL_SetVideoMode(width, height, depth, flags);
    traceStartup("setVideoMode %dx%dx%d flags 0x%08x: %s", width, height, depth,
                 static_cast<unsigned>(flags), surface ? "ok" : "failed");
    return surface;
}

SDL_Surface* searchVideoMode(bool fullScreen, VideoModeSetter set) {
    SDL_Surface* surface = nullptr;
    for (int depth : videoModes) {
        // Each call replaces the mode the previous one set, so the first
        // surface obtained is the one to keep.
        surface = set(640, 480, depth, fullScreen);
        if (surface) {
            break;
        }
    }
    return surface;
}

void traceStartup(const char* format, ...) {
    if (!std::getenv("GLOWMOTH_TRACE")) {
        return;
    }
    std::fputs("glowmoth: ", stderr);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}
