// One entry of the presentation's timeline: something that happens once,
// when the show clock reaches the event's time.
#pragma once

#include <SDL/SDL.h>

class Image;
class Presentation;

class TimelineEvent {
public:
    TimelineEvent() = default;
    virtual ~TimelineEvent() = default;
    TimelineEvent(const TimelineEvent&) = delete;
    TimelineEvent& operator=(const TimelineEvent&) = delete;

    virtual void fire(Presentation* presentation) = 0;

    // Show time in ms; the creator sets it before the event joins a timeline.
    void setTime(Uint32 ms) { eventTime = ms; }
    Uint32 time() const { return eventTime; }

private:
    Uint32 eventTime = 0;
};

// Makes a picture the one on screen; a null picture leaves the screen black.
class PictureEvent : public TimelineEvent {
public:
    // The picture belongs to the presentation, not to the event.
    explicit PictureEvent(Image* picture) : picture(picture) {}
    void fire(Presentation* presentation) override;
    Image* getPicture() const { return picture; }

private:
    Image* picture;
};

// Hands a marked-up passage to the voice, which speaks it in the background.
class SpeechEvent : public TimelineEvent {
public:
    // The text is constant for the program's life and not owned.
    explicit SpeechEvent(const char16_t* text) : text(text) {}
    void fire(Presentation* presentation) override;
    const char16_t* getText() const { return text; }

private:
    const char16_t* text;
};

// Stops the running application; the loop ends at its next test.
class EndEvent : public TimelineEvent {
public:
    void fire(Presentation* presentation) override;
};
