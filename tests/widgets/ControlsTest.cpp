#include "tests/widgets/Recorders.h"
#include "widgets/CheckBox.h"
#include "widgets/Label.h"
#include "widgets/Slider.h"
#include "widgets/WidgetGroup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Box 16 x 16, a label 40 pixels wide ("Sound" at 8 per character) and a
// font 20 high, anchors -1, placed at (100, 200).
class CheckBoxGeometry : public ::testing::Test {
protected:
    CheckBoxGeometry() : box("box", 16, 16, log), font(log, 8, 20) {}

    CheckBox make(std::int32_t layout)
    {
        return CheckBox(100, 200, &box, nullptr, nullptr, &font, "Sound", false, layout, 0, -1, -1);
    }

    Log log;
    RecordingSprite box;
    RecordingFont font;
};

TEST_F(CheckBoxGeometry, ThreeLayouts)
{
    struct Case {
        std::int32_t layout;
        std::int32_t textX, textY, width, height, markX, markY;
        std::int32_t hitFrom, hitTo;  // inclusive, relative to x
    };
    const Case cases[] = {
        {0, -4, 8, 60, 20, 8, 10, -44, 15},
        {1, 8, 8, 40, 20, 8, 10, -12, 27},
        {2, 20, 8, 60, 20, 8, 10, 0, 59},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("layout " + std::to_string(c.layout));
        CheckBox cb = make(c.layout);
        EXPECT_EQ(c.textX, cb.getTextX());
        EXPECT_EQ(c.textY, cb.getTextY());
        EXPECT_EQ(c.width, cb.getWidth());
        EXPECT_EQ(c.height, cb.getHeight());
        EXPECT_EQ(c.markX, cb.getMarkX());
        EXPECT_EQ(c.markY, cb.getMarkY());
        EXPECT_EQ(40, cb.getLabelWidth());

        EXPECT_TRUE(cb.contains(100 + c.hitFrom, 200));
        EXPECT_TRUE(cb.contains(100 + c.hitTo, 219));
        EXPECT_FALSE(cb.contains(100 + c.hitFrom - 1, 210));
        EXPECT_FALSE(cb.contains(100 + c.hitTo + 1, 210));
        EXPECT_FALSE(cb.contains(100 + c.hitFrom, 199));
        EXPECT_FALSE(cb.contains(100 + c.hitFrom, 220));
    }
}

TEST_F(CheckBoxGeometry, OtherLayoutsAreNeverHitAndKeepTheButtonAnchor)
{
    CheckBox cb = make(3);
    EXPECT_EQ(8, cb.getTextX());  // the Button's default from the box: 16 / 2
    EXPECT_EQ(8, cb.getTextY());
    for (int px = 50; px < 200; ++px)
        ASSERT_FALSE(cb.contains(px, 205));
}

TEST_F(CheckBoxGeometry, WithoutTextTheBoxAloneCounts)
{
    CheckBox cb(0, 0, &box, nullptr, nullptr, nullptr, nullptr, true, 2, 0, -1, -1);
    EXPECT_EQ(16, cb.getWidth());
    EXPECT_EQ(16, cb.getHeight());
    EXPECT_EQ(0, cb.getLabelWidth());
    EXPECT_EQ(8, cb.getMarkY());
    EXPECT_TRUE(cb.isChecked());
}

TEST_F(CheckBoxGeometry, ClickFlipsOnceAndListenersSeeTheNewState)
{
    CheckBox cb = make(2);
    struct StateListener : ComponentListener {
        std::vector<bool> seen;
        void componentAction(Component* source) override
        {
            seen.push_back(static_cast<CheckBox*>(source)->isChecked());
        }
    } listener;
    RecordingListener recorder("L", log);
    cb.addListener(&listener);
    cb.addListener(&recorder);

    cb.mouseDown(150, 205);
    cb.mouseUp(150, 205);
    EXPECT_TRUE(cb.isChecked());
    EXPECT_EQ(std::vector<bool>{true}, listener.seen);
    EXPECT_THAT(log, ElementsAre("L pressed 150,205", "L released 150,205", "L action"));

    // Press inside, release outside: unchanged.
    cb.mouseDown(150, 205);
    cb.mouseUp(300, 205);
    EXPECT_TRUE(cb.isChecked());

    cb.mouseDown(101, 201);
    cb.mouseUp(101, 201);
    EXPECT_FALSE(cb.isChecked());
    EXPECT_EQ((std::vector<bool>{true, false}), listener.seen);
}

TEST_F(CheckBoxGeometry, DrawsBoxTextThenMarkWhenChecked)
{
    RecordingSprite down("down", 16, 16, log), mark("mark", 10, 10, log);
    CheckBox cb(100, 200, &box, &down, &mark, &font, "Sound", false, 2, 0, -1, -1);
    cb.draw();
    EXPECT_THAT(log, ElementsAre("box draw frame=0 flags=9 at 100,200 colour 1,1,1,1",
                                 "text 'Sound' at 120,208 align=0 colour 1,1,1,1"));

    log.clear();
    cb.mouseDown(101, 201);
    cb.draw();  // armed: the pressed box, and no press displacement of the text
    cb.mouseUp(101, 201);
    cb.draw();  // checked: the mark at (x + markX, y + markY)
    EXPECT_THAT(log, ElementsAre("down draw frame=0 flags=9 at 100,200 colour 1,1,1,1",
                                 "text 'Sound' at 120,208 align=0 colour 1,1,1,1",
                                 "box draw frame=0 flags=9 at 100,200 colour 1,1,1,1",
                                 "text 'Sound' at 120,208 align=0 colour 1,1,1,1",
                                 "mark draw frame=0 flags=11 at 108,210 colour 1,1,1,1"));
}

TEST(LabelControl, NeverHitAnchoredOnThePicture)
{
    Log log;
    RecordingSprite picture("pic", 50, 30, log);
    RecordingFont font(log);
    RecordingListener listener("L", log);
    Label label(200, 100, &picture, &font, "Title", 1, -1, -1);
    label.addListener(&listener);
    EXPECT_EQ(0, label.getWidth());
    EXPECT_EQ(0, label.getHeight());
    EXPECT_EQ(25, label.getTextX());
    EXPECT_EQ(15, label.getTextY());

    WidgetGroup group;
    group.show(&label);
    EXPECT_FALSE(group.mouseDown(200, 100));
    EXPECT_FALSE(group.mouseDown(210, 110));
    label.mouseDown(200, 100);
    EXPECT_FALSE(label.isPressed());
    EXPECT_FALSE(label.isArmed());
    EXPECT_FALSE(group.mouseUp(200, 100));

    group.draw();
    EXPECT_THAT(log, ElementsAre("pic draw frame=0 flags=11 at 200,100 colour 1,1,1,1",
                                 "text 'Title' at 225,115 align=1 colour 1,1,1,1"));
    group.hideAll();
}

TEST(LabelControl, WithoutPictureTheTextSizesTheAnchor)
{
    Log log;
    RecordingFont font(log, 6, 12);
    Label label(0, 0, nullptr, &font, "Hello", 0, -1, -1);
    EXPECT_EQ(15, label.getTextX());
    EXPECT_EQ(6, label.getTextY());
    EXPECT_EQ(0, label.getWidth());
}

// Horizontal: track 200 x 20, knob 20 x 20, at (100, 300).
class SliderTrack : public ::testing::Test {
protected:
    SliderTrack() : track("track", 200, 20, log), knob("knob", 20, 20, log), slider(100, 300, &track, &knob, 0, 0.5, -1, -1)
    {
        listener.attach("L", log);
        slider.addListener(&listener);
    }

    Log log;
    RecordingSprite track, knob;
    RecordingListener listener;
    Slider slider;
};

TEST_F(SliderTrack, DefaultBoundsAndHalfway)
{
    EXPECT_EQ(10, slider.getMinimum());
    EXPECT_EQ(190, slider.getMaximum());
    EXPECT_EQ(100, slider.getPosition());  // trunc(0.5 * 181 + 10)
    EXPECT_DOUBLE_EQ(0.5, slider.getFraction());
    EXPECT_EQ(200, slider.getWidth());
    EXPECT_EQ(20, slider.getHeight());
}

TEST_F(SliderTrack, DrawsTrackThenKnobCornerAtItsPosition)
{
    slider.draw();
    EXPECT_THAT(log, ElementsAre("track draw frame=0 flags=9 at 100,300 colour 1,1,1,1",
                                 "knob draw frame=0 flags=1 at 190,300 colour 1,1,1,1"));
}

TEST_F(SliderTrack, PressBeyondTheBoundReportsAnActionEvenAtTheBound)
{
    slider.mouseDown(105, 310);
    EXPECT_EQ(10, slider.getPosition());
    slider.mouseUp(105, 310);
    EXPECT_EQ(10, slider.getPosition());
    // The release inside follows the pointer (requested 5 differs from 10),
    // then completes the click.
    EXPECT_THAT(log, ElementsAre("L pressed 105,310", "L action", "L action", "L released 105,310", "L action"));

    log.clear();
    slider.mouseDown(105, 310);  // already at 10: requested 5 differs
    EXPECT_THAT(log, ElementsAre("L pressed 105,310", "L action"));
}

TEST_F(SliderTrack, PressOnTheCurrentPositionIsNoChange)
{
    slider.mouseDown(200, 310);  // position 100 already
    EXPECT_THAT(log, ElementsAre("L pressed 200,310"));
}

TEST_F(SliderTrack, DragPastTheEndAndReleaseOutside)
{
    slider.mouseDown(200, 310);
    slider.mouseMove(250, 310);
    EXPECT_EQ(150, slider.getPosition());
    slider.mouseMove(450, 400);  // far beyond the track and below it
    EXPECT_EQ(190, slider.getPosition());
    EXPECT_TRUE(slider.isArmed()) << "moves do not disarm a slider";
    slider.mouseUp(460, 400);
    EXPECT_EQ(190, slider.getPosition());
    EXPECT_FALSE(slider.isArmed());
    EXPECT_FALSE(slider.isPressed());
    EXPECT_THAT(log, ElementsAre("L pressed 200,310", "L action", "L dragged 250,310", "L action",
                                 "L dragged 450,400", "L released 460,400"));
    EXPECT_DOUBLE_EQ(1.0, slider.getFraction());
}

TEST(SliderArithmetic, FractionsAndPositions)
{
    struct Case {
        std::int32_t minimum, maximum;
        double fraction;
        std::int32_t position;
        double reported;
    };
    const Case cases[] = {
        {10, 110, 0.5, 60, 0.5},  {10, 110, 1.0, 110, 1.0}, {10, 110, -0.2, 10, 0.0},
        {10, 110, 2.0, 110, 1.0}, {10, 110, 0.0, 10, 0.0},  {10, 110, std::nan(""), 10, 0.0},
        {0, 100, 0.5, 50, 0.5},   {0, 100, 0.999, 100, 1.0}, {5, 5, 0.7, 5, 0.0},
        {20, 10, 0.5, 10, 0.0},  // minimum above maximum: the maximum wins
        {-2147483647 - 1, 2147483647, 1.0, 2147483647, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.minimum) + ".." + std::to_string(c.maximum) + " f=" + std::to_string(c.fraction));
        Slider s(0, 0, nullptr, nullptr, 0, c.fraction, c.minimum, c.maximum);
        EXPECT_EQ(c.position, s.getPosition());
        if (c.minimum <= c.maximum) {
            EXPECT_DOUBLE_EQ(c.reported, s.getFraction());
        }
    }
}

TEST(SliderArithmetic, SetPositionClamps)
{
    Slider s(0, 0, nullptr, nullptr, 0, 0.0, 10, 110);
    s.setPosition(-5);
    EXPECT_EQ(10, s.getPosition());
    s.setPosition(500);
    EXPECT_EQ(110, s.getPosition());
    s.setPosition(42);
    EXPECT_EQ(42, s.getPosition());
}

TEST(SliderArithmetic, NoKnobNoDefaults)
{
    Log log;
    RecordingSprite track("track", 200, 20, log);
    Slider s(0, 0, &track, nullptr, 0, 0.5, -1, -1);
    EXPECT_EQ(-1, s.getMinimum());
    EXPECT_EQ(-1, s.getMaximum());
    EXPECT_EQ(-1, s.getPosition());
}

TEST(SliderArithmetic, VerticalUsesHeightsAndFollowsY)
{
    Log log;
    RecordingSprite track("track", 20, 100, log), knob("knob", 20, 10, log);
    Slider s(50, 60, &track, &knob, 1, 0.0, -1, -1);
    EXPECT_EQ(5, s.getMinimum());
    EXPECT_EQ(95, s.getMaximum());
    s.mouseDown(55, 100);
    EXPECT_EQ(40, s.getPosition());
    s.draw();
    EXPECT_THAT(log, ElementsAre("track draw frame=0 flags=9 at 50,60 colour 1,1,1,1",
                                 "knob draw frame=0 flags=1 at 50,95 colour 1,1,1,1"));
}

}  // namespace
