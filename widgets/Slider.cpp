#include "widgets/Slider.h"

#include "image/Sprite.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

Slider::Slider(std::int32_t x, std::int32_t y, Sprite* track, Sprite* knob, std::int32_t orientation,
               double fraction, std::int32_t minimum, std::int32_t maximum)
    : Button(x, y, track, nullptr, knob, nullptr, nullptr, 0, 0, 0, 0, 0),
      minimum(minimum),
      maximum(maximum),
      orientation(orientation)
{
    setOverlayFlags(1);
    if (knob) {
        if (orientation == 0) {
            if (this->minimum == -1)
                this->minimum = knob->width() / 2;
            if (this->maximum == -1)
                this->maximum = width - knob->width() / 2;
        } else if (orientation == 1) {
            if (this->minimum == -1)
                this->minimum = knob->height() / 2;
            if (this->maximum == -1)
                this->maximum = height - knob->height() / 2;
        }
    }
    setFraction(fraction);
}

void Slider::setPosition(std::int32_t value)
{
    position = value;
    if (position < minimum)
        position = minimum;
    if (position > maximum)
        position = maximum;
}

void Slider::setFraction(double fraction)
{
    if (!(fraction >= 0.0))  // also catches NaN
        fraction = 0.0;
    if (fraction > 1.0)
        fraction = 1.0;
    // Each of the maximum - minimum + 1 positions gets an equal share of
    // [0, 1]; computed in double so wide bounds cannot overflow.
    double p = std::trunc(fraction * (static_cast<double>(maximum) - minimum + 1.0) + minimum);
    // Out-of-range values would clamp to a bound anyway; keep the
    // conversion defined.
    if (p > 2147483647.0)
        p = 2147483647.0;
    if (p < -2147483648.0)
        p = -2147483648.0;
    setPosition(static_cast<std::int32_t>(p));
}

double Slider::getFraction() const
{
    if (maximum == minimum)
        return 0.0;
    return (static_cast<double>(position) - minimum) / (static_cast<double>(maximum) - minimum);
}

void Slider::followPointer(std::int32_t px, std::int32_t py)
{
    // In 64 bits, then saturated: a pointer far outside cannot overflow.
    std::int64_t offset = orientation == 0 ? static_cast<std::int64_t>(px) - getX()
                                           : static_cast<std::int64_t>(py) - getY();
    offset = std::min<std::int64_t>(std::max<std::int64_t>(offset, INT32_MIN), INT32_MAX);
    const auto requested = static_cast<std::int32_t>(offset);
    const std::int32_t old = position;
    setPosition(requested);
    // Compared before clamping: pushing past a bound still counts as a
    // change, even when the knob already sits there.
    if (requested != old)
        notifyAction();
}

void Slider::mouseDown(std::int32_t px, std::int32_t py)
{
    Button::mouseDown(px, py);
    followPointer(px, py);
}

void Slider::mouseMove(std::int32_t px, std::int32_t py)
{
    // armed is not re-evaluated on moves: the knob keeps following the
    // pointer outside the slider until the release.
    if (armed)
        followPointer(px, py);
    Component::mouseMove(px, py);
}

void Slider::mouseUp(std::int32_t px, std::int32_t py)
{
    if (armed && contains(px, py))
        followPointer(px, py);
    Button::mouseUp(px, py);
}

void Slider::draw()
{
    if (background)
        background->draw(frame, flags, static_cast<float>(x), static_cast<float>(y), backgroundColour);
    if (overlay) {
        float kx, ky;
        if (orientation == 0) {
            kx = static_cast<float>(x + position - overlay->width() / 2);
            ky = static_cast<float>(y);
        } else {
            kx = static_cast<float>(x);
            ky = static_cast<float>(y + position - overlay->height() / 2);
        }
        overlay->draw(overlayFrame, overlayFlags, kx, ky, foregroundColour);
    }
}
