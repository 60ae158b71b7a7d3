#include "show/TimelineEvent.h"

#include "app/Application.h"
#include "show/Presentation.h"
#include "show/Speech.h"

void PictureEvent::fire(Presentation* presentation) {
    if (presentation) {
        presentation->setPicture(picture);
    }
}

void SpeechEvent::fire(Presentation*) { speak(text); }

void EndEvent::fire(Presentation*) {
    // An event fired outside a running application has nothing to stop.
    if (Application* app = currentApplication()) {
        app->setRunning(false);
    }
}
