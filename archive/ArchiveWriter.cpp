#include "archive/ArchiveWriter.h"

#include "archive/BuiltinCodecs.h"
#include "archive/Codec.h"
#include "archive/Format.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace {

// Writes the bytes and pushes them to the file at once, so that a full disk
// is noticed by the call that caused it rather than at close.
bool writeAll(std::FILE* f, const void* bytes, std::size_t length) {
    return (length == 0 || std::fwrite(bytes, 1, length, f) == length) && std::fflush(f) == 0;
}

bool writeBlock(std::FILE* f, const PackedBlock& block) {
    unsigned char lengthBytes[4];
    writeLE32(lengthBytes, block.length);
    return std::fwrite(lengthBytes, 1, 4, f) == 4 && writeAll(f, block.data, block.length);
}

}  // namespace

ArchiveWriter* createArchive(const char* path) {
    if (!path) return nullptr;
    ArchiveWriter* writer = new (std::nothrow) ArchiveWriter;
    if (!writer) return nullptr;
    writer->file = std::fopen(path, "wb");
    if (!writer->file) {
        delete writer;
        return nullptr;
    }
    // Three copies of the magic reserve the header; finish overwrites the
    // last eight bytes with the directory's offset and length.
    char reserved[kHeaderLength];
    for (int i = 0; i < 3; ++i) std::memcpy(reserved + 4 * i, kArchiveMagic, 4);
    if (!writeAll(writer->file, reserved, sizeof reserved)) {
        delete writer;
        return nullptr;
    }
    return writer;
}

ArchiveWriter::~ArchiveWriter() {
    if (file) std::fclose(file);
    while (entries) {
        ArchiveEntry* entry = entries;
        entries = entry->next;
        std::free(entry->name);
        delete entry;
    }
}

std::uint32_t ArchiveWriter::addEntry(const char* name, const void* data, std::uint32_t length,
                                      std::uint32_t codecWord) {
    if (writeFailed || !name || (!data && length)) return 0;
    const std::size_t nameLength = std::strlen(name);
    if (nameLength > kMaxNameLength) return 0;
    const long position = std::ftell(file);
    if (position < 0) return 0;

    std::unique_ptr<ArchiveEntry> entry(new (std::nothrow) ArchiveEntry);
    if (!entry) return 0;
    entry->name = static_cast<char*>(std::malloc(nameLength + 1));
    if (!entry->name) return 0;
    std::memcpy(entry->name, name, nameLength + 1);
    entry->offset = static_cast<std::uint32_t>(position);
    entry->size = length;
    entry->codecWord = codecWord;

    std::unique_ptr<PackedBlock> block(
        packChain(static_cast<const unsigned char*>(data), length, entry->codecWord));
    if (!block || static_cast<unsigned long long>(position) + 4 + block->length > 0xFFFFFFFFull) {
        std::free(entry->name);
        return 0;
    }
    if (!writeBlock(file, *block)) {
        writeFailed = true;
        std::free(entry->name);
        return 0;
    }
    entry->next = entries;
    entries = entry.release();
    ++count;
    return block->length;
}

int ArchiveWriter::finish(std::uint32_t directoryCodecWord) {
    if (writeFailed) return 0;
    const long directoryOffset = std::ftell(file);
    if (directoryOffset < 0) return 0;

    unsigned long long directoryLength = 0;
    for (const ArchiveEntry* entry = entries; entry; entry = entry->next) {
        directoryLength += kRecordFixedLength + std::strlen(entry->name);
    }
    if (directoryLength > 0xFFFFFFFFull) return 0;
    std::unique_ptr<unsigned char, decltype(&std::free)> records(
        allocateBytes(static_cast<std::uint32_t>(directoryLength)), &std::free);
    if (!records) return 0;
    unsigned char* p = records.get();
    for (const ArchiveEntry* entry = entries; entry; entry = entry->next) {
        const std::uint16_t nameLength = static_cast<std::uint16_t>(std::strlen(entry->name));
        writeLE32(p, entry->size);
        writeLE32(p + 4, entry->offset);
        writeLE32(p + 8, entry->codecWord);
        writeLE16(p + 12, nameLength);
        std::memcpy(p + kRecordFixedLength, entry->name, nameLength);
        p += kRecordFixedLength + nameLength;
    }
    std::uint32_t word = directoryCodecWord;
    std::unique_ptr<PackedBlock> block(
        packChain(records.get(), static_cast<std::uint32_t>(directoryLength), word));
    records.reset();
    if (!block) return 0;

    unsigned char wordBytes[4];
    writeLE32(wordBytes, word);
    const unsigned long long end = static_cast<unsigned long long>(directoryOffset) + 4 + 4 +
                                   block->length + kFooterLength;
    if (end > 0xFFFFFFFFull) return 0;
    unsigned char footer[kFooterLength];
    writeLE32(footer, static_cast<std::uint32_t>(end));
    std::memcpy(footer + 4, kFooterMagic, 4);
    unsigned char header[8];
    writeLE32(header, static_cast<std::uint32_t>(directoryOffset));
    writeLE32(header + 4, static_cast<std::uint32_t>(directoryLength));

    const bool written = std::fwrite(wordBytes, 1, 4, file) == 4 && writeBlock(file, *block) &&
                         writeAll(file, footer, kFooterLength) && std::fseek(file, 4, SEEK_SET) == 0 &&
                         writeAll(file, header, sizeof header);
    const int closed = std::fclose(file);
    file = nullptr;
    if (!written || closed != 0) {
        writeFailed = true;
        return 0;
    }
    delete this;
    return 1;
}
