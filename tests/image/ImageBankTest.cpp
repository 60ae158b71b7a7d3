#include "image/Image.h"
#include "image/ImageBank.h"
#include "tests/image/ImageTestSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
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

}  // namespace
