#include "tools/render/FrameRecorder.h"

#include <cstring>

bool FrameRecorder::sameAsLast(SDL_Surface* surface)
{
    const std::size_t bytes = static_cast<std::size_t>(surface->pitch) * surface->h;
    const SDL_PixelFormat* f = surface->format;
    const std::uint32_t format[4] = {f->Rmask, f->Gmask, f->Bmask, f->BitsPerPixel};
    const bool same = !f->palette && frame.width == surface->w && frame.height == surface->h &&
                      lastPitch == surface->pitch && std::memcmp(format, lastFormat, sizeof format) == 0 &&
                      lastPixels.size() == bytes && std::memcmp(lastPixels.data(), surface->pixels, bytes) == 0;
    if (!same) {
        const auto* pixels = static_cast<const std::uint8_t*>(surface->pixels);
        lastPixels.assign(pixels, pixels + bytes);
        lastPitch = surface->pitch;
        std::memcpy(lastFormat, format, sizeof format);
    }
    return same;
}

bool FrameRecorder::capture(SDL_Surface* surface)
{
    if (!surface) return false;
    const bool mustLock = SDL_MUSTLOCK(surface);
    if (mustLock && SDL_LockSurface(surface) != 0) return false;
    const bool same = sameAsLast(surface);
    if (mustLock) SDL_UnlockSurface(surface);
    if (!same) {
        if (!surfaceToYuv(surface, frame)) return false;
        ++converted;
    }
    return writer.writeFrame(frame);
}

bool FrameRecorder::repeatLast(std::uint64_t count, int width, int height)
{
    if (frame.planes.empty()) {
        frame.width = width;
        frame.height = height;
        frame.planes.assign(frame.lumaSize(), 16);  // black
        frame.planes.resize(frame.lumaSize() + 2 * frame.chromaSize(), 128);
    }
    for (std::uint64_t i = 0; i < count; ++i)
        if (!writer.writeFrame(frame)) return false;
    return true;
}
