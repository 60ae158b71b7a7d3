#include "examples/widgets/WidgetDemoScene.h"

#include "image/Image.h"
#include "widgets/Button.h"
#include "widgets/CheckBox.h"
#include "widgets/Label.h"
#include "widgets/Slider.h"

#include <cmath>
#include <cstdio>

namespace {

SDL_Surface* blankSurface(int w, int h)
{
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
}

void fill(SDL_Surface* s, int x, int y, int w, int h, Uint32 rgb)
{
    SDL_Rect r;
    r.x = static_cast<Sint16>(x);
    r.y = static_cast<Sint16>(y);
    r.w = static_cast<Uint16>(w);
    r.h = static_cast<Uint16>(h);
    SDL_FillRect(s, &r, rgb);
}

// A filled rectangle with a one-pixel frame.
Image* panel(int w, int h, Uint32 face, Uint32 frame)
{
    SDL_Surface* s = blankSurface(w, h);
    if (!s)
        return nullptr;
    SDL_FillRect(s, nullptr, frame);
    fill(s, 1, 1, w - 2, h - 2, face);
    return new Image(s);
}

// The controls place these pictures by their top-left corner: a zero draw
// size makes the Image put its corner at the point instead of its centre.
Image* cornerPlaced(Image* image)
{
    if (image)
        image->setDrawSize(0, 0);
    return image;
}

// A tick on a colour-keyed background, drawn centred on the box.
Image* tick(int size, Uint32 colour)
{
    SDL_Surface* s = blankSurface(size, size);
    if (!s)
        return nullptr;
    const Uint32 key = 0xFF00FF;
    SDL_FillRect(s, nullptr, key);
    SDL_SetColorKey(s, SDL_SRCCOLORKEY, key);
    // The short stroke down to a third of the width, then the long one up.
    const int k = size / 3;
    const int bottom = size / 2 + k;
    for (int i = 0; i < size; ++i) {
        const int y = i <= k ? size / 2 + i : bottom - (i - k);
        fill(s, i, y - 1, 2, 3, colour);
    }
    return new Image(s);
}

Image* track(int w, int h)
{
    SDL_Surface* s = blankSurface(w, h);
    if (!s)
        return nullptr;
    const Uint32 key = 0xFF00FF;
    SDL_FillRect(s, nullptr, key);
    SDL_SetColorKey(s, SDL_SRCCOLORKEY, key);
    fill(s, 0, h / 2 - 2, w, 4, 0x606880);
    for (int i = 0; i <= 10; ++i)
        fill(s, 10 + i * (w - 21) / 10, h / 2 + 4, 1, 4, 0x8088A0);
    return new Image(s);
}

}  // namespace

WidgetDemoScene::WidgetDemoScene(Uint32 stopAfter) : font(2), titleFont(3), stopAfter(stopAfter)
{
    stepRate = 25;
}

WidgetDemoScene::~WidgetDemoScene()
{
    unload();
}

bool WidgetDemoScene::load()
{
    buttonPicture = cornerPlaced(panel(180, 40, 0x2A3F7A, 0x9FB4FF));
    buttonPressedPicture = cornerPlaced(panel(180, 40, 0x4C6AC0, 0xFFFFFF));
    boxPicture = cornerPlaced(panel(22, 22, 0x202430, 0xC0C8E0));
    boxPressedPicture = cornerPlaced(panel(22, 22, 0x404860, 0xFFFFFF));
    checkMark = tick(14, 0x60E070);
    trackPicture = cornerPlaced(track(260, 24));
    knobPicture = cornerPlaced(panel(16, 24, 0xF0A030, 0xFFE0A0));

    group.show(new Label(320, 70, nullptr, &titleFont, "GLOWMOTH WIDGETS", PixelFont::AlignCentre, 0, 0));

    button = new Button(230, 130, buttonPicture, buttonPressedPicture, nullptr, &font, "CLICK ME",
                        PixelFont::AlignCentre, -1, -1, 1, 1);
    button->addListener(this);
    group.show(button);
    clicksLabel = new Label(320, 190, nullptr, &font, "CLICKS: 0", PixelFont::AlignCentre, 0, 0);
    group.show(clicksLabel);

    soundBox = new CheckBox(250, 230, boxPicture, boxPressedPicture, checkMark, &font, "SOUND", false, 2,
                            PixelFont::AlignLeft, -1, -1);
    soundBox->setForegroundColour(0.4f, 0.9f, 0.45f, 1.0f);
    soundBox->addListener(this);
    group.show(soundBox);
    soundLabel = new Label(320, 275, nullptr, &font, "SOUND IS OFF", PixelFont::AlignCentre, 0, 0);
    group.show(soundLabel);

    volume = new Slider(190, 320, trackPicture, knobPicture, 0, 0.5, -1, -1);
    volume->addListener(this);
    group.show(volume);
    volumeLabel = new Label(320, 370, nullptr, &font, "", PixelFont::AlignCentre, 0, 0);
    group.show(volumeLabel);
    showVolume();

    auto* hint = new Label(320, 450, nullptr, &font, "ESC TO QUIT", PixelFont::AlignCentre, 0, 0);
    hint->setForegroundColour(0.55f, 0.6f, 0.7f, 1.0f);
    group.show(hint);
    return true;
}

void WidgetDemoScene::unload()
{
    group.hideAll();
    group.deleteAll();
    for (Image** picture : {&buttonPicture, &buttonPressedPicture, &boxPicture, &boxPressedPicture, &checkMark,
                            &trackPicture, &knobPicture}) {
        delete *picture;
        *picture = nullptr;
    }
    button = nullptr;
    clicksLabel = nullptr;
    soundBox = nullptr;
    soundLabel = nullptr;
    volume = nullptr;
    volumeLabel = nullptr;
}

void WidgetDemoScene::update(Uint32 stepTime, KeyQueue& keyQueue)
{
    // The controls take the pointer; keys other than Escape mean nothing here.
    keyQueue.clear();
    if (stopAfter != 0 && stepTime >= stopAfter && currentApplication())
        currentApplication()->setRunning(false);
}

void WidgetDemoScene::draw(SDL_Surface* screen)
{
    if (!screen)
        return;
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0x12, 0x14, 0x1C));
    group.draw();
}

void WidgetDemoScene::mouseButtonDown(SDL_Event& event)
{
    if (event.button.button == SDL_BUTTON_LEFT)
        group.mouseDown(event.button.x, event.button.y);
}

void WidgetDemoScene::mouseButtonUp(SDL_Event& event)
{
    if (event.button.button == SDL_BUTTON_LEFT)
        group.mouseUp(event.button.x, event.button.y);
}

void WidgetDemoScene::mouseMotion(SDL_Event& event)
{
    group.mouseMove(event.motion.x, event.motion.y);
}

void WidgetDemoScene::componentAction(Component* source)
{
    char text[64];
    if (source == button) {
        ++clicks;
        std::snprintf(text, sizeof text, "CLICKS: %d", clicks);
        clicksLabel->setText(text);
    } else if (source == soundBox) {
        soundLabel->setText(soundBox->isChecked() ? "SOUND IS ON" : "SOUND IS OFF");
    } else if (source == volume) {
        showVolume();
    }
}

void WidgetDemoScene::showVolume()
{
    char text[64];
    std::snprintf(text, sizeof text, "VOLUME: %d%%", static_cast<int>(std::lround(volume->getFraction() * 100.0)));
    volumeLabel->setText(text);
}
