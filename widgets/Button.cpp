#include "widgets/Button.h"

#include "image/Sprite.h"
#include "widgets/BitmapFont.h"

#include <cstdlib>
#include <cstring>

Button::Button(std::int32_t x, std::int32_t y, Sprite* background, Sprite* pressedBackground, Sprite* overlay,
               BitmapFont* font, const char* text, std::int32_t textAlignment, std::int32_t textX,
               std::int32_t textY, std::int32_t pressOffsetX, std::int32_t pressOffsetY)
    : Component(x, y, 0, 0),
      background(background),
      pressedBackground(pressedBackground),
      overlay(overlay),
      font(font),
      textAlignment(textAlignment),
      textX(textX),
      textY(textY),
      pressOffsetX(pressOffsetX),
      pressOffsetY(pressOffsetY)
{
    if (text)
        setText(text);

    Sprite* sizing = background ? background : pressedBackground ? pressedBackground : overlay;
    if (sizing) {
        width = sizing->width();
        height = sizing->height();
    } else if (this->text && font) {
        width = font->textWidth(this->text);
        height = font->getHeight();
    }

    if (this->textX == -1)
        this->textX = width / 2;
    if (this->textY == -1)
        this->textY = height / 2;
}

Button::~Button()
{
    std::free(text);
}

void Button::setText(const char* newText)
{
    // Copied before the old text goes, so handing the button its own text
    // back does not read freed memory.
    char* copy = newText ? strdup(newText) : nullptr;
    std::free(text);
    text = copy;
}

void Button::setBackgroundColour(float r, float g, float b, float a)
{
    backgroundColour[0] = r;
    backgroundColour[1] = g;
    backgroundColour[2] = b;
    backgroundColour[3] = a;
}

void Button::setForegroundColour(float r, float g, float b, float a)
{
    foregroundColour[0] = r;
    foregroundColour[1] = g;
    foregroundColour[2] = b;
    foregroundColour[3] = a;
}

void Button::mouseDown(std::int32_t px, std::int32_t py)
{
    Component::mouseDown(px, py);
    armed = contains(px, py);
}

void Button::mouseUp(std::int32_t px, std::int32_t py)
{
    Component::mouseUp(px, py);
    if (armed && contains(px, py))
        notifyAction();
    armed = false;
}

void Button::mouseMove(std::int32_t px, std::int32_t py)
{
    Component::mouseMove(px, py);
    armed = isPressed() && contains(px, py);
}

void Button::draw()
{
    Sprite* picture = (armed && pressedBackground) ? pressedBackground : background;
    if (picture)
        picture->draw(frame, flags, static_cast<float>(x), static_cast<float>(y), backgroundColour);

    const std::int32_t dx = armed ? pressOffsetX : 0;
    const std::int32_t dy = armed ? pressOffsetY : 0;

    if (overlay)
        overlay->draw(overlayFrame, overlayFlags, static_cast<float>(x + width / 2),
                      static_cast<float>(y + height / 2), foregroundColour);

    if (text && font)
        font->drawText(static_cast<float>(x + textX + dx), static_cast<float>(y + textY + dy), textAlignment,
                       text, foregroundColour);
}
