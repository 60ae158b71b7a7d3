#include "archive/Archive.h"
#include "archive/ArchiveWriter.h"
#include "archive/Codec.h"
#include "image/Image.h"
#include "image/ImageBank.h"
#include "tests/image/ImageTestSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <iterator>
#include <string>

namespace {

// A scratch folder that becomes the working directory for one test, so
// relative picture names resolve inside it.
class ScratchFolder {
public:
    ScratchFolder()
    {
        char pattern[] = "/tmp/glowmoth-image-XXXXXX";
        const char* made = mkdtemp(pattern);
        path = made ? made : "";
        char old[4096];
        previous = getcwd(old, sizeof old) ? old : "/";
        if (!path.empty() && chdir(path.c_str()) != 0)
            path.clear();
    }
    ~ScratchFolder()
    {
        if (chdir(previous.c_str()) != 0)
            return;
        if (!path.empty())
            std::system(("rm -rf '" + path + "'").c_str());
    }
    bool ok() const { return !path.empty(); }

private:
    std::string path;
    std::string previous;
};

// Writes a solid picture as BMP under the given (relative) name; the bank
// recognises the format from the bytes, whatever the name says.
bool writePicture(const char* name, int w, int h, Uint32 colour)
{
    SDL_Surface* s = makeSolidSurface(w, h, colour);
    if (!s)
        return false;
    int rc = SDL_SaveBMP(s, name);
    SDL_FreeSurface(s);
    return rc == 0;
}

bool writeBytes(const char* name, const std::string& bytes)
{
    std::ofstream out(name, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

class FileBank : public DummyScreen {
protected:
    void SetUp() override
    {
        DummyScreen::SetUp();
        ASSERT_TRUE(scratch.ok());
        ASSERT_EQ(0, mkdir("data", 0755));
    }
    ScratchFolder scratch;
};

TEST_F(FileBank, LoadsAPictureFromAFileByItsRelativeName)
{
    ASSERT_TRUE(writePicture("data/2t1.png", 31, 20, 0x00FF00));
    FileImageBank bank;
    std::unique_ptr<Image> image(bank.load("data/2t1.png"));
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(31, image->width());
    EXPECT_EQ(20, image->height());
    EXPECT_EQ(0, image->draw(0, 10, 320, 240));
    EXPECT_EQ(0x00FF00u, pixel(320, 240));
}

TEST_F(FileBank, TwoLoadsGiveTwoIndependentImages)
{
    ASSERT_TRUE(writePicture("data/2t2.png", 8, 6, 0xFF0000));
    FileImageBank bank;
    Image* first = bank.load("data/2t2.png");
    std::unique_ptr<Image> second(bank.load("data/2t2.png"));
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first, second.get());
    EXPECT_NE(first->getSurface(), second->getSurface());
    delete first;
    EXPECT_EQ(0, second->draw(100, 100));
    EXPECT_EQ(0xFF0000u, pixel(100, 100));
}

TEST_F(FileBank, FailuresGiveNull)
{
    ASSERT_TRUE(writeBytes("data/notes.png", "this is not a picture at all"));
    ASSERT_TRUE(writeBytes("data/empty.png", ""));
    FileImageBank bank;
    for (const char* name : {"data/missing.png", "data/notes.png", "data/empty.png", "data", ""}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(nullptr, bank.load(name));
        EXPECT_EQ(nullptr, bank.loadSurface(name));
    }
}

TEST_F(FileBank, LoadSurfaceHandsTheDecodedSurfaceToTheCaller)
{
    ASSERT_TRUE(writePicture("data/2t3.png", 5, 7, 0x0000FF));
    FileImageBank bank;
    SDL_Surface* surface = bank.loadSurface("data/2t3.png");
    ASSERT_NE(nullptr, surface);
    EXPECT_EQ(5, surface->w);
    EXPECT_EQ(7, surface->h);
    // createImage takes the surface over; deleting the Image frees it.
    std::unique_ptr<Image> image(bank.createImage(surface));
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(surface, image->getSurface());
}

TEST_F(FileBank, CreateImageOfNullIsNull)
{
    FileImageBank bank;
    EXPECT_EQ(nullptr, bank.createImage(nullptr));
}

TEST_F(FileBank, StreamOperationsDecodeFromMemory)
{
    ASSERT_TRUE(writePicture("data/2t4.png", 3, 2, 0xFFFFFF));
    std::ifstream in("data/2t4.png", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty());

    FileImageBank bank;
    SDL_RWops* stream = SDL_RWFromMem(&bytes[0], static_cast<int>(bytes.size()));
    ASSERT_NE(nullptr, stream);
    std::unique_ptr<Image> image(bank.loadFromStream(stream, true));
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(3, image->width());

    // With closeStream false the stream stays the caller's.
    stream = SDL_RWFromMem(&bytes[0], static_cast<int>(bytes.size()));
    ASSERT_NE(nullptr, stream);
    SDL_Surface* surface = bank.loadSurfaceFromStream(stream, false);
    ASSERT_NE(nullptr, surface);
    EXPECT_EQ(2, surface->h);
    SDL_FreeSurface(surface);
    EXPECT_EQ(0, SDL_RWseek(stream, 0, RW_SEEK_SET));
    SDL_RWclose(stream);
}

std::string readFileBytes(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The BMP bytes of a solid picture, made through a scratch file.
std::string pictureBytes(int w, int h, Uint32 colour)
{
    if (!writePicture("scratch.bmp", w, h, colour))
        return {};
    std::string bytes = readFileBytes("scratch.bmp");
    std::remove("scratch.bmp");
    return bytes;
}

struct Entry {
    const char* name;
    std::string bytes;
};

bool writeArchive(const char* path, const std::vector<Entry>& entries)
{
    ArchiveWriter* writer = createArchive(path);
    if (!writer)
        return false;
    for (const Entry& e : entries)
        if (writer->addEntry(e.name, e.bytes.data(), static_cast<std::uint32_t>(e.bytes.size()), kCodecZlib) == 0) {
            delete writer;
            return false;
        }
    if (writer->finish(kCodecZlib) != 1) {
        delete writer;
        return false;
    }
    return true;
}

// An archive listing data/2t1.png (red 8x6) and data/notes.png (text), and
// files on disk: another data/2t1.png (blue 3x3), a real picture under
// data/notes.png, and data/disk.png (green 5x4) that the archive lacks.
class ArchiveBank : public FileBank {
protected:
    void SetUp() override
    {
        FileBank::SetUp();
        const std::string red = pictureBytes(8, 6, 0xFF0000);
        ASSERT_FALSE(red.empty());
        ASSERT_TRUE(writeArchive("pictures.dat", {{"data/2t1.png", red}, {"data/notes.png", "not a picture"}}));
        ASSERT_TRUE(writePicture("data/2t1.png", 3, 3, 0x0000FF));
        ASSERT_TRUE(writePicture("data/notes.png", 3, 3, 0x0000FF));
        ASSERT_TRUE(writePicture("data/disk.png", 5, 4, 0x00FF00));
        archive.reset(openArchive("pictures.dat"));
        ASSERT_NE(nullptr, archive);
        ASSERT_TRUE(archive->hasEntry("data/2t1.png"));
    }

    std::unique_ptr<Archive> archive;
};

TEST_F(ArchiveBank, ListedNameLoadsFromTheArchive)
{
    ArchiveImageBank bank(archive.get());
    std::unique_ptr<Image> image(bank.load("data/2t1.png"));
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(8, image->width());
    EXPECT_EQ(6, image->height());
    EXPECT_EQ(0, image->draw(0, 10, 320, 240));
    EXPECT_EQ(0xFF0000u, pixel(320, 240));

    SDL_Surface* surface = bank.loadSurface("data/2t1.png");
    ASSERT_NE(nullptr, surface);
    EXPECT_EQ(8, surface->w);
    SDL_FreeSurface(surface);
}

TEST_F(ArchiveBank, TwoLoadsGiveTwoIndependentImages)
{
    ArchiveImageBank bank(archive.get());
    Image* first = bank.load("data/2t1.png");
    std::unique_ptr<Image> second(bank.load("data/2t1.png"));
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first->getSurface(), second->getSurface());
    delete first;
    EXPECT_EQ(0, second->draw(100, 100));
    EXPECT_EQ(0xFF0000u, pixel(100, 100));
}

TEST_F(ArchiveBank, UnlistedNameLoadsFromTheFile)
{
    ArchiveImageBank bank(archive.get());
    ASSERT_FALSE(archive->hasEntry("data/disk.png"));
    std::unique_ptr<Image> image(bank.load("data/disk.png"));
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(5, image->width());
    SDL_Surface* surface = bank.loadSurface("data/disk.png");
    ASSERT_NE(nullptr, surface);
    EXPECT_EQ(4, surface->h);
    SDL_FreeSurface(surface);
}

TEST_F(ArchiveBank, ListedEntryThatIsNoPictureGivesNullDespiteTheFile)
{
    ArchiveImageBank bank(archive.get());
    EXPECT_EQ(nullptr, bank.load("data/notes.png"));
    EXPECT_EQ(nullptr, bank.loadSurface("data/notes.png"));
    // The file of that name is a picture: only the archive was asked.
    FileImageBank files;
    std::unique_ptr<Image> fromFile(files.load("data/notes.png"));
    EXPECT_NE(nullptr, fromFile);
}

TEST_F(ArchiveBank, MissingEverywhereGivesNull)
{
    ArchiveImageBank bank(archive.get());
    EXPECT_EQ(nullptr, bank.load("data/nowhere.png"));
    EXPECT_EQ(nullptr, bank.loadSurface("data/nowhere.png"));
}

TEST_F(ArchiveBank, NamesAreUsedUnchanged)
{
    ArchiveImageBank bank(archive.get());
    // Other spellings of the listed name are not the archive's entry: they
    // reach the file system, which finds the 3x3 file.
    for (const char* name : {"./data/2t1.png", "data//2t1.png"}) {
        SCOPED_TRACE(name);
        ASSERT_FALSE(archive->hasEntry(name));
        std::unique_ptr<Image> image(bank.load(name));
        ASSERT_NE(nullptr, image);
        EXPECT_EQ(3, image->width());
    }
}

TEST_F(ArchiveBank, NullArchiveBehavesLikeTheFileBank)
{
    ArchiveImageBank bank(nullptr);
    FileImageBank files;
    for (const char* name : {"data/2t1.png", "data/notes.png", "data/disk.png", "data/nowhere.png"}) {
        SCOPED_TRACE(name);
        std::unique_ptr<Image> viaArchiveBank(bank.load(name));
        std::unique_ptr<Image> viaFileBank(files.load(name));
        ASSERT_EQ(viaFileBank == nullptr, viaArchiveBank == nullptr);
        if (viaFileBank) {
            EXPECT_EQ(viaFileBank->width(), viaArchiveBank->width());
            EXPECT_EQ(viaFileBank->height(), viaArchiveBank->height());
        }
    }
    std::unique_ptr<Image> blue(bank.load("data/2t1.png"));
    ASSERT_NE(nullptr, blue);
    EXPECT_EQ(3, blue->width());
    EXPECT_EQ(nullptr, bank.createImage(nullptr));
}

TEST_F(ArchiveBank, DamagedEntryGivesNullWithoutFallingBackToTheFile)
{
    // One zlib entry: its block starts at 12 (length, then the unpacked
    // size), the zlib stream at 20. Spoil the stream's first bytes.
    ASSERT_TRUE(writeArchive("damaged.dat", {{"data/2t1.png", pictureBytes(8, 6, 0xFF0000)}}));
    std::string bytes = readFileBytes("damaged.dat");
    ASSERT_GT(bytes.size(), 40u);
    for (std::size_t i = 20; i < 28; ++i)
        bytes[i] = '\xFF';
    ASSERT_TRUE(writeBytes("damaged.dat", bytes));

    std::unique_ptr<Archive> damaged(openArchive("damaged.dat"));
    ASSERT_NE(nullptr, damaged);
    ASSERT_TRUE(damaged->hasEntry("data/2t1.png"));
    std::int32_t size = 0;
    void* raw = damaged->readEntry("data/2t1.png", size);
    std::free(raw);
    ASSERT_EQ(nullptr, raw) << "the fixture must make the read fail";

    ArchiveImageBank bank(damaged.get());
    EXPECT_EQ(nullptr, bank.load("data/2t1.png"));
    EXPECT_EQ(nullptr, bank.loadSurface("data/2t1.png"));
}

}  // namespace
