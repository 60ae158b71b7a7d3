#include "widgets/Label.h"

Label::Label(std::int32_t x, std::int32_t y, Sprite* picture, BitmapFont* font, const char* text,
             std::int32_t textAlignment, std::int32_t textX, std::int32_t textY)
    : Button(x, y, nullptr, nullptr, picture, font, text, textAlignment, textX, textY, 0, 0)
{
    // The anchor was placed from the picture's size; an empty rectangle is
    // what keeps the label from ever being hit.
    width = 0;
    height = 0;
}
