// Arbitrary bytes as an archive: opened as a path source and as a stream
// source (also both in one Archive, so names merge), with every entry read
// every way the reader offers. Nothing may crash, leak or read out of bounds.
#include "archive/Archive.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

// In memory where the machine has it: the file is rewritten for every input.
const std::string& scratchPath() {
    static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/glowmoth-fuzz-archive-" + std::to_string(getpid()) + ".dat";
    return path;
}

bool writeScratch(const std::uint8_t* data, std::size_t size) {
    // A new file each time (the last one is removed after its run) rather
    // than a truncated one: some file systems flush a truncated-and-rewritten
    // file to disk on close.
    std::FILE* f = std::fopen(scratchPath().c_str(), "wb");
    if (!f) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// A stream over a private copy of the bytes; the Archive owns it once added.
std::FILE* memoryStream(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return nullptr;
    return fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
}

void readEverything(const Archive& archive) {
    for (const ArchiveEntry* e = archive.firstEntry(); e; e = e->next) {
        std::int32_t size = 0;
        void* data = archive.readEntry(e->name, size);
        if (data) {
            // The reader promises exactly the recorded size: touch every byte.
            volatile unsigned char sink = 0;
            for (std::int32_t i = 0; i < size; ++i) sink = sink ^ static_cast<unsigned char*>(data)[i];
            (void)sink;
            std::free(data);
        }
        unsigned char small[16];
        archive.readEntryInto(e->name, small, sizeof small);
        archive.entrySize(e->name);
        archive.entryPosition(e->name);
        archive.compressorDescription(e->name);
        archive.innerFilterDescription(e->name);
        archive.outerFilterDescription(e->name);
        if (std::FILE* stream = archive.openEntryStream(e->name)) {
            unsigned char head[8];
            (void)std::fread(head, 1, sizeof head, stream);
            archive.closeEntryStream(stream);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (writeScratch(data, size)) {
        if (Archive* archive = openArchive(scratchPath().c_str(), 0)) {
            readEverything(*archive);
            // A second source with the same directory: every name merges.
            if (archive->addSourceFile(memoryStream(data, size))) readEverything(*archive);
            delete archive;
        }
        std::remove(scratchPath().c_str());
    }
    if (Archive* archive = openArchiveFile(memoryStream(data, size))) {
        readEverything(*archive);
        delete archive;
    }
    return 0;
}
