#include "tests/widgets/Recorders.h"
#include "widgets/Button.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Sizing and the default text anchor.
TEST(ButtonSize, FromTheFirstPictureOrFromTheText)
{
    Log log;
    RecordingSprite big("big", 31, 20, log), pressed("pressed", 40, 10, log), mark("mark", 7, 9, log);
    RecordingFont font(log, 6, 12);
    struct Case {
        const char* name;
        Sprite *background, *pressedBackground, *overlay;
        BitmapFont* font;
        const char* text;
        std::int32_t textX, textY;
        std::int32_t width, height, anchorX, anchorY;
    };
    const Case cases[] = {
        {"background", &big, nullptr, nullptr, nullptr, nullptr, -1, -1, 31, 20, 15, 10},
        {"background wins over overlay", &big, nullptr, &mark, &font, "Hello", -1, -1, 31, 20, 15, 10},
        {"pressed picture only", nullptr, &pressed, nullptr, nullptr, nullptr, -1, -1, 40, 10, 20, 5},
        {"pressed before overlay", nullptr, &pressed, &mark, nullptr, nullptr, -1, -1, 40, 10, 20, 5},
        {"overlay only", nullptr, nullptr, &mark, nullptr, nullptr, -1, -1, 7, 9, 3, 4},
        {"text and font", nullptr, nullptr, nullptr, &font, "Hello", -1, -1, 30, 12, 15, 6},
        {"text without font", nullptr, nullptr, nullptr, nullptr, "Hello", -1, -1, 0, 0, 0, 0},
        {"font without text", nullptr, nullptr, nullptr, &font, nullptr, -1, -1, 0, 0, 0, 0},
        {"explicit anchor", &big, nullptr, nullptr, nullptr, nullptr, 5, 7, 31, 20, 5, 7},
        {"one default", &big, nullptr, nullptr, nullptr, nullptr, -1, 0, 31, 20, 15, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Button b(100, 50, c.background, c.pressedBackground, c.overlay, c.font, c.text, 1, c.textX, c.textY, 0, 0);
        EXPECT_EQ(100, b.getX());
        EXPECT_EQ(50, b.getY());
        EXPECT_EQ(c.width, b.getWidth());
        EXPECT_EQ(c.height, b.getHeight());
        EXPECT_EQ(c.anchorX, b.getTextX());
        EXPECT_EQ(c.anchorY, b.getTextY());
        EXPECT_EQ(0, b.getFrame());
        EXPECT_EQ(9, b.getFlags());
    }
    EXPECT_THAT(log, IsEmpty()) << "construction draws nothing";
}

TEST(ButtonSize, EmptyButtonIsNeverHit)
{
    Log log;
    RecordingListener listener("L", log);
    Button b(10, 10, nullptr, nullptr, nullptr, nullptr, nullptr, 0, -1, -1, 0, 0);
    b.addListener(&listener);
    for (auto p : {std::pair<int, int>{10, 10}, {9, 9}, {11, 11}}) {
        EXPECT_FALSE(b.contains(p.first, p.second));
        b.mouseDown(p.first, p.second);
        EXPECT_FALSE(b.isPressed());
        EXPECT_FALSE(b.isArmed());
        b.mouseUp(p.first, p.second);
    }
    EXPECT_THAT(log, IsEmpty());
}

TEST(ComponentHitTest, RightAndBottomEdgesAreOutside)
{
    Component c(10, 20, 30, 40);
    EXPECT_TRUE(c.contains(10, 20));
    EXPECT_TRUE(c.contains(39, 59));
    EXPECT_FALSE(c.contains(40, 20));
    EXPECT_FALSE(c.contains(10, 60));
    EXPECT_FALSE(c.contains(9, 30));
    EXPECT_FALSE(c.contains(20, 19));
    Component far(2147483600, 0, 100, 10);
    EXPECT_TRUE(far.contains(2147483647, 5));
    EXPECT_FALSE(far.contains(-2147483647, 5));
}

// The button's state table, row by row: the state before, the event, the
// state after and what the listener hears.
class ButtonStates : public ::testing::Test {
protected:
    enum Start { Idle, PressedArmed, PressedUnarmed };
    enum Event { MoveTo, ReleaseAt, PressAt };

    static constexpr int inX = 110, inY = 105, outX = 10, outY = 10;

    ButtonStates() : background("bg", 50, 20, log), button(100, 100, &background, nullptr, nullptr, nullptr,
                                                           nullptr, 0, -1, -1, 0, 0)
    {
        listener.attach("L", log);
        button.addListener(&listener);
    }

    void reach(Start start)
    {
        if (start != Idle)
            button.mouseDown(inX, inY);
        if (start == PressedUnarmed)
            button.mouseMove(outX, outY);
        log.clear();
    }

    void fire(Event event, bool inside)
    {
        const int px = inside ? inX : outX, py = inside ? inY : outY;
        switch (event) {
        case MoveTo: button.mouseMove(px, py); break;
        case ReleaseAt: button.mouseUp(px, py); break;
        case PressAt: button.mouseDown(px, py); break;
        }
    }

    Log log;
    RecordingSprite background;
    RecordingListener listener;
    Button button;
};

TEST_F(ButtonStates, TableRowByRow)
{
    struct Row {
        const char* name;
        Start start;
        Event event;
        bool inside;
        bool pressed, armed;
        std::vector<std::string> heard;
    };
    const Row rows[] = {
        {"idle, press inside", Idle, PressAt, true, true, true, {"L pressed 110,105"}},
        {"idle, press outside", Idle, PressAt, false, false, false, {}},
        {"armed, move inside", PressedArmed, MoveTo, true, true, true, {"L dragged 110,105"}},
        {"armed, move outside", PressedArmed, MoveTo, false, true, false, {"L dragged 10,10"}},
        {"unarmed, move inside", PressedUnarmed, MoveTo, true, true, true, {"L dragged 110,105"}},
        {"unarmed, move outside", PressedUnarmed, MoveTo, false, true, false, {"L dragged 10,10"}},
        {"armed, release inside", PressedArmed, ReleaseAt, true, false, false, {"L released 110,105", "L action"}},
        {"armed, release outside", PressedArmed, ReleaseAt, false, false, false, {"L released 10,10"}},
        {"unarmed, release inside", PressedUnarmed, ReleaseAt, true, false, false, {"L released 110,105"}},
        {"unarmed, release outside", PressedUnarmed, ReleaseAt, false, false, false, {"L released 10,10"}},
        {"idle, move inside", Idle, MoveTo, true, false, false, {}},
        {"idle, move outside", Idle, MoveTo, false, false, false, {}},
        {"idle, release inside", Idle, ReleaseAt, true, false, false, {}},
        {"idle, release outside", Idle, ReleaseAt, false, false, false, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        button.mouseUp(outX, outY);  // back to idle
        reach(row.start);
        fire(row.event, row.inside);
        EXPECT_EQ(row.pressed, button.isPressed());
        EXPECT_EQ(row.armed, button.isArmed());
        EXPECT_EQ(row.heard, log);
    }
}

TEST_F(ButtonStates, PressOutsideThenReleaseInsideSaysNothing)
{
    button.mouseDown(outX, outY);
    button.mouseUp(inX, inY);
    EXPECT_THAT(log, IsEmpty());
}

TEST_F(ButtonStates, LeavingAndComingBackStillClicks)
{
    button.mouseDown(inX, inY);
    button.mouseMove(outX, outY);
    button.mouseMove(inX, inY);
    button.mouseUp(inX, inY);
    EXPECT_THAT(log, ElementsAre("L pressed 110,105", "L dragged 10,10", "L dragged 110,105", "L released 110,105",
                                 "L action"));
}

// Listeners are told in ascending address order, each once.
TEST(ButtonListeners, OrderedByAddressAndHeldOnce)
{
    Log log;
    RecordingSprite bg("bg", 10, 10, log);
    RecordingListener pair[2];  // pair[0] has the lower address
    pair[0].attach("low", log);
    pair[1].attach("high", log);
    Button b(0, 0, &bg, nullptr, nullptr, nullptr, nullptr, 0, -1, -1, 0, 0);
    b.addListener(&pair[1]);
    b.addListener(&pair[0]);
    b.addListener(&pair[1]);
    b.mouseDown(1, 1);
    b.mouseUp(1, 1);
    EXPECT_THAT(log, ElementsAre("low pressed 1,1", "high pressed 1,1", "low released 1,1", "high released 1,1",
                                 "low action", "high action"));

    RecordingListener stranger("stranger", log);
    b.removeListener(&stranger);
    b.removeListener(&pair[1]);
    log.clear();
    b.mouseDown(1, 1);
    EXPECT_THAT(log, ElementsAre("low pressed 1,1"));

    b.removeAllListeners();
    log.clear();
    b.mouseUp(1, 1);
    EXPECT_THAT(log, IsEmpty());
    EXPECT_FALSE(b.isPressed());
}

TEST(ButtonDraw, OrderPositionsAndColours)
{
    Log log;
    RecordingSprite bg("bg", 40, 20, log), down("down", 40, 20, log), over("over", 8, 8, log);
    RecordingFont font(log);
    Button b(100, 50, &bg, &down, &over, &font, "OK", 7, -1, -1, 2, 3);
    b.setBackgroundColour(0.25f, 0.5f, 0.75f, 1.0f);
    b.setForegroundColour(1.0f, 0.0f, 0.5f, 0.125f);

    b.draw();
    EXPECT_THAT(log, ElementsAre("bg draw frame=0 flags=9 at 100,50 colour 0.25,0.5,0.75,1",
                                 "over draw frame=0 flags=11 at 120,60 colour 1,0,0.5,0.125",
                                 "text 'OK' at 120,60 align=7 colour 1,0,0.5,0.125"));

    log.clear();
    b.mouseDown(101, 51);
    b.draw();
    EXPECT_THAT(log, ElementsAre("down draw frame=0 flags=9 at 100,50 colour 0.25,0.5,0.75,1",
                                 "over draw frame=0 flags=11 at 120,60 colour 1,0,0.5,0.125",
                                 "text 'OK' at 122,63 align=7 colour 1,0,0.5,0.125"));

    // Moving out disarms: the normal picture and the resting text again.
    log.clear();
    b.mouseMove(0, 0);
    b.draw();
    EXPECT_THAT(log, ElementsAre("bg draw frame=0 flags=9 at 100,50 colour 0.25,0.5,0.75,1",
                                 "over draw frame=0 flags=11 at 120,60 colour 1,0,0.5,0.125",
                                 "text 'OK' at 120,60 align=7 colour 1,0,0.5,0.125"));

    log.clear();
    b.setOverlayFlags(3);
    b.draw();
    EXPECT_EQ("over draw frame=0 flags=3 at 120,60 colour 1,0,0.5,0.125", log.at(1));
}

TEST(ButtonDraw, PressedPictureOnlyIsDrawnOnlyWhileArmed)
{
    Log log;
    RecordingSprite down("down", 30, 10, log);
    Button b(0, 0, nullptr, &down, nullptr, nullptr, nullptr, 0, -1, -1, 0, 0);
    EXPECT_EQ(30, b.getWidth());
    b.draw();
    EXPECT_THAT(log, IsEmpty());
    b.mouseDown(5, 5);
    b.draw();
    EXPECT_THAT(log, ElementsAre("down draw frame=0 flags=9 at 0,0 colour 1,1,1,1"));
}

TEST(ButtonDraw, TextWithoutFontIsNotDrawn)
{
    Log log;
    RecordingSprite bg("bg", 30, 10, log);
    Button b(0, 0, &bg, nullptr, nullptr, nullptr, "Lost", 0, -1, -1, 0, 0);
    b.draw();
    EXPECT_THAT(log, ElementsAre("bg draw frame=0 flags=9 at 0,0 colour 1,1,1,1"));
}

TEST(ButtonText, SetTextChangesTheDrawingOnly)
{
    Log log;
    RecordingFont font(log, 6, 12);
    Button b(10, 20, nullptr, nullptr, nullptr, &font, "Hello", 0, -1, -1, 0, 0);
    ASSERT_EQ(30, b.getWidth());
    b.setText("A much longer text");
    EXPECT_STREQ("A much longer text", b.getText());
    EXPECT_EQ(30, b.getWidth());
    EXPECT_EQ(12, b.getHeight());
    EXPECT_EQ(15, b.getTextX());
    EXPECT_EQ(6, b.getTextY());
    b.draw();
    EXPECT_THAT(log, ElementsAre("text 'A much longer text' at 25,26 align=0 colour 1,1,1,1"));

    b.setText(nullptr);
    EXPECT_EQ(nullptr, b.getText());
    log.clear();
    b.draw();
    EXPECT_THAT(log, IsEmpty());
}

TEST(ButtonText, TextIsCopied)
{
    Log log;
    RecordingFont font(log);
    char source[] = "abc";
    Button b(0, 0, nullptr, nullptr, nullptr, &font, source, 0, -1, -1, 0, 0);
    source[0] = 'X';
    EXPECT_STREQ("abc", b.getText());
    EXPECT_NE(source, b.getText());

    // Its own text handed back stays intact (the sanitizers watch the copy).
    b.setText(b.getText());
    EXPECT_STREQ("abc", b.getText());
}

}  // namespace
