// The archive reader. Each source's directory is read and decoded once, when
// the source is added; entries are decoded whole, on demand, every time.
#include "archive/Archive.h"

#include "archive/BuiltinCodecs.h"
#include "archive/Codec.h"
#include "archive/Format.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

struct ArchiveSource {
    std::FILE* file = nullptr;  // a stream source's own stream
    char* path = nullptr;       // a path source's file name
    std::int32_t headerPosition = 0;
    ArchiveSource* next = nullptr;
};

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
using Bytes = std::unique_ptr<unsigned char, FreeDeleter>;

bool readExact(std::FILE* f, void* destination, std::size_t length) {
    return length == 0 || std::fread(destination, 1, length, f) == length;
}

bool seekTo(std::FILE* f, long long position) {
    if (position < 0 || position > 0x7FFFFFFFLL) return false;
    return std::fseek(f, static_cast<long>(position), SEEK_SET) == 0;
}

long long streamLength(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0) return -1;
    return std::ftell(f);
}

bool magicAt(std::FILE* f, long long position, const char (&magic)[4]) {
    char bytes[4];
    return seekTo(f, position) && readExact(f, bytes, 4) && std::memcmp(bytes, magic, 4) == 0;
}

// The header is at the given position, or else where the footer at the very
// end of the file says: L bytes before the end. -1 when neither holds one.
long long locateHeader(std::FILE* f, long long headerOffset) {
    if (magicAt(f, headerOffset, kArchiveMagic)) return headerOffset;
    const long long length = streamLength(f);
    if (length < kFooterLength) return -1;
    unsigned char footer[kFooterLength];
    if (!seekTo(f, length - kFooterLength) || !readExact(f, footer, kFooterLength)) return -1;
    if (std::memcmp(footer + 4, kFooterMagic, 4) != 0) return -1;
    const long long header = length - readLE32(footer);
    if (header < 0 || !magicAt(f, header, kArchiveMagic)) return -1;
    return header;
}

// Reads the u32 length and that many bytes at the stream's position. A
// length larger than what the file still holds is refused before anything
// is allocated for it.
bool readPackedBlock(std::FILE* f, long long fileLength, PackedBlock& block) {
    unsigned char lengthBytes[4];
    if (!readExact(f, lengthBytes, 4)) return false;
    const std::uint32_t length = readLE32(lengthBytes);
    const long long here = std::ftell(f);
    if (here < 0 || length > fileLength - here) return false;
    unsigned char* data = allocateBytes(length);
    if (!data) return false;
    block.data = data;
    block.length = length;
    return readExact(f, data, length);
}

// Reads and decodes the directory of the archive whose header is at
// `header`. The decoded records are checked to lie wholly inside what
// unpacking produced before the caller touches them.
Bytes loadDirectory(std::FILE* f, long long header, std::uint32_t& directoryLength) {
    unsigned char fields[8];
    if (!seekTo(f, header + 4) || !readExact(f, fields, 8)) return nullptr;
    const std::uint32_t directoryOffset = readLE32(fields);
    directoryLength = readLE32(fields + 4);

    const long long fileLength = streamLength(f);
    unsigned char wordBytes[4];
    if (fileLength < 0 || !seekTo(f, header + directoryOffset) || !readExact(f, wordBytes, 4)) {
        return nullptr;
    }
    PackedBlock block;
    if (!readPackedBlock(f, fileLength, block)) return nullptr;
    std::uint32_t decodedLength = 0;
    Bytes records(unpackChain(block, readLE32(wordBytes), &decodedLength));
    if (!records || decodedLength < directoryLength) return nullptr;

    // Records follow one another while the position is below the directory
    // length (compared signed, so a length with bit 31 set holds none); each
    // must end within the decoded bytes.
    const std::int32_t limit = static_cast<std::int32_t>(directoryLength);
    for (std::int64_t position = 0; position < limit;) {
        if (position + kRecordFixedLength > decodedLength) return nullptr;
        const std::uint16_t nameLength = readLE16(records.get() + position + 12);
        position += kRecordFixedLength + nameLength;
        if (position > decodedLength) return nullptr;
    }
    return records;
}

}  // namespace

std::int32_t nameHash(const char* name) {
    std::uint32_t h = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        // The right shift copies the sign bit in, as on a signed 32-bit value.
        const std::uint32_t shifted = (h >> 11) | ((h & 0x80000000u) ? 0xFFE00000u : 0u);
        h = (h << 21) + shifted;
        h ^= *p;
    }
    return static_cast<std::int32_t>(h);
}

Archive::~Archive() {
    while (sources) {
        ArchiveSource* source = sources;
        sources = source->next;
        if (source->file) std::fclose(source->file);
        std::free(source->path);
        delete source;
    }
    while (entries) {
        ArchiveEntry* entry = entries;
        entries = entry->next;
        std::free(entry->name);
        delete entry;
    }
}

namespace {

// Turns the validated records into entries of `source`. A name met before,
// in this directory or an earlier source, takes the new record's data and
// keeps its place in the list.
void mergeRecords(ArchiveEntry*& entries, const Archive& archive, ArchiveSource* source,
                  const unsigned char* records, std::uint32_t directoryLength) {
    const std::int32_t limit = static_cast<std::int32_t>(directoryLength);
    for (std::int64_t position = 0; position < limit;) {
        const unsigned char* record = records + position;
        const std::uint16_t nameLength = readLE16(record + 12);
        position += kRecordFixedLength + nameLength;

        // A name ends at its first zero byte, wherever the record puts it.
        char* name = static_cast<char*>(std::malloc(nameLength + 1u));
        if (!name) return;
        std::memcpy(name, record + kRecordFixedLength, nameLength);
        name[nameLength] = '\0';

        ArchiveEntry* existing = archive.findEntry(name);
        ArchiveEntry* entry = existing ? existing : new (std::nothrow) ArchiveEntry;
        if (!entry) {
            std::free(name);
            return;
        }
        if (existing) std::free(existing->name);
        entry->name = name;
        entry->size = readLE32(record);
        entry->offset = readLE32(record + 4);
        entry->codecWord = readLE32(record + 8);
        entry->hash = nameHash(name);
        entry->source = source;
        if (!existing) {
            entry->next = entries;
            entries = entry;
        }
    }
}

}  // namespace

int Archive::addSource(const char* path, std::int32_t headerOffset) {
    if (!path) return 0;
    FileHandle file(std::fopen(path, "rb"));
    if (!file) return 0;
    const long long header = locateHeader(file.get(), headerOffset);
    if (header < 0 || header > 0x7FFFFFFF) return 0;
    std::uint32_t directoryLength = 0;
    Bytes records = loadDirectory(file.get(), header, directoryLength);
    file.reset();
    if (!records) return 0;

    ArchiveSource* source = new (std::nothrow) ArchiveSource;
    if (!source) return 0;
    source->path = static_cast<char*>(std::malloc(std::strlen(path) + 1));
    if (!source->path) {
        delete source;
        return 0;
    }
    std::strcpy(source->path, path);
    source->headerPosition = static_cast<std::int32_t>(header);
    source->next = sources;
    sources = source;
    mergeRecords(entries, *this, source, records.get(), directoryLength);
    return 1;
}

int Archive::addSourceFile(std::FILE* stream) {
    if (!stream) return 0;
    // From here on every failure closes the stream: the caller handed it over.
    FileHandle file(stream);
    const long long start = std::ftell(stream);
    if (start < 0) return 0;
    const long long header = locateHeader(stream, start);
    if (header < 0 || header > 0x7FFFFFFF) return 0;
    std::uint32_t directoryLength = 0;
    Bytes records = loadDirectory(stream, header, directoryLength);
    if (!records) return 0;

    ArchiveSource* source = new (std::nothrow) ArchiveSource;
    if (!source) return 0;
    source->file = file.release();
    source->headerPosition = static_cast<std::int32_t>(header);
    source->next = sources;
    sources = source;
    mergeRecords(entries, *this, source, records.get(), directoryLength);
    return 1;
}

ArchiveEntry* Archive::findEntry(const char* name) const {
    if (!name) return nullptr;
    const std::int32_t hash = nameHash(name);
    for (ArchiveEntry* entry = entries; entry; entry = entry->next) {
        if (entry->hash == hash && std::strcmp(entry->name, name) == 0) return entry;
    }
    return nullptr;
}

int Archive::hasEntry(const char* name) const {
    return findEntry(name) ? 1 : 0;
}

std::uint32_t Archive::entrySize(const char* name) const {
    const ArchiveEntry* entry = findEntry(name);
    return entry ? entry->size : 0;
}

void* Archive::readEntry(const char* name, std::int32_t& size) const {
    size = 0;
    const ArchiveEntry* entry = findEntry(name);
    if (!entry) return nullptr;
    size = static_cast<std::int32_t>(entry->size);

    const ArchiveSource* source = entry->source;
    FileHandle opened;
    std::FILE* f = source->file;
    if (!f) {
        opened.reset(std::fopen(source->path, "rb"));
        f = opened.get();
        if (!f) return nullptr;
    }
    const long long fileLength = streamLength(f);
    PackedBlock block;
    if (fileLength < 0 || !seekTo(f, static_cast<long long>(source->headerPosition) + entry->offset) ||
        !readPackedBlock(f, fileLength, block)) {
        return nullptr;
    }
    opened.reset();

    std::uint32_t decodedLength = 0;
    unsigned char* data = unpackChain(block, entry->codecWord, &decodedLength);
    // The caller trusts the recorded size; a damaged entry that decodes to
    // any other length would let it read past the buffer.
    if (data && decodedLength != entry->size) {
        std::free(data);
        return nullptr;
    }
    return data;
}

void* Archive::readEntry(const char* name) const {
    std::int32_t size = 0;
    return readEntry(name, size);
}

std::int32_t Archive::readEntryInto(const char* name, void* destination, std::int32_t capacity) const {
    std::int32_t size = 0;
    void* data = readEntry(name, size);
    if (!data) return 0;
    std::int32_t copied = size < capacity ? size : capacity;
    if (copied < 0 || !destination) copied = 0;
    if (copied) std::memcpy(destination, data, static_cast<std::size_t>(copied));
    std::free(data);
    return copied;
}

std::FILE* Archive::openEntryStream(const char* name) const {
    const ArchiveEntry* entry = findEntry(name);
    if (!entry) return nullptr;
    const ArchiveSource* source = entry->source;
    const long long position = static_cast<long long>(source->headerPosition) + entry->offset + 4;
    if (source->file) {
        return seekTo(source->file, position) ? source->file : nullptr;
    }
    FileHandle f(std::fopen(source->path, "rb"));
    if (!f || !seekTo(f.get(), position)) return nullptr;
    return f.release();
}

void Archive::closeEntryStream(std::FILE* stream) const {
    if (!stream) return;
    for (const ArchiveSource* source = sources; source; source = source->next) {
        if (source->file == stream) return;
    }
    std::fclose(stream);
}

std::uint32_t Archive::entryPosition(const char* name) const {
    const ArchiveEntry* entry = findEntry(name);
    if (!entry) return 0;
    return static_cast<std::uint32_t>(entry->source->headerPosition) + entry->offset;
}

const char* Archive::compressorDescription(const char* name) const {
    const ArchiveEntry* entry = findEntry(name);
    return entry ? codecDescription(entry->codecWord & kCompressorMask) : nullptr;
}

const char* Archive::outerFilterDescription(const char* name) const {
    const ArchiveEntry* entry = findEntry(name);
    return entry ? codecDescription(entry->codecWord & kOuterFilterMask) : nullptr;
}

const char* Archive::innerFilterDescription(const char* name) const {
    const ArchiveEntry* entry = findEntry(name);
    return entry ? codecDescription(entry->codecWord & kInnerFilterMask) : nullptr;
}

Archive* openArchive(const char* path, std::int32_t headerOffset) {
    Archive* archive = new (std::nothrow) Archive;
    if (!archive) return nullptr;
    if (!archive->addSource(path, headerOffset)) {
        delete archive;
        return nullptr;
    }
    return archive;
}

Archive* openArchiveFile(std::FILE* stream) {
    Archive* archive = new (std::nothrow) Archive;
    if (!archive) {
        if (stream) std::fclose(stream);
        return nullptr;
    }
    if (!archive->addSourceFile(stream)) {
        delete archive;
        return nullptr;
    }
    return archive;
}
