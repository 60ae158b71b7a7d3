#include "show/Presentation.h"

#include "app/PresentationApp.h"
#include "app/Startup.h"
#include "image/Image.h"
#include "image/ImageBank.h"
#include "show/Script.h"
#include "show/TimelineEvent.h"

#include <cstdio>

Presentation::Presentation() { stepRate = showStepRate; }

Presentation::~Presentation() { unload(); }

bool Presentation::load() {
    // Without a running PresentationApp there is no bank: every picture is
    // then missing and the show plays black, as for any missing picture.
    Application* running = currentApplication();
    auto* app = dynamic_cast<PresentationApp*>(running);
    ImageBank* bank = app ? app->imageBank() : nullptr;

    int loaded = 0;
    for (int number = 1; number <= pictureCount; ++number) {
        char name[64];
        std::snprintf(name, sizeof name, "%s2t%d.png", picturePrefix, number);
        Image* picture = bank ? bank->load(name) : nullptr;
        loaded += picture ? 1 : 0;
        pictures.push_back(picture);
    }
    traceStartup("pictures %d of %d", loaded, pictureCount);

    for (const ScriptEvent& row : showScript) {
        TimelineEvent* event = nullptr;
        switch (row.kind) {
        case ScriptEventKind::Speech:
            event = new SpeechEvent(row.text);
            break;
        case ScriptEventKind::Picture: {
            const bool known = row.picture >= 1 && row.picture <= static_cast<int>(pictures.size());
            event = new PictureEvent(known ? pictures[row.picture - 1] : nullptr);
            break;
        }
        case ScriptEventKind::End:
            event = new EndEvent;
            break;
        }
        if (!event) {
            continue;
        }
        event->setTime(row.time);
        addEvent(event);
    }

    // Decoding the pictures takes a while; the show starts from zero after it.
    if (running) {
        running->resetClock();
    }
    return true;
}

void Presentation::unload() {
    currentPicture = nullptr;
    for (Image* picture : pictures) {
        delete picture;
    }
    pictures.clear();
    for (TimelineEvent* event : events) {
        delete event;
    }
    events.clear();
    nextEvent = 0;
}

void Presentation::addEvent(TimelineEvent* event) {
    if (event) {
        events.push_back(event);
    }
}

void Presentation::update(Uint32 stepTime, KeyQueue& keyQueue) {
    clock = stepTime;
    // The show takes no input; Escape is the main loop's business.
    keyQueue.clear();
    while (nextEvent < events.size() && events[nextEvent]->time() <= clock) {
        TimelineEvent* event = events[nextEvent];
        ++nextEvent;
        event->fire(this);
    }
}

void Presentation::draw(SDL_Surface*) {
    SDL_Surface* video = SDL_GetVideoSurface();
    if (!video) {
        return;
    }
    SDL_FillRect(video, nullptr, 0);
    if (currentPicture) {
        currentPicture->draw(0, 10, 320, 240);
    }
    if (!drawnBefore) {
        drawnBefore = true;
        traceStartup("first frame");
    }
}
