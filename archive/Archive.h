// The archive reader: one or more sources (a file by path and header
// offset, or an open stream) merged into one directory of named entries,
// each decoded whole through its codec chain on demand.
#pragma once

#include <cstdint>
#include <cstdio>

struct ArchiveSource;

// One directory record in memory.
struct ArchiveEntry {
    char* name = nullptr;          // owned, zero-terminated
    std::uint32_t codecWord = 0;
    std::uint32_t size = 0;        // unpacked size
    std::uint32_t offset = 0;      // of the entry's block, relative to the header
    std::int32_t hash = 0;         // nameHash(name)
    ArchiveSource* source = nullptr;
    ArchiveEntry* next = nullptr;
};

std::int32_t nameHash(const char* name);

class Archive {
public:
    Archive() = default;
    ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    // 1 on success, 0 on failure (the archive is then unchanged).
    int addSource(const char* path, std::int32_t headerOffset = 0);
    // The header is looked for at the stream's position, then through the
    // footer. The stream is closed on failure and owned after success.
    int addSourceFile(std::FILE* stream);

    ArchiveEntry* findEntry(const char* name) const;
    int hasEntry(const char* name) const;
    std::uint32_t entrySize(const char* name) const;
    // A new buffer (release with free) or null; size gets the recorded size.
    void* readEntry(const char* name, std::int32_t& size) const;
    void* readEntry(const char* name) const;
    std::int32_t readEntryInto(const char* name, void* destination, std::int32_t capacity) const;
    std::FILE* openEntryStream(const char* name) const;
    void closeEntryStream(std::FILE* stream) const;
    std::uint32_t entryPosition(const char* name) const;
    const char* compressorDescription(const char* name) const;
    const char* outerFilterDescription(const char* name) const;
    const char* innerFilterDescription(const char* name) const;

    // The merged entry list, the entry created last first.
    const ArchiveEntry* firstEntry() const { return entries; }

private:
    ArchiveSource* sources = nullptr;
    ArchiveEntry* entries = nullptr;
};

Archive* openArchive(const char* path, std::int32_t headerOffset = 0);
Archive* openArchiveFile(std::FILE* stream);
