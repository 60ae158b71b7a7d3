// A box with a check mark and a text label; each click toggles it.
#pragma once

#include "widgets/Button.h"

class CheckBox : public Button {
public:
    // layout: 0 label left of the box, 1 centred on it, 2 right of it. The
    // hit area takes the label to end at its anchor for layout 0, to be
    // centred on it for 1 and to start at it for 2, so choose textAlignment
    // to match. textX or textY of -1 select the layout's default anchor.
    CheckBox(std::int32_t x, std::int32_t y, Sprite* box, Sprite* pressedBox, Sprite* checkMark, BitmapFont* font,
             const char* text, bool checked, std::int32_t layout, std::int32_t textAlignment, std::int32_t textX,
             std::int32_t textY);

    bool contains(std::int32_t px, std::int32_t py) override;
    void mouseUp(std::int32_t px, std::int32_t py) override;
    void draw() override;

    bool isChecked() const { return checked; }
    std::int32_t getMarkX() const { return markX; }
    std::int32_t getMarkY() const { return markY; }
    std::int32_t getLabelWidth() const { return labelWidth; }

protected:
    bool checked;
    std::int32_t layout;
    std::int32_t markX = 0;
    std::int32_t markY = 0;
    std::int32_t labelWidth = 0;
};
