#include "tools/render/Ffmpeg.h"
#include "tools/render/Subprocess.h"
#include "tools/render/Y4m.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

std::string tempName(const char* label, const char* ext)
{
    return std::string(::testing::TempDir()) + "/y4m-" + label + "-" + std::to_string(::getpid()) + ext;
}

std::vector<unsigned char> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

SurfacePtr makeSurface(int w, int h, int bpp)
{
    return SurfacePtr(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, bpp, 0, 0, 0, 0));
}

void fill(SDL_Surface* s, int x, int y, int w, int h, Uint8 r, Uint8 g, Uint8 b)
{
    SDL_Rect rect{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w), static_cast<Uint16>(h)};
    SDL_FillRect(s, &rect, SDL_MapRGB(s->format, r, g, b));
}

TEST(Yuv, Bt601StudioRange)
{
    struct Case {
        int r, g, b;
        int y, u, v;
    };
    // Reference values of ITU-R BT.601 in 8-bit studio range.
    const Case cases[] = {
        {0, 0, 0, 16, 128, 128},
        {255, 255, 255, 235, 128, 128},
        {255, 0, 0, 82, 90, 240},
        {0, 255, 0, 145, 54, 34},
        {0, 0, 255, 41, 240, 110},
        {128, 128, 128, 126, 128, 128},
    };
    for (const Case& c : cases) {
        std::uint8_t y, u, v;
        rgbToYuv(c.r, c.g, c.b, y, u, v);
        EXPECT_NEAR(y, c.y, 1) << c.r << "," << c.g << "," << c.b;
        EXPECT_NEAR(u, c.u, 1) << c.r << "," << c.g << "," << c.b;
        EXPECT_NEAR(v, c.v, 1) << c.r << "," << c.g << "," << c.b;
    }
}

TEST(Yuv, PlanesFromSurfacesOfEveryDepth)
{
    for (int bpp : {32, 24, 16, 8}) {
        SurfacePtr s = makeSurface(4, 2, bpp);
        ASSERT_TRUE(s) << bpp;
        if (bpp == 8) {
            SDL_Color colours[3] = {{0, 0, 0, 0}, {255, 255, 255, 0}, {255, 0, 0, 0}};
            SDL_SetColors(s.get(), colours, 0, 3);
        }
        fill(s.get(), 0, 0, 4, 2, 0, 0, 0);
        fill(s.get(), 0, 0, 2, 2, 255, 255, 255);  // left block white, right block black
        YuvFrame frame;
        ASSERT_TRUE(surfaceToYuv(s.get(), frame)) << bpp;
        ASSERT_EQ(frame.planes.size(), 8u + 2u + 2u);
        const std::vector<std::uint8_t> expected = {235, 235, 16, 16, 235, 235, 16, 16, 128, 128, 128, 128};
        EXPECT_EQ(frame.planes, expected) << bpp;
    }
}

TEST(Yuv, ChromaIsTheMeanOfEachBlockAndOddSizesRoundUp)
{
    SurfacePtr s = makeSurface(3, 3, 32);
    fill(s.get(), 0, 0, 3, 3, 0, 0, 0);
    fill(s.get(), 0, 0, 1, 1, 255, 0, 0);   // one red pixel in the first block
    fill(s.get(), 2, 2, 1, 1, 0, 0, 255);   // the lone pixel of the last block
    YuvFrame frame;
    ASSERT_TRUE(surfaceToYuv(s.get(), frame));
    EXPECT_EQ(frame.chromaWidth(), 2);
    EXPECT_EQ(frame.chromaHeight(), 2);
    ASSERT_EQ(frame.planes.size(), 9u + 4u + 4u);
    std::uint8_t y, u, v;
    rgbToYuv(64, 0, 0, y, u, v);  // red averaged with three black pixels
    EXPECT_EQ(frame.planes[9], u);
    EXPECT_EQ(frame.planes[13], v);
    rgbToYuv(0, 0, 255, y, u, v);
    EXPECT_EQ(frame.planes[9 + 3], u);
    EXPECT_EQ(frame.planes[13 + 3], v);
    EXPECT_EQ(frame.planes[8], y);  // luma of the blue pixel
}

TEST(Y4m, HeaderThenFramesAndOnlyMatchingSizes)
{
    const std::string path = tempName("stream", ".y4m");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    Y4mWriter writer(f, 2, 2);
    YuvFrame frame;
    frame.width = 2;
    frame.height = 2;
    frame.planes = {1, 2, 3, 4, 5, 6};
    EXPECT_TRUE(writer.writeFrame(frame));
    EXPECT_TRUE(writer.writeFrame(frame));
    YuvFrame wrong = frame;
    wrong.width = 4;
    EXPECT_FALSE(writer.writeFrame(wrong));
    EXPECT_EQ(writer.framesWritten(), 2u);
    std::fclose(f);

    const std::string header = "YUV4MPEG2 W2 H2 F25:1 Ip A1:1 C420jpeg XYSCSS=420JPEG XCOLORRANGE=LIMITED\n";
    std::string expected = header + "FRAME\n" + std::string("\1\2\3\4\5\6", 6) + "FRAME\n" +
                           std::string("\1\2\3\4\5\6", 6);
    const std::vector<unsigned char> bytes = fileBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
    std::remove(path.c_str());
}

TEST(Y4m, WriteErrorsAreReported)
{
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (!full) GTEST_SKIP() << "no /dev/full";
    std::setvbuf(full, nullptr, _IONBF, 0);
    Y4mWriter writer(full, 2, 2);
    YuvFrame frame;
    frame.width = 2;
    frame.height = 2;
    frame.planes.assign(6, 0);
    EXPECT_FALSE(writer.writeFrame(frame));
    std::fclose(full);
}

// What ffmpeg makes of our frames is what viewers see: a coloured surface
// through the encoder's pipe, H.264 and back to RGB keeps its colours.
TEST(Y4m, FfmpegDecodesOurColoursBack)
{
    const std::string ffmpeg = findProgram("ffmpeg");
    if (ffmpeg.empty()) GTEST_SKIP() << "ffmpeg is not installed";

    SurfacePtr s = makeSurface(64, 48, 32);
    fill(s.get(), 0, 0, 64, 48, 0, 0, 0);
    fill(s.get(), 16, 12, 32, 24, 200, 40, 90);
    YuvFrame frame;
    ASSERT_TRUE(surfaceToYuv(s.get(), frame));

    const std::string video = tempName("decode", ".mp4");
    const std::string log = tempName("decode", ".log");
    Subprocess encoder;
    std::string error;
    ASSERT_TRUE(encoder.start(ffmpegVideoArgs(ffmpeg, video), true, log, error)) << error;
    Y4mWriter writer(encoder.input(), 64, 48);
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(writer.writeFrame(frame));
    ASSERT_EQ(encoder.finish(), 0) << lastLogLine(log);

    const std::string raw = tempName("decode", ".rgb");
    ASSERT_EQ(runProgram({ffmpeg, "-nostdin", "-loglevel", "error", "-y", "-i", video, "-frames:v", "1", "-f",
                          "rawvideo", "-pix_fmt", "rgb24", raw},
                         log, error),
              0)
        << lastLogLine(log);
    const std::vector<unsigned char> rgb = fileBytes(raw);
    ASSERT_EQ(rgb.size(), 64u * 48u * 3u);
    auto at = [&](int x, int y, int c) { return static_cast<int>(rgb[(static_cast<std::size_t>(y) * 64 + x) * 3 + c]); };
    EXPECT_NEAR(at(32, 24, 0), 200, 6);
    EXPECT_NEAR(at(32, 24, 1), 40, 6);
    EXPECT_NEAR(at(32, 24, 2), 90, 6);
    for (int c = 0; c < 3; ++c) EXPECT_LE(at(2, 2, c), 4);
    for (const std::string& p : {video, log, raw}) std::remove(p.c_str());
}

TEST(Subprocess, ReportsProgramsThatCannotRunAndTheirStatus)
{
    EXPECT_EQ(findProgram("no-such-program-glowmoth"), "");
    EXPECT_NE(findProgram("sh"), "");

    Subprocess missing;
    std::string error;
    EXPECT_FALSE(missing.start({"/nonexistent/program"}, true, "", error));
    EXPECT_NE(error.find("/nonexistent/program"), std::string::npos);

    EXPECT_EQ(runProgram({"sh", "-c", "exit 3"}, "", error), 3);

    // Everything written to the pipe arrives.
    const std::string log = tempName("pipe", ".log");
    Subprocess counter;
    ASSERT_TRUE(counter.start({"sh", "-c", "wc -c"}, true, log, error)) << error;
    const std::string payload(300000, 'x');
    ASSERT_EQ(std::fwrite(payload.data(), 1, payload.size(), counter.input()), payload.size());
    EXPECT_EQ(counter.finish(), 0);
    EXPECT_EQ(lastLogLine(log), "300000");
    std::remove(log.c_str());
}

}  // namespace
