// The writer: the bytes it lays down, and reading them back.
#include "archive/Archive.h"
#include "archive/ArchiveWriter.h"
#include "archive/Codec.h"

#include "TestSupport.h"

#include <csignal>
#include <string>
#include <sys/resource.h>
#include <zlib.h>

namespace {

std::string pictureName(int i) { return "data/2t" + std::to_string(i) + ".png"; }

ByteVector pictureBytes(int i) {
    return i % 3 == 0 ? sampleNoise(500 + 37 * i, static_cast<std::uint32_t>(i)) : sampleText(800 + 50 * i);
}

class WriterTest : public ::testing::Test {
protected:
    ScratchDir dir;
};

TEST_F(WriterTest, NineteenFilesLayout) {
    const std::string path = dir.file("show.dat");
    ArchiveWriter* writer = createArchive(path.c_str());
    ASSERT_NE(writer, nullptr);
    std::vector<std::uint32_t> packedLengths;
    for (int i = 1; i <= 19; ++i) {
        const ByteVector data = pictureBytes(i);
        const std::uint32_t packed =
            writer->addEntry(pictureName(i).c_str(), data.data(), static_cast<std::uint32_t>(data.size()), 1);
        ASSERT_GT(packed, 0u) << i;
        packedLengths.push_back(packed);
    }
    EXPECT_EQ(writer->entryCount(), 19u);
    ASSERT_EQ(writer->finish(1), 1);  // the writer is gone now

    const ByteVector file = readFile(path);
    ASSERT_GT(file.size(), 20u);
    EXPECT_EQ(ByteVector(file.begin(), file.begin() + 4), bytesOf("WQX3"));
    // Blocks in the order added, from offset 12.
    std::size_t at = 12;
    std::vector<std::uint32_t> offsets;
    for (int i = 0; i < 19; ++i) {
        offsets.push_back(static_cast<std::uint32_t>(at));
        EXPECT_EQ(getLE32(file, at), packedLengths[i]);
        EXPECT_EQ(getLE32(file, at + 4), pictureBytes(i + 1).size());  // ZLIB's size field
        at += 4 + packedLengths[i];
    }
    EXPECT_EQ(getLE32(file, 4), at);  // the directory follows the last block
    EXPECT_EQ(getLE32(file, at), 1u);  // directory codec word
    // The footer holds the file's length and its magic.
    EXPECT_EQ(getLE32(file, file.size() - 8), file.size());
    EXPECT_EQ(ByteVector(file.end() - 4, file.end()), bytesOf("3WQX"));

    // Inflate the directory: newest first, so file 19 leads.
    const std::uint32_t packedDirectory = getLE32(file, at + 4);
    std::uint32_t decoded = 0;
    unsigned char* records = unpackChain(file.data() + at + 8, packedDirectory, 1, &decoded);
    ASSERT_NE(records, nullptr);
    ASSERT_EQ(decoded, getLE32(file, 8));
    const ByteVector directory(records, records + decoded);
    std::free(records);
    std::size_t r = 0;
    for (int i = 19; i >= 1; --i) {
        const std::string name = pictureName(i);
        EXPECT_EQ(getLE32(directory, r), pictureBytes(i).size());
        EXPECT_EQ(getLE32(directory, r + 4), offsets[i - 1]);
        EXPECT_EQ(getLE32(directory, r + 8), 1u);
        EXPECT_EQ(directory[r + 12] | (directory[r + 13] << 8), static_cast<int>(name.size()));
        EXPECT_EQ(std::string(directory.begin() + r + 14, directory.begin() + r + 14 + name.size()), name);
        r += 14 + name.size();
    }
    EXPECT_EQ(r, directory.size());

    // Read back, stand-alone and appended to another file.
    ByteVector program = sampleNoise(3333, 5);
    putBytes(program, file);
    ASSERT_TRUE(writeFile(dir.file("program"), program));
    for (const std::string& p : {path, dir.file("program")}) {
        Archive* archive = openArchive(p.c_str(), 0);
        ASSERT_NE(archive, nullptr) << p;
        int i = 1;
        for (const ArchiveEntry* e = archive->firstEntry(); e; e = e->next, ++i) {
            EXPECT_EQ(e->name, pictureName(i));
            EXPECT_EQ(readAll(*archive, e->name), pictureBytes(i));
        }
        EXPECT_EQ(i, 20);
        delete archive;
    }
}

TEST_F(WriterTest, ZlibBlockIsSizeAndStreamWithoutChecksum) {
    const std::string path = dir.file("z.dat");
    const ByteVector data = sampleText(4096);
    ArchiveWriter* writer = createArchive(path.c_str());
    ASSERT_NE(writer, nullptr);
    ASSERT_GT(writer->addEntry("z", data.data(), 4096, 1), 0u);
    ASSERT_EQ(writer->finish(0), 1);

    ByteVector stream(compressBound(data.size()));
    uLongf streamLength = stream.size();
    ASSERT_EQ(compress(stream.data(), &streamLength, data.data(), data.size()), Z_OK);
    const ByteVector file = readFile(path);
    ASSERT_EQ(getLE32(file, 12), streamLength);
    EXPECT_EQ(getLE32(file, 16), 4096u);
    EXPECT_TRUE(std::equal(file.begin() + 20, file.begin() + 20 + (streamLength - 4), stream.begin()));
    EXPECT_EQ(getLE32(file, 4), 12 + 4 + streamLength);
}

TEST_F(WriterTest, EmptyArchiveBytes) {
    const std::string path = dir.file("empty.dat");
    ArchiveWriter* writer = createArchive(path.c_str());
    ASSERT_NE(writer, nullptr);
    ASSERT_EQ(writer->finish(0), 1);
    ByteVector expected;
    putBytes(expected, "WQX3");
    putLE32(expected, 12);
    putLE32(expected, 0);
    putLE32(expected, 0);
    putLE32(expected, 0);
    putLE32(expected, 28);
    putBytes(expected, "3WQX");
    EXPECT_EQ(readFile(path), expected);
    Archive* archive = openArchive(path.c_str());
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->firstEntry(), nullptr);
    delete archive;
}

TEST_F(WriterTest, BestSelectionStoresTheWinner) {
    const std::string path = dir.file("best.dat");
    const struct {
        const char* name;
        ByteVector data;
        std::uint32_t word;
        std::uint32_t stored;
    } cases[] = {
        {"text", sampleText(3000), 0x0000FFFF, 0x00000001},
        {"noise", sampleNoise(7728), 0x0000FFFF, 0x00000000},
        {"delta", sampleText(3000), 0x0002FFFF, 0x00020001},
        {"murk", sampleText(3000), 0x7400FFFF, 0x74000001},
        {"murk-noise", sampleNoise(900), 0x7400FFFF, 0x74000000},
    };
    ArchiveWriter* writer = createArchive(path.c_str());
    ASSERT_NE(writer, nullptr);
    for (const auto& c : cases) {
        ASSERT_GT(writer->addEntry(c.name, c.data.data(), static_cast<std::uint32_t>(c.data.size()), c.word), 0u);
    }
    ASSERT_EQ(writer->finish(0xFFFF), 1);

    Archive* archive = openArchive(path.c_str());
    ASSERT_NE(archive, nullptr);
    for (const auto& c : cases) {
        const ArchiveEntry* e = archive->findEntry(c.name);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->codecWord, c.stored) << c.name;
        EXPECT_EQ(readAll(*archive, c.name), c.data);
    }
    // The noise is stored as it is: its block holds the bytes unchanged.
    std::FILE* f = archive->openEntryStream("noise");
    ASSERT_NE(f, nullptr);
    ByteVector stored(7728);
    ASSERT_EQ(std::fread(stored.data(), 1, stored.size(), f), stored.size());
    archive->closeEntryStream(f);
    EXPECT_EQ(stored, sampleNoise(7728));
    delete archive;

    const ByteVector file = readFile(path);
    EXPECT_EQ(getLE32(file, getLE32(file, 4)) & 0xFFFF, 1u);  // the directory compresses
}

TEST_F(WriterTest, SameNameTwiceReadsTheFirstCopy) {
    const std::string path = dir.file("twice.dat");
    ArchiveWriter* writer = createArchive(path.c_str());
    ASSERT_NE(writer, nullptr);
    ASSERT_GT(writer->addEntry("n", "first", 5, 0), 0u);
    ASSERT_GT(writer->addEntry("n", "second!", 7, 1), 0u);
    ASSERT_EQ(writer->finish(1), 1);
    EXPECT_EQ(getLE32(readFile(path), 8), 2u * (14 + 1));  // two records
    Archive* archive = openArchive(path.c_str());
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(readAll(*archive, "n"), bytesOf("first"));
    delete archive;
}

TEST_F(WriterTest, EmptyEntryIsRecordedThoughItReturnsZero) {
    const std::string path = dir.file("e.dat");
    ArchiveWriter* writer = createArchive(path.c_str());
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(writer->addEntry("empty", nullptr, 0, 0), 0u);
    EXPECT_EQ(writer->entryCount(), 1u);
    EXPECT_EQ(writer->addEntry("also-empty", "", 0, 0xFFFF), 0u);  // None wins on empty data
    EXPECT_EQ(writer->entryCount(), 2u);
    ASSERT_EQ(writer->finish(0), 1);
    Archive* archive = openArchive(path.c_str());
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->hasEntry("empty"), 1);
    EXPECT_EQ(archive->findEntry("also-empty")->codecWord, 0u);
    std::int32_t size = -1;
    void* data = archive->readEntry("empty", size);
    EXPECT_NE(data, nullptr);
    EXPECT_EQ(size, 0);
    std::free(data);
    delete archive;
}

TEST_F(WriterTest, Refusals) {
    const std::string path = dir.file("r.dat");
    ArchiveWriter* writer = createArchive(path.c_str());
    ASSERT_NE(writer, nullptr);
    const std::string longest(65535, 'n');
    const std::string tooLong(65536, 'n');
    EXPECT_EQ(writer->addEntry(tooLong.c_str(), "abc", 3, 0), 0u);
    EXPECT_EQ(writer->addEntry("unknown", "abc", 3, 0x00000101), 0u);  // no fallback when packing
    EXPECT_EQ(writer->addEntry("unknown-filter", "abc", 3, 0x00040000), 0u);
    EXPECT_EQ(writer->addEntry(nullptr, "abc", 3, 0), 0u);
    EXPECT_EQ(writer->entryCount(), 0u);
    EXPECT_EQ(writer->addEntry(longest.c_str(), "abc", 3, 0), 3u);

    // A directory word nobody has fails before anything is written; the
    // writer stays and can finish again.
    EXPECT_EQ(writer->finish(0x00000042), 0);
    EXPECT_EQ(writer->finish(1), 1);

    Archive* archive = openArchive(path.c_str());
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(readAll(*archive, longest.c_str()), bytesOf("abc"));
    EXPECT_EQ(archive->firstEntry()->next, nullptr);
    delete archive;

    EXPECT_EQ(createArchive(dir.file("no/such/folder/x.dat").c_str()), nullptr);
    EXPECT_EQ(createArchive(nullptr), nullptr);
}

TEST_F(WriterTest, FullDeviceFailsAtCreation) {
    EXPECT_EQ(createArchive("/dev/full"), nullptr);
}

// Caps the size of files this process may write, so that a write past the
// cap fails the way a full disk does.
class FileSizeCap {
public:
    explicit FileSizeCap(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit cap = saved_;
        cap.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &cap);
    }
    ~FileSizeCap() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

TEST_F(WriterTest, WriteErrorsInAddEntry) {
    const std::string path = dir.file("full.dat");
    const ByteVector big = sampleNoise(20000);
    FileSizeCap cap(8192);
    ArchiveWriter* writer = createArchive(path.c_str());
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(writer->addEntry("small", "abc", 3, 0), 3u);
    EXPECT_EQ(writer->addEntry("big", big.data(), 20000, 0), 0u);
    EXPECT_TRUE(writer->failed());
    EXPECT_EQ(writer->entryCount(), 1u);
    EXPECT_EQ(writer->addEntry("small2", "abc", 3, 0), 0u);
    EXPECT_EQ(writer->finish(0), 0);
    delete writer;  // abandoned
}

TEST_F(WriterTest, WriteErrorsInFinish) {
    const std::string path = dir.file("full.dat");
    const ByteVector block = sampleNoise(8000);
    FileSizeCap cap(8192);
    ArchiveWriter* writer = createArchive(path.c_str());
    ASSERT_NE(writer, nullptr);
    ASSERT_EQ(writer->addEntry("fits", block.data(), 8000, 0), 8000u);  // 12 + 4 + 8000 bytes
    // A name long enough that the directory no longer fits under the cap.
    const std::string name(300, 'd');
    EXPECT_EQ(writer->addEntry(name.c_str(), "", 0, 0), 0u);
    EXPECT_EQ(writer->entryCount(), 2u);
    EXPECT_EQ(writer->finish(0), 0);
    EXPECT_TRUE(writer->failed());
    EXPECT_EQ(writer->finish(0), 0);
    delete writer;
}

}  // namespace
