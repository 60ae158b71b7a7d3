// Turns screen contents into video frames for a Y4mWriter, converting only
// when the picture changed: the show redraws the same picture for seconds.
#pragma once

#include "tools/render/Y4m.h"

#include <SDL/SDL.h>

#include <cstdint>
#include <vector>

class FrameRecorder {
public:
    explicit FrameRecorder(Y4mWriter& writer) : writer(writer) {}

    // Writes the surface as the next frame. False on a conversion or write
    // error.
    bool capture(SDL_Surface* surface);
    // Writes the last frame again count times (black when there was none).
    bool repeatLast(std::uint64_t count, int width, int height);

    std::uint64_t conversions() const { return converted; }

private:
    bool sameAsLast(SDL_Surface* surface);

    Y4mWriter& writer;
    YuvFrame frame;
    std::vector<std::uint8_t> lastPixels;
    int lastPitch = 0;
    std::uint32_t lastFormat[4] = {0, 0, 0, 0};
    std::uint64_t converted = 0;
};
