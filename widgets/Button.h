// A control with up to three pictures and a text label, clicked by a press
// and a release inside it.
#pragma once

#include "widgets/Component.h"

class BitmapFont;
class Sprite;

class Button : public Component {
public:
    // Pictures and font may be null and belong to the caller, who keeps them
    // alive for the button's life; the text is copied. textX or textY of -1
    // place the text anchor at the button's centre.
    Button(std::int32_t x, std::int32_t y, Sprite* background, Sprite* pressedBackground, Sprite* overlay,
           BitmapFont* font, const char* text, std::int32_t textAlignment, std::int32_t textX,
           std::int32_t textY, std::int32_t pressOffsetX, std::int32_t pressOffsetY);
    ~Button() override;

    void mouseDown(std::int32_t px, std::int32_t py) override;
    void mouseUp(std::int32_t px, std::int32_t py) override;
    void mouseMove(std::int32_t px, std::int32_t py) override;
    void draw() override;

    // Changes what is drawn, not the size or the text anchor.
    void setText(const char* newText);
    void setBackgroundColour(float r, float g, float b, float a);
    void setForegroundColour(float r, float g, float b, float a);
    void setOverlayFlags(std::int32_t value) { overlayFlags = value; }
    bool isArmed() const { return armed; }

    const char* getText() const { return text; }
    std::int32_t getTextX() const { return textX; }
    std::int32_t getTextY() const { return textY; }

protected:
    bool armed = false;
    Sprite* background;
    Sprite* pressedBackground;
    Sprite* overlay;
    std::int32_t overlayFrame = 0;
    std::int32_t overlayFlags = 11;
    BitmapFont* font;
    char* text = nullptr;  // owned: strdup / free
    std::int32_t textAlignment;
    std::int32_t textX;
    std::int32_t textY;
    std::int32_t pressOffsetX;
    std::int32_t pressOffsetY;
    float backgroundColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float foregroundColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};
