// A decoded picture, copied whole and unscaled onto the screen surface.
#pragma once

#include "image/Sprite.h"

#include <SDL/SDL.h>

class Image : public Sprite {
public:
    // Takes ownership of a non-null surface; the draw size starts as the
    // surface's own size.
    explicit Image(SDL_Surface* surface);
    ~Image() override;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    void setFrameRange(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
    void setClip(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
    void setDrawSize(float width, float height) override;
    void setDrawSize(std::int32_t width, std::int32_t height) override;
    void setFrameDelay(std::int32_t) override {}
    void setAlpha(std::int32_t) override {}

    std::int32_t draw(std::int32_t frame, std::int32_t flags, float x, float y, const float* colour) override;
    std::int32_t draw(std::int32_t frame, std::int32_t flags, float x, float y,
                      std::int32_t, std::int32_t, std::int32_t, std::int32_t) override;
    std::int32_t draw(std::int32_t frame, std::int32_t flags, float x, float y) override;
    std::int32_t draw(std::int32_t frame, std::int32_t flags, std::int32_t x, std::int32_t y) override;
    std::int32_t draw(float x, float y) override;
    std::int32_t draw(std::int32_t x, std::int32_t y) override;

    SDL_Surface* getSurface() const { return surface; }
    std::int32_t getDrawWidth() const { return drawWidth; }
    std::int32_t getDrawHeight() const { return drawHeight; }

private:
    SDL_Surface* surface;
    std::int32_t drawWidth;
    std::int32_t drawHeight;
};

// Float to integer toward zero, the way every float form of the drawables
// converts. Values outside the 32-bit range saturate and NaN becomes 0, so
// a wild coordinate cannot make the conversion undefined.
std::int32_t truncateToInt(float value);
