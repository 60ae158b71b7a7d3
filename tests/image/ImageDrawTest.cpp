#include "image/Image.h"
#include "tests/image/ImageTestSupport.h"

#include <cmath>
#include <limits>
#include <memory>

namespace {

struct Bounds {
    int left, top, right, bottom;
};

class ImageDraw : public DummyScreen {
protected:
    std::unique_ptr<Image> marked(int w, int h)
    {
        SDL_Surface* s = makeMarkedSurface(w, h);
        EXPECT_NE(nullptr, s);
        return std::unique_ptr<Image>(new Image(s));
    }

    Bounds painted()
    {
        Bounds b{};
        EXPECT_TRUE(paintedBounds(b.left, b.top, b.right, b.bottom)) << "nothing was drawn";
        return b;
    }
};

void expectBounds(const Bounds& b, int left, int top, int right, int bottom)
{
    EXPECT_EQ(left, b.left);
    EXPECT_EQ(top, b.top);
    EXPECT_EQ(right, b.right);
    EXPECT_EQ(bottom, b.bottom);
}

TEST_F(ImageDraw, TakesItsSizeFromTheSurfaceAndCentres)
{
    auto image = marked(31, 20);
    EXPECT_EQ(31, image->width());
    EXPECT_EQ(20, image->height());
    EXPECT_EQ(31, image->getDrawWidth());
    EXPECT_EQ(20, image->getDrawHeight());
    EXPECT_EQ(9, image->getFlags());
    EXPECT_EQ(0, image->getFrame());
}

TEST_F(ImageDraw, PresentationPictureLandsAt64And33)
{
    auto image = marked(512, 414);
    EXPECT_EQ(0, image->draw(0, 10, 320, 240));
    expectBounds(painted(), 64, 33, 575, 446);
    EXPECT_EQ(markedPixel(0, 0), pixel(64, 33));
    EXPECT_EQ(markedPixel(511, 413), pixel(575, 446));
    EXPECT_EQ(markedPixel(256, 207), pixel(320, 240));
}

TEST_F(ImageDraw, FullScreenPictureFillsTheScreenExactly)
{
    auto image = marked(640, 480);
    EXPECT_EQ(0, image->draw(0, 10, 320, 240));
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            ASSERT_EQ(markedPixel(x, y), pixel(x, y)) << "at " << x << "," << y;
}

TEST_F(ImageDraw, OversizedPictureShowsItsMiddle)
{
    auto image = marked(700, 500);
    EXPECT_EQ(0, image->draw(0, 10, 320, 240));
    // Corner at (-30, -10): the screen shows columns 30..669, rows 10..489.
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            ASSERT_EQ(markedPixel(x + 30, y + 10), pixel(x, y)) << "at " << x << "," << y;
}

TEST_F(ImageDraw, ThreeByThreeCoversNineToEleven)
{
    auto image = marked(3, 3);
    EXPECT_EQ(0, image->draw(0, 0, 10, 10));
    expectBounds(painted(), 9, 9, 11, 11);
    EXPECT_EQ(markedPixel(0, 0), pixel(9, 9));
    EXPECT_EQ(markedPixel(2, 2), pixel(11, 11));
}

TEST_F(ImageDraw, ZeroDrawSizePutsTheCornerAtThePoint)
{
    auto image = marked(20, 10);
    image->setDrawSize(0, 0);
    EXPECT_EQ(9, image->getFlags());
    EXPECT_EQ(0, image->draw(0, 10, 100, 50));
    expectBounds(painted(), 100, 50, 119, 59);
    EXPECT_EQ(markedPixel(0, 0), pixel(100, 50));
}

TEST_F(ImageDraw, DrawSizeMovesTheCornerButNeverScales)
{
    auto image = marked(4, 4);
    image->setDrawSize(100.9f, 50.2f);
    EXPECT_EQ(100, image->getDrawWidth());
    EXPECT_EQ(50, image->getDrawHeight());
    EXPECT_EQ(0, image->draw(200, 200));
    expectBounds(painted(), 150, 175, 153, 178);
}

TEST_F(ImageDraw, CallerFlagsDoNotStopTheCentring)
{
    auto image = marked(20, 10);
    for (std::int32_t flags : {0, 1, 2, 8, 10, -1}) {
        clear();
        EXPECT_EQ(0, image->draw(7, flags, 100, 100));
        expectBounds(painted(), 90, 95, 109, 104);
    }
}

// Every float form truncates toward zero: (10.9, -0.5) is (10, 0), so a 4x4
// picture has its corner at (8, -2) and the screen's top row shows the
// picture's row 2. Rounding or flooring would land elsewhere.
TEST_F(ImageDraw, FloatFormsTruncateTowardZero)
{
    auto image = marked(4, 4);
    const float colour[4] = {1, 1, 1, 1};
    struct Form {
        const char* name;
        std::int32_t (*draw)(Image&, const float*);
    };
    const Form forms[] = {
        {"two-float", [](Image& i, const float*) { return i.draw(10.9f, -0.5f); }},
        {"float", [](Image& i, const float*) { return i.draw(0, 0, 10.9f, -0.5f); }},
        {"coloured", [](Image& i, const float* c) { return i.draw(0, 0, 10.9f, -0.5f, c); }},
        {"extended", [](Image& i, const float*) { return i.draw(0, 0, 10.9f, -0.5f, 1, 2, 3, 4); }},
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(form.name);
        clear();
        EXPECT_EQ(0, form.draw(*image, colour));
        expectBounds(painted(), 8, 0, 11, 1);
        EXPECT_EQ(markedPixel(0, 2), pixel(8, 0));
    }
}

TEST_F(ImageDraw, TwoIntegerFormIsTheFourIntegerFormWithOwnFlags)
{
    auto image = marked(3, 3);
    EXPECT_EQ(0, image->draw(10, 10));
    expectBounds(painted(), 9, 9, 11, 11);
}

TEST(ImageWithoutScreen, DrawReportsTheBlitFailure)
{
    ASSERT_EQ(0, SDL_Init(SDL_INIT_VIDEO));
    ASSERT_EQ(nullptr, SDL_GetVideoSurface());
    Image image(makeMarkedSurface(3, 3));
    EXPECT_LT(image.draw(0, 0, 10, 10), 0);
    EXPECT_LT(image.draw(10.0f, 10.0f), 0);
    SDL_Quit();
}

TEST(TruncateToInt, TowardZeroAndSaturating)
{
    struct Case {
        float in;
        std::int32_t out;
    };
    const Case cases[] = {
        {10.9f, 10},
        {-0.5f, 0},
        {-10.9f, -10},
        {0.0f, 0},
        {2147483648.0f, std::numeric_limits<std::int32_t>::max()},
        {1e20f, std::numeric_limits<std::int32_t>::max()},
        {-1e20f, std::numeric_limits<std::int32_t>::min()},
        {std::numeric_limits<float>::infinity(), std::numeric_limits<std::int32_t>::max()},
        {std::nanf(""), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.out, truncateToInt(c.in)) << "for " << c.in;
}

}  // namespace
