#include "image/Image.h"

#include <cmath>
#include <limits>

std::int32_t truncateToInt(float value)
{
    if (std::isnan(value))
        return 0;
    // 2^31 is exactly representable as a float; anything at or beyond it
    // does not fit.
    if (value >= 2147483648.0f)
        return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0f)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

Image::Image(SDL_Surface* surface)
    : Sprite(surface->w, surface->h, 0, 9), surface(surface), drawWidth(surface->w), drawHeight(surface->h)
{
}

Image::~Image()
{
    SDL_FreeSurface(surface);
}

void Image::setDrawSize(float width, float height)
{
    setDrawSize(truncateToInt(width), truncateToInt(height));
}

void Image::setDrawSize(std::int32_t width, std::int32_t height)
{
    drawWidth = width;
    drawHeight = height;
}

std::int32_t Image::draw(std::int32_t frame, std::int32_t flags, float x, float y, const float*)
{
    return draw(frame, flags, truncateToInt(x), truncateToInt(y));
}

std::int32_t Image::draw(std::int32_t frame, std::int32_t flags, float x, float y,
                         std::int32_t, std::int32_t, std::int32_t, std::int32_t)
{
    return draw(frame, flags, truncateToInt(x), truncateToInt(y));
}

std::int32_t Image::draw(std::int32_t frame, std::int32_t flags, float x, float y)
{
    return draw(frame, flags, truncateToInt(x), truncateToInt(y));
}

std::int32_t Image::draw(std::int32_t, std::int32_t, std::int32_t x, std::int32_t y)
{
    // Looked up at every draw: the screen may be replaced by a new video mode.
    SDL_Surface* screen = SDL_GetVideoSurface();

    SDL_Rect source;
    source.x = 0;
    source.y = 0;
    source.w = static_cast<Uint16>(spriteWidth);
    source.h = static_cast<Uint16>(spriteHeight);

    // SDL's rectangle holds 16 bits; the position and the centring wrap
    // there, as the blit would see them anyway.
    SDL_Rect destination;
    destination.x = static_cast<Sint16>(x);
    destination.y = static_cast<Sint16>(y);
    destination.w = static_cast<Uint16>(drawWidth);
    destination.h = static_cast<Uint16>(drawHeight);

    // The caller's flags are not consulted: an Image centres by its own.
    if (this->flags & 8) {
        destination.x = static_cast<Sint16>(destination.x - (destination.w >> 1));
        destination.y = static_cast<Sint16>(destination.y - (destination.h >> 1));
    }

    return SDL_UpperBlit(surface, &source, screen, &destination);
}

std::int32_t Image::draw(float x, float y)
{
    return draw(truncateToInt(x), truncateToInt(y));
}

std::int32_t Image::draw(std::int32_t x, std::int32_t y)
{
    return draw(frame, flags, x, y);
}
