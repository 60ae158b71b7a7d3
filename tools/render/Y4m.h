// Video frames as YUV4MPEG2: 4:2:0, BT.601 limited range, the stream that
// ffmpeg reads from a pipe and that any encoder takes as a file.
#pragma once

#include <SDL/SDL.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// One 4:2:0 picture: the Y plane, then U and V at half size (rounded up).
struct YuvFrame {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> planes;

    int chromaWidth() const { return (width + 1) / 2; }
    int chromaHeight() const { return (height + 1) / 2; }
    std::size_t lumaSize() const { return static_cast<std::size_t>(width) * height; }
    std::size_t chromaSize() const { return static_cast<std::size_t>(chromaWidth()) * chromaHeight(); }
};

// BT.601 studio-range conversion of one colour.
void rgbToYuv(int r, int g, int b, std::uint8_t& y, std::uint8_t& u, std::uint8_t& v);

// Converts a surface of any pixel format (palettes included). Chroma is
// taken from the mean colour of each 2×2 block. False when the surface
// cannot be locked.
bool surfaceToYuv(SDL_Surface* surface, YuvFrame& frame);

// The stream header for the given size and rate.
std::string y4mHeader(int width, int height, int fpsNumerator, int fpsDenominator);

class Y4mWriter {
public:
    // The stream is not owned.
    Y4mWriter(std::FILE* stream, int width, int height, int fpsNumerator = 25, int fpsDenominator = 1);

    // The header goes out with the first frame. False on a write error or a
    // frame of another size.
    bool writeFrame(const YuvFrame& frame);
    std::uint64_t framesWritten() const { return frames; }

private:
    std::FILE* stream;
    int width;
    int height;
    int fpsNumerator;
    int fpsDenominator;
    bool headerWritten = false;
    std::uint64_t frames = 0;
};
