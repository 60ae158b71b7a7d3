// The presentation's firing rules and drawing, on SDL's dummy screen with a
// clock the test drives.
#include "ShowHarness.h"
#include "SpeechLog.h"

#include "image/Image.h"
#include "show/Script.h"
#include "show/TimelineEvent.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace showtest;

namespace {

// An event that notes its name in a shared list when fired.
class NotingEvent : public TimelineEvent {
public:
    NotingEvent(std::vector<std::string>& fired, std::string name, Uint32 at) : fired(fired), name(std::move(name)) {
        setTime(at);
    }
    void fire(Presentation*) override { fired.push_back(name); }

private:
    std::vector<std::string>& fired;
    std::string name;
};

class PresentationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.init());
        presentation = app.presentation();
        ASSERT_NE(presentation, nullptr);
    }

    Presentation& show() { return *presentation; }

    void stepTo(Uint32 time) {
        KeyQueue keys;
        presentation->update(time, keys);
    }

    Image* picture(int number) { return show().getPictures().at(number - 1); }

    std::set<int> missing;
    PictureFolder folder{missing};
    DummyScreen screen;
    SpeechLog speech;
    TestClock clock;
    TestApp app{clock};
    Presentation* presentation = nullptr;
};

TEST_F(PresentationTest, LoadGivesNineteenPicturesAndTheScriptsTimeline) {
    EXPECT_EQ(show().stepRate, 20u);
    ASSERT_EQ(show().getPictures().size(), 19u);
    for (Image* p : show().getPictures()) {
        EXPECT_NE(p, nullptr);
    }
    ASSERT_EQ(show().getEvents().size(), scriptEventCount);
    for (std::size_t i = 0; i < scriptEventCount; ++i) {
        SCOPED_TRACE("event " + std::to_string(i + 1));
        const TimelineEvent* event = show().getEvents()[i];
        const ScriptEvent& row = showScript[i];
        EXPECT_EQ(event->time(), row.time);
        switch (row.kind) {
        case ScriptEventKind::Speech: {
            auto* speechEvent = dynamic_cast<const SpeechEvent*>(event);
            ASSERT_NE(speechEvent, nullptr);
            EXPECT_EQ(speechEvent->getText(), row.text);
            break;
        }
        case ScriptEventKind::Picture: {
            auto* pictureEvent = dynamic_cast<const PictureEvent*>(event);
            ASSERT_NE(pictureEvent, nullptr);
            EXPECT_EQ(pictureEvent->getPicture(), picture(row.picture));
            break;
        }
        case ScriptEventKind::End:
            EXPECT_NE(dynamic_cast<const EndEvent*>(event), nullptr);
            break;
        }
    }
    EXPECT_EQ(show().getNextEvent(), 0u);
    EXPECT_EQ(show().getCurrentPicture(), nullptr);
}

TEST_F(PresentationTest, LoadRestartsTheApplicationsClock) {
    clock.perReading = 10;
    clock.onTicks = [&] {
        if (app.app.getStepClock() >= 1000) {
            app.app.setRunning(false);
        }
    };
    app.app.run();
    ASSERT_GE(app.app.getStepClock(), 1000u);

    Presentation another;
    EXPECT_TRUE(another.load());
    EXPECT_EQ(app.app.getStepClock(), 0u);
    EXPECT_EQ(app.app.getSmoothedClock(), 0u);
}

TEST_F(PresentationTest, FirstStepFiresBothEventsAtZeroSpeechFirst) {
    clock.perReading = 10;
    clock.onTicks = [&] {
        if (app.app.getStepClock() > 0) {
            app.app.setRunning(false);
        }
    };
    app.app.run();

    EXPECT_EQ(app.app.getStepClock(), 50u);
    EXPECT_EQ(show().getNextEvent(), 2u);
    ASSERT_EQ(speech.passages().size(), 1u);
    EXPECT_EQ(speech.passages()[0].text, std::u16string(showScript[0].text));
    EXPECT_EQ(speech.passages()[0].showClock, 50u);
    // The voice was set while no picture was up yet: speech came first.
    EXPECT_EQ(speech.passages()[0].pictureWhenSpoken, nullptr);
    EXPECT_EQ(show().getCurrentPicture(), picture(1));
    EXPECT_EQ(screen.shownPicture(), 1);
}

TEST_F(PresentationTest, PictureAndItsPassageFireInDifferentSteps) {
    stepTo(19750);
    EXPECT_EQ(show().getCurrentPicture(), picture(1));
    const std::size_t spoken = speech.passages().size();
    EXPECT_EQ(spoken, 3u);  // the voice and the two passages over picture 1

    stepTo(19800);
    EXPECT_EQ(show().getCurrentPicture(), picture(2));
    EXPECT_EQ(speech.passages().size(), spoken);

    stepTo(19850);
    EXPECT_EQ(speech.passages().size(), spoken);

    stepTo(19900);
    ASSERT_EQ(speech.passages().size(), spoken + 1);
    EXPECT_EQ(speech.passages().back().text, std::u16string(showScript[5].text));
}

TEST_F(PresentationTest, StepsDiscardPressedKeys) {
    KeyQueue keys{SDLK_a, SDLK_DOWN, SDLK_SPACE};
    show().update(50, keys);
    EXPECT_TRUE(keys.empty());
    EXPECT_EQ(show().getClock(), 50u);
}

TEST_F(PresentationTest, DrawClearsToBlackAndCentresThePicture) {
    SDL_FillRect(screen.surface, nullptr, SDL_MapRGB(screen.surface->format, 255, 255, 255));
    show().draw(screen.surface);
    EXPECT_EQ(screen.shownPicture(), 0);
    EXPECT_EQ(screen.pictureAt(0, 0), 0);

    stepTo(50);
    show().draw(screen.surface);
    // The 64x48 card covers (288, 216) to (351, 263); around it is black.
    EXPECT_EQ(screen.pictureAt(288, 216), 1);
    EXPECT_EQ(screen.pictureAt(351, 263), 1);
    EXPECT_EQ(screen.pictureAt(287, 240), 0);
    EXPECT_EQ(screen.pictureAt(352, 240), 0);
    EXPECT_EQ(screen.pictureAt(320, 215), 0);
    EXPECT_EQ(screen.pictureAt(320, 264), 0);
    EXPECT_EQ(screen.pictureAt(0, 0), 0);
}

TEST_F(PresentationTest, StallFiresSeveralStepsInOnePassAndDrawsOnlyTheLastPicture) {
    struct Reading {
        Uint32 stepClock;
        int shown;
    };
    std::vector<Reading> readings;
    bool stalled = false;
    clock.perReading = 10;
    clock.onTicks = [&] {
        const Uint32 now = app.app.getStepClock();
        readings.push_back({now, screen.shownPicture()});
        if (!stalled && now >= 30000) {
            // The machine stops for a minute: the loop finds the time far ahead.
            stalled = true;
            clock.now += 60000;
        }
        if (now >= 45000) {
            app.app.setRunning(false);
        }
    };
    app.app.run();

    std::vector<int> shown;
    Uint32 longestPass = 0;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        if (shown.empty() || shown.back() != readings[i].shown) {
            shown.push_back(readings[i].shown);
        }
        if (i > 0) {
            longestPass = std::max(longestPass, readings[i].stepClock - readings[i - 1].stepClock);
        }
    }
    // Pictures 4 (32700) and 5 (39300) came due in the same catch-up pass:
    // 4 was current for a moment but never reached the screen.
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 5}));
    EXPECT_GT(longestPass, 50u * 100);

    // The passages due in the stall were all handed over, once each, in order.
    std::vector<std::u16string> spoken;
    for (const auto& p : speech.passages()) {
        spoken.push_back(p.text);
    }
    std::vector<std::u16string> due;
    for (const ScriptEvent& row : showScript) {
        if (row.kind == ScriptEventKind::Speech && row.time <= app.app.getStepClock()) {
            due.push_back(row.text);
        }
    }
    EXPECT_EQ(spoken, due);
}

TEST(PresentationMissingPicture, GivesBlackForItsSpanAndTheShowGoesOn) {
    PictureFolder folder({3});
    DummyScreen screen;
    SpeechLog speech;
    TestClock clock;
    TestApp app(clock);
    ASSERT_TRUE(app.init());
    Presentation* show = app.presentation();
    ASSERT_NE(show, nullptr);
    ASSERT_EQ(show->getPictures().size(), 19u);
    EXPECT_EQ(show->getPictures()[2], nullptr);
    EXPECT_NE(show->getPictures()[1], nullptr);
    EXPECT_NE(show->getPictures()[3], nullptr);

    struct Frame {
        Uint32 time;
        int shown;
    };
    const Frame frames[] = {{28650, 2}, {28700, 0}, {30000, 0}, {32650, 0}, {32700, 4}};
    for (const Frame& frame : frames) {
        KeyQueue keys;
        show->update(frame.time, keys);
        show->draw(screen.surface);
        EXPECT_EQ(screen.shownPicture(), frame.shown) << "at " << frame.time;
    }
    // Its passage, the title, was still spoken over the black screen.
    EXPECT_EQ(speech.passages().back().text, std::u16string(showScript[7].text));
    EXPECT_EQ(speech.passages().back().pictureWhenSpoken, nullptr);
}

TEST_F(PresentationTest, EndEventStopsTheLoopAndItsPassStillDraws) {
    bool jumped = false;
    int shownBeforeJump = -1;
    clock.perReading = 10;
    clock.onTicks = [&] {
        if (!jumped && app.app.getStepClock() >= 165000) {
            // One pass now runs every step to the end: picture 19, the
            // credits and the end event all fire in it.
            jumped = true;
            shownBeforeJump = screen.shownPicture();
            clock.now += 1000000;
        }
    };
    app.app.run();

    ASSERT_TRUE(jumped);
    EXPECT_EQ(shownBeforeJump, 18);
    EXPECT_FALSE(app.app.isRunning());
    EXPECT_EQ(show().getNextEvent(), scriptEventCount);
    // The pass that stopped the show drew its last picture before the loop ended.
    EXPECT_EQ(screen.shownPicture(), 19);
}

TEST(PresentationTimeline, FiresInListOrderEachOnceAndStopsAtTheFirstNotDue) {
    std::vector<std::string> fired;
    Presentation show;
    show.addEvent(new NotingEvent(fired, "a", 0));
    show.addEvent(new NotingEvent(fired, "b", 0));
    show.addEvent(new NotingEvent(fired, "late", 200));
    show.addEvent(new NotingEvent(fired, "early", 100));
    show.addEvent(nullptr);  // ignored

    KeyQueue keys;
    show.update(50, keys);
    EXPECT_EQ(fired, (std::vector<std::string>{"a", "b"}));
    show.update(150, keys);  // "early" is due but waits behind "late"
    EXPECT_EQ(fired, (std::vector<std::string>{"a", "b"}));
    show.update(200, keys);
    EXPECT_EQ(fired, (std::vector<std::string>{"a", "b", "late", "early"}));
    show.update(1000, keys);
    EXPECT_EQ(fired.size(), 4u);
    EXPECT_EQ(show.getNextEvent(), 4u);
}

TEST(PresentationTimeline, EventsBehindTheEndInTheSameStepStillFire) {
    DummyScreen screen;
    TestClock clock;
    TestApp app(clock);
    // No pictures folder: every picture is missing, the show still loads.
    ASSERT_TRUE(app.init());
    Presentation show;
    std::vector<std::string> fired;
    auto* end = new EndEvent;
    end->setTime(100);
    show.addEvent(end);
    show.addEvent(new NotingEvent(fired, "after", 100));
    KeyQueue keys;
    show.update(100, keys);
    EXPECT_FALSE(app.app.isRunning());
    EXPECT_EQ(fired, (std::vector<std::string>{"after"}));
}

TEST(PresentationTimeline, LoadWithoutARunningApplicationGivesABlackShow) {
    // An application that ran earlier in this process leaves its pointer
    // behind when it ends, so this only holds in a fresh process (as ctest
    // runs every case).
    if (currentApplication()) {
        GTEST_SKIP() << "an application already ran in this process";
    }
    Presentation show;
    EXPECT_TRUE(show.load());
    EXPECT_EQ(show.getEvents().size(), scriptEventCount);
    EXPECT_EQ(show.getPictures().size(), 19u);
}

}  // namespace
