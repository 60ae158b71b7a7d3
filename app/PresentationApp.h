// The concrete application: scene registry, named objects, the image bank.
#pragma once

#include "app/Application.h"

#include <map>
#include <string>

class Archive;
class ImageBank;

// Anything the named-object registry can own.
class NamedObject {
public:
    virtual ~NamedObject() = default;
};

class PresentationApp : public Application {
public:
    // The archive is not owned and must outlive the application.
    explicit PresentationApp(Archive* archive, Clock& clock = systemClock());
    ~PresentationApp() override;

    bool init() override;
    const char* caption() override;
    Scene* sceneByNumber(int number) override;
    virtual void releaseAll();

    void registerScene(int number, Scene* scene);
    NamedObject* namedObject(const std::string& name) const;
    // Takes ownership; an object already under the name is deleted.
    void addNamedObject(const std::string& name, NamedObject* object);
    void releaseScenes();
    void releaseNamedObjects();
    ImageBank* imageBank() const { return bank; }
    bool scenesLoaded() const { return scenesOk; }

private:
    Archive* archive;
    std::map<int, Scene*> scenes;
    bool scenesOk = true;
    ImageBank* bank = nullptr;
    std::map<std::string, NamedObject*> namedObjects;
};
