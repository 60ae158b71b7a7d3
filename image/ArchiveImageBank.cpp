#include "archive/Archive.h"
#include "image/Image.h"
#include "image/ImageBank.h"

#include <cstdlib>
#include <memory>

namespace {

struct FreeBuffer {
    void operator()(void* p) const { std::free(p); }
};

// The entry's bytes as a read stream, or null. The stream reads the buffer
// in place, so the buffer has to outlive the decoding.
SDL_RWops* streamOver(void* buffer, std::int32_t size)
{
    // The reader refuses an entry whose decoded length differs from the
    // recorded size, so size never reaches past the buffer; a negative
    // size can only mean a broken directory and is refused here.
    if (!buffer || size < 0)
        return nullptr;
    return SDL_RWFromMem(buffer, size);
}

}  // namespace

Image* ArchiveImageBank::load(const char* name)
{
    if (!archive || !archive->hasEntry(name))
        return FileImageBank::load(name);

    // Listed but unreadable fails outright: a file of the same name is not
    // a stand-in for a damaged archive.
    std::int32_t size = 0;
    std::unique_ptr<void, FreeBuffer> buffer(archive->readEntry(name, size));
    SDL_RWops* stream = streamOver(buffer.get(), size);
    if (!stream)
        return nullptr;
    return FileImageBank::loadFromStream(stream, true);
}

SDL_Surface* ArchiveImageBank::loadSurface(const char* name)
{
    if (!archive || !archive->hasEntry(name))
        return FileImageBank::loadSurface(name);

    std::int32_t size = 0;
    std::unique_ptr<void, FreeBuffer> buffer(archive->readEntry(name, size));
    SDL_RWops* stream = streamOver(buffer.get(), size);
    if (!stream)
        return nullptr;
    return FileImageBank::loadSurfaceFromStream(stream, true);
}
