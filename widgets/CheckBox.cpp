#include "widgets/CheckBox.h"

#include "image/Sprite.h"
#include "widgets/BitmapFont.h"

#include <algorithm>

namespace {

// The space between the box and its label.
const std::int32_t labelGap = 4;

bool inSpan(std::int64_t p, std::int64_t from, std::int64_t length)
{
    return p >= from && p < from + length;
}

}  // namespace

CheckBox::CheckBox(std::int32_t x, std::int32_t y, Sprite* box, Sprite* pressedBox, Sprite* checkMark,
                   BitmapFont* font, const char* text, bool checked, std::int32_t layout,
                   std::int32_t textAlignment, std::int32_t textX, std::int32_t textY)
    : Button(x, y, box, pressedBox, checkMark, font, text, textAlignment, textX, textY, 0, 0),
      checked(checked),
      layout(layout)
{
    Sprite* sizing = box ? box : pressedBox ? pressedBox : checkMark;
    std::int32_t w = sizing ? sizing->width() : 0;
    std::int32_t h = sizing ? sizing->height() : 0;
    markX = w / 2;

    if (textX == -1) {
        if (layout == 0)
            this->textX = -labelGap;
        else if (layout == 1)
            this->textX = w / 2;
        else if (layout == 2)
            this->textX = w + labelGap;
    }
    if (textY == -1)
        this->textY = h / 2;

    if (this->text && font) {
        labelWidth = font->textWidth(this->text);
        if (layout == 0 || layout == 2)
            w = w + labelWidth + labelGap;
        else if (layout == 1)
            w = std::max(w, labelWidth);
        h = std::max(h, font->getHeight());
    }

    markY = h / 2;
    width = w;
    height = h;
}

bool CheckBox::contains(std::int32_t px, std::int32_t py)
{
    if (!inSpan(py, y, height))
        return false;
    switch (layout) {
    case 0:
        return inSpan(px, static_cast<std::int64_t>(x) + textX - labelWidth, width);
    case 1: {
        const std::int64_t centre = static_cast<std::int64_t>(x) + markX;
        const std::int32_t half = width / 2;
        return px >= centre - half && px < centre + half;
    }
    case 2:
        return inSpan(px, x, width);
    default:
        return false;
    }
}

void CheckBox::mouseUp(std::int32_t px, std::int32_t py)
{
    // Flipped before the listeners hear of the click, so they see the new state.
    if (armed && contains(px, py))
        checked = !checked;
    Button::mouseUp(px, py);
}

void CheckBox::draw()
{
    Sprite* picture = (armed && pressedBackground) ? pressedBackground : background;
    if (picture)
        picture->draw(frame, flags, static_cast<float>(x), static_cast<float>(y), backgroundColour);

    if (text && font)
        font->drawText(static_cast<float>(x + textX), static_cast<float>(y + textY), textAlignment, text,
                       foregroundColour);

    if (overlay && checked)
        overlay->draw(overlayFrame, overlayFlags, static_cast<float>(x + markX), static_cast<float>(y + markY),
                      foregroundColour);
}
