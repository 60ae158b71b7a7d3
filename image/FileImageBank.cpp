#include "image/Image.h"
#include "image/ImageBank.h"

#include <SDL/SDL_image.h>

#include <new>

Image* FileImageBank::load(const char* name)
{
    SDL_RWops* stream = SDL_RWFromFile(name, "rb");
    if (!stream)
        return nullptr;
    return loadFromStream(stream, true);
}

Image* FileImageBank::loadFromStream(SDL_RWops* stream, bool closeStream)
{
    SDL_Surface* surface = loadSurfaceFromStream(stream, closeStream);
    if (!surface)
        return nullptr;
    return createImage(surface);
}

SDL_Surface* FileImageBank::loadSurfaceFromStream(SDL_RWops* stream, bool closeStream)
{
    // The decoder recognises the format from the bytes themselves.
    return IMG_Load_RW(stream, closeStream ? 1 : 0);
}

SDL_Surface* FileImageBank::loadSurface(const char* name)
{
    SDL_RWops* stream = SDL_RWFromFile(name, "rb");
    if (!stream)
        return nullptr;
    return loadSurfaceFromStream(stream, true);
}

Image* FileImageBank::createImage(SDL_Surface* surface)
{
    if (!surface)
        return nullptr;
    Image* image = new (std::nothrow) Image(surface);
    // The surface was handed over; with no Image to own it, it would leak.
    if (!image)
        SDL_FreeSurface(surface);
    return image;
}
