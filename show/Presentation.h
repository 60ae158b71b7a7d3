// The scene that plays the show: nineteen pictures and a timeline of picture
// changes, spoken passages and the end, fired against the step clock.
#pragma once

#include "app/Application.h"

#include <vector>

class Image;
class TimelineEvent;

class Presentation : public Scene {
public:
    // Pictures are loaded by the names "data/2t1.png" .. "data/2t19.png".
    static constexpr int pictureCount = 19;
    static constexpr const char* picturePrefix = "data/";
    static constexpr Uint32 showStepRate = 20;

    Presentation();
    ~Presentation() override;
    Presentation(const Presentation&) = delete;
    Presentation& operator=(const Presentation&) = delete;

    // Loads the pictures through the current application's image bank,
    // builds the script's timeline and restarts the application's clock.
    // A picture that cannot be loaded stays a null entry; load never fails.
    bool load() override;
    void unload() override;
    // Moves the show clock to the step time and fires, in timeline order,
    // every event that has come due.
    void update(Uint32 stepTime, KeyQueue& keyQueue) override;
    // Black, then the current picture centred at (320, 240).
    void draw(SDL_Surface* screen) override;

    void setPicture(Image* picture) { currentPicture = picture; }

    // Appends an event behind those already there; the presentation owns it.
    // The timeline must stay in non-decreasing time order: firing stops at
    // the first event that is not yet due.
    void addEvent(TimelineEvent* event);

    Uint32 getClock() const { return clock; }
    Uint32 getNextEvent() const { return nextEvent; }
    Image* getCurrentPicture() const { return currentPicture; }
    const std::vector<TimelineEvent*>& getEvents() const { return events; }
    const std::vector<Image*>& getPictures() const { return pictures; }

private:
    Uint32 clock = 0;
    Uint32 nextEvent = 0;
    std::vector<TimelineEvent*> events;
    std::vector<Image*> pictures;  // entry i holds picture i + 1, or null
    Image* currentPicture = nullptr;
    bool drawnBefore = false;  // start-up traces the first frame
};
