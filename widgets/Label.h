// A picture and a text that are shown and never hit.
#pragma once

#include "widgets/Button.h"

class Label : public Button {
public:
    // The picture is drawn centred on (x, y); textX or textY of -1 put the
    // text anchor at the centre of the picture (or of the text without one).
    Label(std::int32_t x, std::int32_t y, Sprite* picture, BitmapFont* font, const char* text,
          std::int32_t textAlignment, std::int32_t textX, std::int32_t textY);
};
