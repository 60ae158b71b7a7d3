// Anything that draws itself at a point of the screen.
#pragma once

#include <cstdint>

class Sprite {
public:
    Sprite(std::int32_t width, std::int32_t height, std::int32_t frame, std::int32_t flags)
        : spriteWidth(width), spriteHeight(height), flags(flags), frame(frame) {}
    virtual ~Sprite() = default;

    // Four hooks kept for drawables that animate or tint; Image ignores them.
    virtual void setFrameRange(std::int32_t, std::int32_t, std::int32_t, std::int32_t) = 0;
    virtual void setClip(std::int32_t, std::int32_t, std::int32_t, std::int32_t) = 0;
    virtual void setDrawSize(float width, float height) = 0;
    virtual void setDrawSize(std::int32_t width, std::int32_t height) = 0;
    virtual void setFrameDelay(std::int32_t) = 0;
    virtual void setAlpha(std::int32_t) = 0;

    virtual std::int32_t draw(std::int32_t frame, std::int32_t flags, float x, float y, const float* colour) = 0;
    virtual std::int32_t draw(std::int32_t frame, std::int32_t flags, float x, float y,
                              std::int32_t, std::int32_t, std::int32_t, std::int32_t) = 0;
    virtual std::int32_t draw(std::int32_t frame, std::int32_t flags, float x, float y) = 0;
    virtual std::int32_t draw(std::int32_t frame, std::int32_t flags, std::int32_t x, std::int32_t y) = 0;
    virtual std::int32_t draw(float x, float y) = 0;
    virtual std::int32_t draw(std::int32_t x, std::int32_t y) = 0;

    std::int32_t width() const { return spriteWidth; }
    std::int32_t height() const { return spriteHeight; }
    std::int32_t getFlags() const { return flags; }
    std::int32_t getFrame() const { return frame; }

protected:
    std::int32_t spriteWidth;
    std::int32_t spriteHeight;
    std::int32_t flags;  // bit 8: centre on the given point
    std::int32_t frame;
};
