#include "app/PresentationApp.h"

#include "image/ImageBank.h"
#include "show/Presentation.h"

#include <new>

PresentationApp::PresentationApp(Archive* archive, Clock& clock)
    : Application(clock), archive(archive) {}

PresentationApp::~PresentationApp() {
    // Scenes may still hold pictures made by the bank, so they go first.
    // The current scene gets no leave: the program is ending.
    releaseAll();
    delete bank;
    bank = nullptr;
    scenes.clear();
    namedObjects.clear();
}

bool PresentationApp::init() {
    if (!Application::init()) {
        return false;
    }
    bank = new (std::nothrow) ArchiveImageBank(archive);
    if (!bank) {
        return false;
    }

    // Without its scene the application would run forever showing nothing.
    Presentation* presentation = new (std::nothrow) Presentation;
    if (!presentation) {
        return false;
    }
    registerScene(1, presentation);

    if (!scenesOk) {
        return false;
    }
    switchScene(1);
    return true;
}

const char* PresentationApp::caption() { return "Glowmoth 1.0"; }

Scene* PresentationApp::sceneByNumber(int number) {
    auto found = scenes.find(number);
    return found == scenes.end() ? nullptr : found->second;
}

void PresentationApp::releaseAll() {
    releaseScenes();
    releaseNamedObjects();
}

void PresentationApp::registerScene(int number, Scene* newScene) {
    if (!newScene) {
        return;
    }
    // After one failed load the application will not start, so later scenes
    // are not worth loading.
    if (!scenesOk) {
        delete newScene;
        return;
    }
    if (!newScene->load()) {
        scenesOk = false;
        delete newScene;
        return;
    }
    auto inserted = scenes.emplace(number, newScene);
    if (!inserted.second) {
        // A number is registered once; a second scene under it would be
        // lost, so it is released instead.
        newScene->unload();
        delete newScene;
    }
}

NamedObject* PresentationApp::namedObject(const std::string& name) const {
    auto found = namedObjects.find(name);
    return found == namedObjects.end() ? nullptr : found->second;
}

void PresentationApp::addNamedObject(const std::string& name, NamedObject* object) {
    NamedObject*& slot = namedObjects[name];
    if (slot != object) {
        delete slot;
    }
    slot = object;
}

void PresentationApp::releaseScenes() {
    for (auto& entry : scenes) {
        if (entry.second == scene) {
            // The loop must not draw a scene that no longer exists.
            scene = nullptr;
        }
        entry.second->unload();
        delete entry.second;
    }
    scenes.clear();
}

void PresentationApp::releaseNamedObjects() {
    for (auto& entry : namedObjects) {
        delete entry.second;
    }
    namedObjects.clear();
}
