// The reader, over archives written by hand from the byte layout, so that it
// is checked against the format rather than against the writer.
#include "archive/Archive.h"
#include "archive/Codec.h"

#include "TestSupport.h"

#include <cstring>
#include <string>
#include <zlib.h>

namespace {

struct HandRecord {
    std::string name;
    ByteVector stored;   // the bytes of the entry's PackedBlock
    std::uint32_t size;  // unpacked size as recorded
    std::uint32_t word;
};

struct HandOptions {
    std::uint32_t directoryWord = 0;
    bool overrideDirectoryLength = false;
    std::uint32_t directoryLength = 0;
    std::size_t cutRecordBytes = 0;  // drop bytes from the end of the records
};

// Blocks in the order given, the directory newest first, stored with the
// directory word (only 0 and 1 are built here), then the footer.
ByteVector handArchive(const std::vector<HandRecord>& records, const HandOptions& options = {}) {
    ByteVector out;
    putBytes(out, "WQX3");
    putLE32(out, 0);
    putLE32(out, 0);
    std::vector<std::uint32_t> offsets;
    for (const HandRecord& r : records) {
        offsets.push_back(static_cast<std::uint32_t>(out.size()));
        putLE32(out, static_cast<std::uint32_t>(r.stored.size()));
        putBytes(out, r.stored);
    }
    ByteVector directory;
    for (std::size_t i = records.size(); i-- > 0;) {
        putLE32(directory, records[i].size);
        putLE32(directory, offsets[i]);
        putLE32(directory, records[i].word);
        putLE16(directory, static_cast<std::uint16_t>(records[i].name.size()));
        putBytes(directory, records[i].name);
    }
    const std::uint32_t directoryLength =
        options.overrideDirectoryLength ? options.directoryLength : static_cast<std::uint32_t>(directory.size());
    directory.resize(directory.size() - options.cutRecordBytes);

    ByteVector storedDirectory = directory;
    if (options.directoryWord == 1) {
        storedDirectory.clear();
        putLE32(storedDirectory, static_cast<std::uint32_t>(directory.size()));
        ByteVector stream(compressBound(directory.size()) + 1);
        uLongf length = stream.size();
        EXPECT_EQ(compress(stream.data(), &length, directory.data(), directory.size()), Z_OK);
        storedDirectory.insert(storedDirectory.end(), stream.begin(), stream.begin() + (length - 4));
    }
    const std::uint32_t directoryOffset = static_cast<std::uint32_t>(out.size());
    putLE32(out, options.directoryWord);
    putLE32(out, static_cast<std::uint32_t>(storedDirectory.size()));
    putBytes(out, storedDirectory);
    putLE32(out, static_cast<std::uint32_t>(out.size() + 8));
    putBytes(out, "3WQX");
    for (int i = 0; i < 4; ++i) {
        out[4 + i] = static_cast<unsigned char>(directoryOffset >> (8 * i));
        out[8 + i] = static_cast<unsigned char>(directoryLength >> (8 * i));
    }
    return out;
}

// A ZLIB record as the format stores it: size, then the stream without its
// Adler-32 checksum.
ByteVector zlibRecord(const ByteVector& data) {
    ByteVector stream(compressBound(data.size()));
    uLongf length = stream.size();
    EXPECT_EQ(compress(stream.data(), &length, data.data(), data.size()), Z_OK);
    ByteVector record;
    putLE32(record, static_cast<std::uint32_t>(data.size()));
    record.insert(record.end(), stream.begin(), stream.begin() + (length - 4));
    return record;
}

TEST(NameHash, Examples) {
    const struct {
        const char* name;
        std::uint32_t hash;
    } cases[] = {{"", 0}, {"a", 0x61}, {"ab", 0x0C200062}, {"data/2t1.png", 0x0E257972}};
    for (const auto& c : cases) EXPECT_EQ(static_cast<std::uint32_t>(nameHash(c.name)), c.hash) << c.name;
}

class ReaderTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const ByteVector& bytes) {
        const std::string path = dir.file(name);
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
    ScratchDir dir;
    const ByteVector picture = sampleNoise(300, 7);
    const ByteVector text = sampleText(2000);
};

TEST_F(ReaderTest, ReadsHandWrittenArchive) {
    // Byte by byte: header, two blocks, a plain directory, footer.
    ByteVector a;
    putBytes(a, "WQX3");
    putLE32(a, 12 + 4 + 5 + 4 + 5);  // directory offset: after both blocks
    putLE32(a, (14 + 3) + (14 + 5));  // directory length
    putLE32(a, 5), putBytes(a, "hello");  // block of "one" at 12
    putLE32(a, 5), putBytes(a, "moths");  // block of "two/b" at 21
    putLE32(a, 0);                        // directory codec word
    putLE32(a, 36);                       // packed directory length
    putLE32(a, 5), putLE32(a, 21), putLE32(a, 0), putLE16(a, 5), putBytes(a, "two/b");
    putLE32(a, 5), putLE32(a, 12), putLE32(a, 0), putLE16(a, 3), putBytes(a, "one");
    putLE32(a, static_cast<std::uint32_t>(a.size() + 8));
    putBytes(a, "3WQX");

    Archive* archive = openArchive(write("hand.dat", a).c_str());
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(readAll(*archive, "one"), bytesOf("hello"));
    EXPECT_EQ(readAll(*archive, "two/b"), bytesOf("moths"));
    EXPECT_EQ(archive->entryPosition("one"), 12u);
    EXPECT_EQ(archive->entryPosition("two/b"), 21u);
    // The entry list holds the entry created last first: parsing meets the
    // newest record first, so the list comes out in block order.
    const ArchiveEntry* first = archive->firstEntry();
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->name, "one");
    ASSERT_NE(first->next, nullptr);
    EXPECT_STREQ(first->next->name, "two/b");
    EXPECT_EQ(first->next->next, nullptr);
    delete archive;
}

TEST_F(ReaderTest, LookupsAndDescriptions) {
    const ByteVector a = handArchive({{"data/2t1.png", zlibRecord(text), 2000, 1},
                                      {"data/2t3.png", picture, 300, 0},
                                      {"odd", zlibRecord(text), 2000, 0x00000101}},
                                     {1});
    Archive* archive = openArchive(write("a.dat", a).c_str());
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(readAll(*archive, "data/2t1.png"), text);
    EXPECT_EQ(readAll(*archive, "data/2t3.png"), picture);
    EXPECT_EQ(readAll(*archive, "odd"), text);  // 0x0101: bits 0-7 select ZLIB

    EXPECT_EQ(archive->hasEntry("data/2t1.png"), 1);
    EXPECT_EQ(archive->entrySize("data/2t1.png"), 2000u);
    for (const char* other : {"Data/2t1.png", "data\\2t1.png", "data/2t1.png ", "/data/2t1.png", "data/2t1"}) {
        EXPECT_EQ(archive->hasEntry(other), 0) << other;
        EXPECT_EQ(archive->findEntry(other), nullptr) << other;
    }

    EXPECT_STREQ(archive->compressorDescription("data/2t1.png"), codecDescription(1));
    EXPECT_STREQ(archive->innerFilterDescription("data/2t1.png"), "No compression");
    EXPECT_STREQ(archive->outerFilterDescription("data/2t1.png"), "No compression");
    EXPECT_STREQ(archive->compressorDescription("odd"), "Unknown");  // no fallback here
    EXPECT_EQ(archive->compressorDescription("missing"), nullptr);
    EXPECT_EQ(archive->innerFilterDescription("missing"), nullptr);
    EXPECT_EQ(archive->outerFilterDescription("missing"), nullptr);
    delete archive;
}

TEST_F(ReaderTest, MissingNames) {
    Archive* archive = openArchive(write("a.dat", handArchive({{"x", picture, 300, 0}})).c_str());
    ASSERT_NE(archive, nullptr);
    std::int32_t size = 77;
    EXPECT_EQ(archive->readEntry("y", size), nullptr);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(archive->readEntry("y"), nullptr);
    EXPECT_EQ(archive->hasEntry("y"), 0);
    EXPECT_EQ(archive->entrySize("y"), 0u);
    EXPECT_EQ(archive->entryPosition("y"), 0u);
    EXPECT_EQ(archive->openEntryStream("y"), nullptr);
    unsigned char buffer[8];
    EXPECT_EQ(archive->readEntryInto("y", buffer, 8), 0);
    delete archive;
}

TEST_F(ReaderTest, ReadEntryIntoCopiesTheSmallerOfSizeAndCapacity) {
    Archive* archive = openArchive(write("a.dat", handArchive({{"x", picture, 300, 0}})).c_str());
    ASSERT_NE(archive, nullptr);
    const struct {
        std::int32_t capacity;
        std::int32_t copied;
    } cases[] = {{0, 0}, {1, 1}, {299, 299}, {300, 300}, {1000, 300}, {-5, 0}};
    for (const auto& c : cases) {
        ByteVector buffer(1000, 0xEE);
        EXPECT_EQ(archive->readEntryInto("x", buffer.data(), c.capacity), c.copied) << c.capacity;
        EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + c.copied, picture.begin()));
        EXPECT_EQ(buffer[c.copied], 0xEE) << c.capacity;
    }
    delete archive;
}

TEST_F(ReaderTest, FindsHeaderThroughFooter) {
    const ByteVector archiveBytes = handArchive({{"data/2t1.png", zlibRecord(text), 2000, 1}}, {1});
    ByteVector executable = sampleNoise(5000, 99);
    putBytes(executable, archiveBytes);
    const std::string path = write("program", executable);

    Archive* archive = openArchive(path.c_str(), 0);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(readAll(*archive, "data/2t1.png"), text);
    EXPECT_EQ(archive->entryPosition("data/2t1.png"), 5000u + 12u);
    delete archive;

    // The header is also found where the caller says it is.
    Archive direct;
    ASSERT_EQ(direct.addSource(path.c_str(), 5000), 1);
    EXPECT_EQ(readAll(direct, "data/2t1.png"), text);

    // A stand-alone archive is found at offset 0.
    archive = openArchive(write("alone.dat", archiveBytes).c_str());
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->entryPosition("data/2t1.png"), 12u);
    delete archive;
}

TEST_F(ReaderTest, NoArchiveWithoutHeaderOrFooter) {
    ByteVector badFooter = sampleNoise(100);
    putLE32(badFooter, 50);  // points into noise
    putBytes(badFooter, "3WQX");
    ByteVector hugeFooter;
    putLE32(hugeFooter, 0xFFFFFFF0u);
    putBytes(hugeFooter, "3WQX");
    const ByteVector cases[] = {ByteVector{}, bytesOf("WQX"), sampleNoise(4000), badFooter, hugeFooter};
    int i = 0;
    for (const ByteVector& bytes : cases) {
        const std::string path = write("case" + std::to_string(i++), bytes);
        EXPECT_EQ(openArchive(path.c_str()), nullptr) << i;
    }
    EXPECT_EQ(openArchive(dir.file("does-not-exist").c_str()), nullptr);
    EXPECT_EQ(openArchiveFile(nullptr), nullptr);
}

TEST_F(ReaderTest, EmptyArchive) {
    ByteVector a;
    putBytes(a, "WQX3");
    putLE32(a, 12);
    putLE32(a, 0);
    putLE32(a, 0);  // directory codec word
    putLE32(a, 0);  // no packed bytes
    putLE32(a, 28);
    putBytes(a, "3WQX");
    EXPECT_EQ(a, handArchive({}));
    Archive* archive = openArchive(write("empty.dat", a).c_str());
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->firstEntry(), nullptr);
    EXPECT_EQ(archive->hasEntry(""), 0);
    delete archive;
}

TEST_F(ReaderTest, DuplicateInOneDirectoryReadsTheLaterRecord) {
    // Records are newest first, so the later record is the block added first.
    const ByteVector a = handArchive({{"same", bytesOf("first"), 5, 0}, {"same", zlibRecord(text), 2000, 1}});
    Archive* archive = openArchive(write("dup.dat", a).c_str());
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(readAll(*archive, "same"), bytesOf("first"));
    EXPECT_EQ(archive->entrySize("same"), 5u);
    ASSERT_NE(archive->firstEntry(), nullptr);
    EXPECT_EQ(archive->firstEntry()->next, nullptr);
    delete archive;
}

TEST_F(ReaderTest, LaterSourceWinsAndKeepsListPlace) {
    const std::string older = write("older.dat", handArchive({{"a", bytesOf("old-a"), 5, 0}, {"b", bytesOf("bb"), 2, 0}}));
    const std::string newer = write("newer.dat", handArchive({{"a", zlibRecord(text), 2000, 1}, {"c", bytesOf("c"), 1, 0}}));
    Archive* archive = openArchive(older.c_str());
    ASSERT_NE(archive, nullptr);
    ASSERT_EQ(archive->addSource(newer.c_str()), 1);
    EXPECT_EQ(readAll(*archive, "a"), text);
    EXPECT_EQ(archive->entrySize("a"), 2000u);
    EXPECT_EQ(archive->findEntry("a")->codecWord, 1u);
    EXPECT_EQ(readAll(*archive, "b"), bytesOf("bb"));

    std::vector<std::string> order;
    for (const ArchiveEntry* e = archive->firstEntry(); e; e = e->next) order.push_back(e->name);
    EXPECT_EQ(order, (std::vector<std::string>{"c", "a", "b"}));
    delete archive;
}

TEST_F(ReaderTest, StreamSourceOwnsItsStream) {
    ByteVector prefixed = sampleNoise(64, 3);
    putBytes(prefixed, handArchive({{"x", picture, 300, 0}}));
    std::FILE* stream = std::fopen(write("s.dat", prefixed).c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    Archive* archive = openArchiveFile(stream);  // header through the footer
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(readAll(*archive, "x"), picture);

    std::FILE* entry = archive->openEntryStream("x");
    EXPECT_EQ(entry, stream);
    EXPECT_EQ(std::ftell(entry), 64 + 12 + 4);
    ByteVector head(10);
    ASSERT_EQ(std::fread(head.data(), 1, 10, entry), 10u);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), picture.begin()));
    archive->closeEntryStream(entry);  // must leave the source's stream open
    EXPECT_EQ(readAll(*archive, "x"), picture);
    delete archive;  // closes the stream
}

TEST_F(ReaderTest, StreamSourceStartsAtCurrentPosition) {
    ByteVector bytes = sampleNoise(40, 4);
    putBytes(bytes, handArchive({{"x", picture, 300, 0}}));
    bytes.resize(bytes.size() - 8);  // no footer: only the position finds it
    std::FILE* stream = std::fopen(write("s.dat", bytes).c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    ASSERT_EQ(std::fseek(stream, 40, SEEK_SET), 0);
    Archive archive;
    ASSERT_EQ(archive.addSourceFile(stream), 1);
    EXPECT_EQ(readAll(archive, "x"), picture);
    EXPECT_EQ(archive.entryPosition("x"), 52u);
}

TEST_F(ReaderTest, PathSourceEntryStreamIsNew) {
    Archive* archive = openArchive(write("p.dat", handArchive({{"x", picture, 300, 0}})).c_str());
    ASSERT_NE(archive, nullptr);
    std::FILE* entry = archive->openEntryStream("x");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(std::ftell(entry), 12 + 4);
    ByteVector all(300);
    ASSERT_EQ(std::fread(all.data(), 1, 300, entry), 300u);
    EXPECT_EQ(all, picture);
    archive->closeEntryStream(entry);  // closes it: a leak would show under the sanitizers
    delete archive;
}

TEST_F(ReaderTest, PathSourceReopensForEveryRead) {
    const std::string path = write("gone.dat", handArchive({{"x", picture, 300, 0}}));
    Archive* archive = openArchive(path.c_str());
    ASSERT_NE(archive, nullptr);
    ASSERT_EQ(std::remove(path.c_str()), 0);
    std::int32_t size = 0;
    EXPECT_EQ(archive->readEntry("x", size), nullptr);
    EXPECT_EQ(size, 300);
    EXPECT_EQ(archive->hasEntry("x"), 1);
    delete archive;
}

TEST_F(ReaderTest, DecodedLengthMustMatchRecordedSize) {
    const ByteVector a = handArchive({{"short", picture, 301, 0},
                                      {"long", picture, 299, 0},
                                      {"zshort", zlibRecord(text), 2001, 1},
                                      {"ok", picture, 300, 0}});
    Archive* archive = openArchive(write("m.dat", a).c_str());
    ASSERT_NE(archive, nullptr);
    for (const char* name : {"short", "long", "zshort"}) {
        std::int32_t size = 0;
        EXPECT_EQ(archive->readEntry(name, size), nullptr) << name;
        EXPECT_EQ(size, static_cast<std::int32_t>(archive->entrySize(name))) << name;
        unsigned char buffer[4];
        EXPECT_EQ(archive->readEntryInto(name, buffer, 4), 0) << name;
    }
    EXPECT_EQ(readAll(*archive, "ok"), picture);
    delete archive;
}

TEST_F(ReaderTest, DamagedEntryBlocksFailToRead) {
    ByteVector a = handArchive({{"x", picture, 300, 0}, {"y", bytesOf("y"), 1, 0x00000042}});
    a[12] = 0xFF, a[13] = 0xFF, a[14] = 0xFF, a[15] = 0x7F;  // x's packed length runs past the file
    Archive* archive = openArchive(write("d.dat", a).c_str());
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->readEntry("x"), nullptr);
    EXPECT_EQ(archive->readEntry("y"), nullptr);  // no codec 0x42
    delete archive;
}

struct RefusedCase {
    const char* what;
    ByteVector bytes;
};

std::vector<RefusedCase> refusedDirectories() {
    const std::vector<HandRecord> records = {{"abc", bytesOf("abc"), 3, 0}, {"defg", bytesOf("defg"), 4, 0}};
    std::vector<RefusedCase> cases;
    HandOptions longer;
    longer.overrideDirectoryLength = true;
    longer.directoryLength = 14 + 3 + 14 + 4 + 1;
    cases.push_back({"directory length above the decoded bytes", handArchive(records, longer)});
    HandOptions zlibLonger = longer;
    zlibLonger.directoryWord = 1;
    cases.push_back({"same, directory stored with ZLIB", handArchive(records, zlibLonger)});
    HandOptions cut;
    cut.cutRecordBytes = 2;
    cut.overrideDirectoryLength = true;
    cut.directoryLength = 14 + 3 + 14 + 4 - 2;
    cases.push_back({"last record's name runs past the bytes", handArchive(records, cut)});
    HandOptions cutFixed;
    cutFixed.cutRecordBytes = 3 + 14 + 4 - 5;
    cutFixed.overrideDirectoryLength = true;
    cutFixed.directoryLength = 14 + 4 + 1;
    cases.push_back({"last record's fixed part runs past the bytes", handArchive(records, cutFixed)});

    ByteVector unknownWord = handArchive(records);
    const std::size_t directoryAt = getLE32(unknownWord, 4);
    unknownWord[directoryAt] = 0x42;
    cases.push_back({"directory codec nobody has", unknownWord});

    ByteVector hugeBlock = handArchive(records);
    hugeBlock[directoryAt + 7] = 0x7F;
    cases.push_back({"directory block longer than the file", hugeBlock});

    ByteVector badOffset = handArchive(records);
    badOffset[7] = 0x40;
    cases.push_back({"directory offset past the end", badOffset});

    ByteVector truncated = handArchive(records);
    truncated.resize(20);
    cases.push_back({"file cut after the first block", truncated});
    return cases;
}

TEST_F(ReaderTest, RefusesBrokenDirectoriesAndLeavesArchiveUnchanged) {
    const std::string good = write("good.dat", handArchive({{"keep", bytesOf("kept"), 4, 0}}));
    for (const RefusedCase& c : refusedDirectories()) {
        Archive* archive = openArchive(good.c_str());
        ASSERT_NE(archive, nullptr);
        const std::string path = write("broken.dat", c.bytes);
        EXPECT_EQ(archive->addSource(path.c_str()), 0) << c.what;
        EXPECT_EQ(openArchive(path.c_str()), nullptr) << c.what;
        std::FILE* stream = std::fopen(path.c_str(), "rb");
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(archive->addSourceFile(stream), 0) << c.what;  // closes the stream
        EXPECT_STREQ(archive->firstEntry()->name, "keep") << c.what;
        EXPECT_EQ(archive->firstEntry()->next, nullptr) << c.what;
        EXPECT_EQ(readAll(*archive, "keep"), bytesOf("kept"));
        delete archive;
    }
}

TEST_F(ReaderTest, ZeroByteEndsAName) {
    const ByteVector a = handArchive({{std::string("ab\0cd", 5), bytesOf("z"), 1, 0}});
    Archive* archive = openArchive(write("z.dat", a).c_str());
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(readAll(*archive, "ab"), bytesOf("z"));
    delete archive;
}

// A stream over memory that records whether it was closed.
struct TrackedStream {
    ByteVector bytes;
    long position = 0;
    bool closed = false;
};

ssize_t trackedRead(void* cookie, char* buffer, size_t size) {
    auto* s = static_cast<TrackedStream*>(cookie);
    const size_t left = s->bytes.size() - static_cast<size_t>(s->position);
    const size_t n = size < left ? size : left;
    std::memcpy(buffer, s->bytes.data() + s->position, n);
    s->position += static_cast<long>(n);
    return static_cast<ssize_t>(n);
}

int trackedSeek(void* cookie, off64_t* offset, int whence) {
    auto* s = static_cast<TrackedStream*>(cookie);
    long base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? s->position : static_cast<long>(s->bytes.size());
    const long target = base + static_cast<long>(*offset);
    if (target < 0 || target > static_cast<long>(s->bytes.size())) return -1;
    s->position = target;
    *offset = target;
    return 0;
}

int trackedClose(void* cookie) {
    static_cast<TrackedStream*>(cookie)->closed = true;
    return 0;
}

std::FILE* openTracked(TrackedStream& s) {
    cookie_io_functions_t io = {trackedRead, nullptr, trackedSeek, trackedClose};
    return fopencookie(&s, "rb", io);
}

TEST(AddSourceFile, ClosesTheStreamOnEveryFailureAndOwnsItAfterSuccess) {
    ByteVector unknownDirectoryWord;
    putBytes(unknownDirectoryWord, "WQX3");
    putLE32(unknownDirectoryWord, 12);
    putLE32(unknownDirectoryWord, 0);
    putLE32(unknownDirectoryWord, 0x42);
    putLE32(unknownDirectoryWord, 0);
    putLE32(unknownDirectoryWord, 28);
    putBytes(unknownDirectoryWord, "3WQX");
    ByteVector unreadable = unknownDirectoryWord;
    unreadable[16] = 0xFF;  // the directory block's length runs past the end
    unreadable[12] = 0;
    const ByteVector failures[] = {sampleNoise(100), unknownDirectoryWord, unreadable};
    for (const ByteVector& bytes : failures) {
        TrackedStream s{bytes};
        std::FILE* f = openTracked(s);
        ASSERT_NE(f, nullptr);
        Archive archive;
        EXPECT_EQ(archive.addSourceFile(f), 0);
        EXPECT_TRUE(s.closed);
    }

    ByteVector good = unknownDirectoryWord;
    good[12] = 0;
    TrackedStream s{good};
    Archive* archive = openArchiveFile(openTracked(s));
    ASSERT_NE(archive, nullptr);
    EXPECT_FALSE(s.closed);
    delete archive;
    EXPECT_TRUE(s.closed);
}

}  // namespace
