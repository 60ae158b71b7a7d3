// A track with a knob that the pointer moves between two bounds.
#pragma once

#include "widgets/Button.h"

class Slider : public Button {
public:
    // orientation 0 is horizontal, 1 vertical. A bound of -1 becomes the
    // default that keeps the knob on the track (only when there is a knob).
    Slider(std::int32_t x, std::int32_t y, Sprite* track, Sprite* knob, std::int32_t orientation,
           double fraction, std::int32_t minimum, std::int32_t maximum);

    void mouseDown(std::int32_t px, std::int32_t py) override;
    void mouseUp(std::int32_t px, std::int32_t py) override;
    void mouseMove(std::int32_t px, std::int32_t py) override;
    void draw() override;

    void setPosition(std::int32_t value);
    std::int32_t getPosition() const { return position; }
    void setFraction(double fraction);
    // 0 when the bounds are equal.
    double getFraction() const;

    std::int32_t getMinimum() const { return minimum; }
    std::int32_t getMaximum() const { return maximum; }

protected:
    void followPointer(std::int32_t px, std::int32_t py);

    std::int32_t position = 0;
    std::int32_t minimum;
    std::int32_t maximum;
    std::int32_t orientation;
};
