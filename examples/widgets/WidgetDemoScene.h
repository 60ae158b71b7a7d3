// The example scene: a button, a check box, labels and a slider in one
// widget group, wired to each other through a listener.
#pragma once

#include "app/Application.h"
#include "examples/widgets/PixelFont.h"
#include "widgets/Component.h"
#include "widgets/WidgetGroup.h"

class Button;
class CheckBox;
class Image;
class Label;
class Slider;

class WidgetDemoScene : public Scene, public ComponentListener {
public:
    // stopAfter: show time in milliseconds after which the scene stops the
    // running application; 0 runs until Escape or the window is closed.
    explicit WidgetDemoScene(Uint32 stopAfter = 0);
    ~WidgetDemoScene() override;

    bool load() override;
    void unload() override;
    void update(Uint32 stepTime, KeyQueue& keyQueue) override;
    void draw(SDL_Surface* screen) override;
    void mouseButtonDown(SDL_Event& event) override;
    void mouseButtonUp(SDL_Event& event) override;
    void mouseMotion(SDL_Event& event) override;

    void componentAction(Component* source) override;

private:
    void showVolume();

    PixelFont font;
    PixelFont titleFont;
    WidgetGroup group;
    // The pictures belong to the scene; the controls only point at them.
    Image* buttonPicture = nullptr;
    Image* buttonPressedPicture = nullptr;
    Image* boxPicture = nullptr;
    Image* boxPressedPicture = nullptr;
    Image* checkMark = nullptr;
    Image* trackPicture = nullptr;
    Image* knobPicture = nullptr;

    Button* button = nullptr;
    Label* clicksLabel = nullptr;
    CheckBox* soundBox = nullptr;
    Label* soundLabel = nullptr;
    Slider* volume = nullptr;
    Label* volumeLabel = nullptr;
    int clicks = 0;
    Uint32 stopAfter;
};
