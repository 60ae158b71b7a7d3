// Turning a picture's name into a drawable Image: from the archive when it
// lists the name, otherwise from a file of that name.
#pragma once

#include <SDL/SDL.h>

class Archive;
class Image;

class ImageBank {
public:
    virtual ~ImageBank() = default;
    virtual void beginDrawing() {}
    virtual void endDrawing() {}
    virtual Image* load(const char* name) = 0;
};

class FileImageBank : public ImageBank {
public:
    Image* load(const char* name) override;
    virtual Image* loadFromStream(SDL_RWops* stream, bool closeStream);
    virtual SDL_Surface* loadSurfaceFromStream(SDL_RWops* stream, bool closeStream);
    virtual SDL_Surface* loadSurface(const char* name);
    virtual Image* createImage(SDL_Surface* surface);
};

class ArchiveImageBank : public FileImageBank {
public:
    // The archive may be null; it is not owned.
    explicit ArchiveImageBank(Archive* archive) : archive(archive) {}
    Image* load(const char* name) override;
    SDL_Surface* loadSurface(const char* name) override;

private:
    Archive* archive;
};
