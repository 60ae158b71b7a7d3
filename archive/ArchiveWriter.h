// The archive writer: builds a new stand-alone archive file, header at
// offset 0, one block per entry in the order added, then the directory
// (newest entry first) and the footer. The finished file can be copied
// unchanged onto the end of another file and still be found there.
#pragma once

#include "archive/Archive.h"

#include <cstdint>
#include <cstdio>

class ArchiveWriter {
public:
    // Packs data through the chain named by codecWord (a compressor field of
    // 0xFFFF picks the smallest compressor) and writes its block at once.
    // Returns the packed length written, or 0 on failure, when nothing is
    // recorded. An entry that packs to 0 bytes (empty data stored with
    // None) is recorded although 0 is returned: entryCount tells them apart.
    // Names longer than 65535 bytes are refused. A write error (a full disk)
    // returns 0 and leaves the writer failed: every later call returns 0.
    std::uint32_t addEntry(const char* name, const void* data, std::uint32_t length,
                           std::uint32_t codecWord);

    // Writes the directory packed with directoryCodecWord, the footer and
    // the header's fields, and closes the file. On success returns 1 and
    // DELETES THE WRITER: the pointer must not be used again. On failure
    // returns 0 and the caller still owns the writer; after an allocation or
    // packing failure nothing was written and finish may be called again,
    // after a write error the writer is failed.
    int finish(std::uint32_t directoryCodecWord);

    // The number of entries recorded so far.
    std::uint32_t entryCount() const { return count; }
    // True once a write to the file has failed.
    bool failed() const { return writeFailed; }

    // Abandons an unfinished archive: closes the file (which keeps whatever
    // was written, without a directory or footer) and releases the records.
    ~ArchiveWriter();

    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

private:
    friend ArchiveWriter* createArchive(const char* path);
    ArchiveWriter() = default;

    ArchiveEntry* entries = nullptr;  // newest first, owned
    std::FILE* file = nullptr;
    std::uint32_t count = 0;
    bool writeFailed = false;
};

// Creates or truncates the file and reserves its 12-byte header. The writer
// belongs to the caller until a successful finish deletes it.
ArchiveWriter* createArchive(const char* path);
