// The pieces of start-up that main strings together: the command line, the
// executable's own path, the archive, and the video mode.
#pragma once

#include <SDL/SDL.h>

class Archive;

// False when any argument after the program name is exactly "w".
bool fullScreenFromArguments(int argc, const char* const* argv);

// Fills buffer with the running executable's path, zero-terminated, and
// returns its length. A path that does not fit with its terminating zero
// counts as no path: 0.
int executablePath(char* buffer, int size);

// The archive appended to the executable (path may be null), else the side
// file "glowmoth.dat" in the working directory; null when neither opens.
// openedFrom, when given, receives the path that gave the archive.
Archive* openStartupArchive(const char* executable, const char** openedFrom = nullptr);

// SDL_SetVideoMode with a hardware, double-buffered surface, full screen
// when asked; null on failure.
SDL_Surface* setVideoMode(int width, int height, int depth, bool fullScreen);

using VideoModeSetter = SDL_Surface* (*)(int width, int height, int depth, bool fullScreen);

// The depths tried for the 640x480 screen, in order.
constexpr int videoModeCount = 9;
extern const int videoModes[videoModeCount];

// Tries videoModes in order and keeps the first surface it gets; null when
// every row fails.
SDL_Surface* searchVideoMode(bool fullScreen, VideoModeSetter set = setVideoMode);

// With GLOWMOTH_TRACE set in the environment, start-up reports its steps on
// stderr, one line each; tests read them. Silent otherwise.
void traceStartup(const char* format, ...) __attribute__((format(printf, 1, 2)));
