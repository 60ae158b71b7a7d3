// The whole show, 179 seconds of it, in accelerated time: the clock the
// loop reads moves 10 ms per reading, so every pass runs at most one step.
#include "ShowHarness.h"
#include "SpeechLog.h"

#include "show/Script.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace showtest;

namespace {

TEST(WholeShow, PlaysEveryPictureAndPassageAtItsTimeAndEndsAt179000) {
    PictureFolder folder;
    DummyScreen screen;
    SpeechLog speech;
    TestClock clock;
    clock.perReading = 10;
    TestApp app(clock);

    // (step time, picture) each time the screen starts showing another picture.
    std::vector<std::pair<Uint32, int>> shown;
    clock.onTicks = [&] {
        const int now = screen.shownPicture();
        if (shown.empty() || shown.back().second != now) {
            shown.emplace_back(app.app.getStepClock(), now);
        }
    };

    ASSERT_TRUE(app.init());
    app.app.run();

    // The loop ended by itself, at the end event's step.
    EXPECT_FALSE(app.app.isRunning());
    EXPECT_EQ(app.app.getStepClock(), 179000u);
    ASSERT_NE(app.presentation(), nullptr);
    EXPECT_EQ(app.presentation()->getNextEvent(), scriptEventCount);

    // Pictures 1 to 19 in order, each first drawn in the step of its time
    // (picture 1, timed 0, in the first step: 50).
    std::vector<std::pair<Uint32, int>> expectedPictures{{0, 0}};
    std::vector<std::pair<Uint32, std::u16string>> expectedSpeech;
    for (const ScriptEvent& row : showScript) {
        const Uint32 step = row.time == 0 ? 50 : row.time;
        if (row.kind == ScriptEventKind::Picture) {
            expectedPictures.emplace_back(step, row.picture);
        } else if (row.kind == ScriptEventKind::Speech) {
            expectedSpeech.emplace_back(step, row.text);
        }
    }
    EXPECT_EQ(shown, expectedPictures);

    // All 21 passages, unchanged to the last character, at their steps.
    std::vector<std::pair<Uint32, std::u16string>> spoken;
    for (const SpokenPassage& p : speech.passages()) {
        spoken.emplace_back(p.showClock, p.text);
    }
    EXPECT_EQ(spoken.size(), 21u);
    EXPECT_EQ(spoken, expectedSpeech);
}

}  // namespace
