#include "AppTestSupport.h"

#include <map>

namespace {

// The abstract core with just enough around it: scenes by number (not
// owned), and a count of flips instead of SDL_Flip's invisible work.
class LoopApp : public Application {
public:
    explicit LoopApp(Clock& clock) : Application(clock) {}

    const char* caption() override { return "Loop under test"; }
    Scene* sceneByNumber(int number) override {
        auto found = scenes.find(number);
        return found == scenes.end() ? nullptr : found->second;
    }
    void flip() override { ++flips; }

    // Places the clocks where a case needs them, as a long run would have.
    void setClocks(Uint32 smoothed, Uint32 stepped) {
        smoothedClock = smoothed;
        stepClock = stepped;
    }
    using Application::handleEvent;

    std::map<int, Scene*> scenes;
    int flips = 0;
};

class LoopTest : public SdlVideoTest {
protected:
    void SetUp() override {
        SdlVideoTest::SetUp();
        clock.now = 1000;
        ASSERT_TRUE(app.init());
    }

    void makeCurrent(RecordingScene& scene) {
        app.scenes[1] = &scene;
        app.switchScene(1);
    }

    ManualClock clock;
    LoopApp app{clock};
};

TEST_F(LoopTest, InitTakesTheScreenSetsTheCaptionAndBecomesCurrent) {
    EXPECT_EQ(currentApplication(), &app);
    EXPECT_EQ(app.getScreen(), SDL_GetVideoSurface());
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    EXPECT_STREQ(title, "Loop under test");
    EXPECT_STREQ(icon, "");
    EXPECT_TRUE(app.isRunning());
    EXPECT_EQ(app.currentScene(), nullptr);
}

TEST_F(LoopTest, SmoothedClockFollowsElapsedTimeByAQuarterPerPass) {
    clock.now = 1008;
    app.runPass();
    EXPECT_EQ(app.getSmoothedClock(), 2u);
    clock.now = 1016;
    app.runPass();
    EXPECT_EQ(app.getSmoothedClock(), 5u);  // (6 + 16) >> 2
}

TEST_F(LoopTest, SmoothedClockStaysUpToThreeBelowAStillClock) {
    clock.now = 1100;
    for (int i = 0; i < 100; ++i) {
        app.runPass();
    }
    EXPECT_EQ(app.getSmoothedClock(), 97u);
}

TEST_F(LoopTest, ElapsedTimeSurvivesTheTickCounterWrapping) {
    clock.now = 0xFFFFFFF0u;
    app.resetClock();
    clock.now = 8;  // 24 ms later
    app.runPass();
    EXPECT_EQ(app.getSmoothedClock(), 6u);
}

TEST_F(LoopTest, FirstUpdateAfterAResetCarriesOneStepLength) {
    struct Case {
        Uint32 rate;
        Uint32 firstTime;
    };
    for (const Case& c : {Case{20, 50}, Case{25, 40}, Case{1000, 1}, Case{3, 333}, Case{1, 1000}}) {
        RecordingScene scene(c.rate);
        makeCurrent(scene);
        app.resetClock();
        clock.now += 8;
        app.runPass();
        ASSERT_FALSE(scene.updates.empty()) << "rate " << c.rate;
        EXPECT_EQ(scene.updates.front().time, c.firstTime) << "rate " << c.rate;
        app.scenes.clear();
        app.switchScene(1);
    }
}

TEST_F(LoopTest, EqualClocksStepNothingButStillDrawAndFlip) {
    RecordingScene scene(20);
    makeCurrent(scene);
    app.runPass();  // no time has passed: both clocks at 0
    EXPECT_TRUE(scene.updates.empty());
    EXPECT_EQ(scene.draws, 1);
    EXPECT_EQ(scene.drawnOn, app.getScreen());
    EXPECT_EQ(app.flips, 1);

    app.setClocks(150, 150);
    EXPECT_TRUE(app.step());
    EXPECT_TRUE(scene.updates.empty());
}

TEST_F(LoopTest, StepCatchesUpInWholeStepsAndFallsBehindWithoutDrawing) {
    RecordingScene scene(20);
    makeCurrent(scene);
    app.setClocks(120, 0);
    EXPECT_TRUE(app.step());
    ASSERT_EQ(scene.updates.size(), 3u);
    EXPECT_EQ(scene.updates[0].time, 50u);
    EXPECT_EQ(scene.updates[1].time, 100u);
    EXPECT_EQ(scene.updates[2].time, 150u);
    EXPECT_EQ(app.getStepClock(), 150u);

    // The scene is ahead of the smoothed clock until it passes 150.
    app.setClocks(149, 150);
    EXPECT_FALSE(app.step());
    EXPECT_EQ(scene.updates.size(), 3u);
}

TEST_F(LoopTest, WithoutASceneNothingIsDrawnOrFlippedAndNoStepsAreOwed) {
    for (int i = 0; i < 40; ++i) {
        clock.now += 25;
        app.runPass();
    }
    EXPECT_EQ(app.flips, 0);
    EXPECT_EQ(app.getStepClock(), app.getSmoothedClock());
    const Uint32 smoothed = app.getSmoothedClock();
    EXPECT_GT(smoothed, 900u);

    RecordingScene scene(20);
    makeCurrent(scene);
    EXPECT_EQ(scene.enters, std::vector<Uint32>{smoothed});
    clock.now += 25;
    app.runPass();
    // One step, not the twenty a second of absence would otherwise owe.
    EXPECT_EQ(scene.updates.size(), 1u);
    EXPECT_EQ(app.flips, 1);
}

TEST_F(LoopTest, AStallMovesTheClockAQuarterAndThenAQuarterOfTheRest) {
    RecordingScene scene(20);
    makeCurrent(scene);
    clock.now = 1000 + 400;
    app.resetClock();
    clock.now = 2400;  // elapsed 1000
    app.setClocks(0, 0);
    app.runPass();
    EXPECT_EQ(app.getSmoothedClock(), 250u);
    EXPECT_EQ(scene.updates.size(), 5u);  // several steps in one pass

    app.runPass();
    EXPECT_EQ(app.getSmoothedClock(), 437u);  // 250 + 750 / 4, fraction dropped
    EXPECT_EQ(scene.updates.size(), 9u);

    for (int i = 0; i < 40; ++i) {
        app.runPass();
    }
    EXPECT_EQ(app.getSmoothedClock(), 997u);
    EXPECT_EQ(app.getStepClock(), 1000u);
}

TEST_F(LoopTest, KeysAreQueuedWithTheKeypadArrowsRemapped) {
    struct Case {
        SDLKey pressed;
        std::int32_t queued;
    };
    const Case cases[] = {
        {SDLK_KP2, SDLK_DOWN}, {SDLK_KP4, SDLK_LEFT}, {SDLK_KP6, SDLK_RIGHT}, {SDLK_KP8, SDLK_UP},
        {SDLK_KP5, SDLK_KP5},  {SDLK_a, SDLK_a},      {SDLK_UP, SDLK_UP},
    };
    RecordingScene scene;
    makeCurrent(scene);
    for (const Case& c : cases) {
        pushKey(SDL_KEYDOWN, c.pressed);
    }
    clock.now += 100;
    app.runPass();
    ASSERT_EQ(scene.keysDown.size(), std::size(cases));
    ASSERT_FALSE(scene.updates.empty());
    ASSERT_EQ(scene.updates.front().keys.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(scene.keysDown[i], cases[i].pressed) << i;
        EXPECT_EQ(scene.updates.front().keys[i], cases[i].queued) << i;
    }
    EXPECT_EQ(SDLK_KP8, 264);
    EXPECT_EQ(SDLK_UP, 273);
}

TEST_F(LoopTest, KeysPressedWithoutASceneReachTheNextScenesFirstUpdate) {
    pushKey(SDL_KEYDOWN, SDLK_KP8);
    pushKey(SDL_KEYDOWN, SDLK_b);
    app.runPass();
    EXPECT_EQ(app.getKeyQueue(), (KeyQueue{SDLK_UP, SDLK_b}));

    RecordingScene scene;
    makeCurrent(scene);
    clock.now += 100;
    app.runPass();
    ASSERT_FALSE(scene.updates.empty());
    EXPECT_EQ(scene.updates.front().keys, (std::vector<std::int32_t>{SDLK_UP, SDLK_b}));
    EXPECT_TRUE(scene.keysDown.empty());
}

TEST_F(LoopTest, KeyUpAndMouseEventsGoToTheSceneAndAreDroppedWithoutOne) {
    auto pushMouse = [](Uint8 type, Uint8 button, Uint16 x, Uint16 y) {
        SDL_Event event{};
        event.type = type;
        if (type == SDL_MOUSEMOTION) {
            event.motion.type = type;
            event.motion.x = x;
            event.motion.y = y;
        } else {
            event.button.type = type;
            event.button.button = button;
            event.button.x = x;
            event.button.y = y;
        }
        ASSERT_EQ(SDL_PushEvent(&event), 0);
    };
    pushMouse(SDL_MOUSEBUTTONDOWN, 1, 5, 5);
    pushKey(SDL_KEYUP, SDLK_c);
    app.runPass();
    EXPECT_TRUE(app.getKeyQueue().empty());

    RecordingScene scene;
    makeCurrent(scene);
    pushMouse(SDL_MOUSEMOTION, 0, 10, 20);
    pushMouse(SDL_MOUSEBUTTONDOWN, 1, 10, 20);
    pushMouse(SDL_MOUSEBUTTONUP, 3, 10, 20);
    pushKey(SDL_KEYUP, SDLK_d);
    app.runPass();
    EXPECT_EQ(scene.mouse, (std::vector<std::string>{"move10,20", "down1", "up3"}));
    EXPECT_EQ(scene.keysUp, std::vector<int>{SDLK_d});
    EXPECT_TRUE(scene.keysDown.empty());
    EXPECT_TRUE(app.getKeyQueue().empty());  // key-ups are not queued
    EXPECT_TRUE(app.isRunning());
}

TEST_F(LoopTest, AnyKeyPressWhileEscapeIsHeldStopsTheLoop) {
    RecordingScene scene;
    makeCurrent(scene);
    holdKey(SDLK_ESCAPE, false);
    pushKey(SDL_KEYDOWN, SDLK_a);
    app.runPass();
    EXPECT_TRUE(app.isRunning());

    // A key-up is never tested for Escape.
    holdKey(SDLK_ESCAPE, true);
    pushKey(SDL_KEYUP, SDLK_ESCAPE);
    app.runPass();
    EXPECT_TRUE(app.isRunning());

    pushKey(SDL_KEYDOWN, SDLK_a);
    app.runPass();
    EXPECT_FALSE(app.isRunning());
    EXPECT_EQ(scene.keysDown, (std::vector<int>{SDLK_a, SDLK_a}));
    holdKey(SDLK_ESCAPE, false);
}

// A tap's press and release can both be read before the loop sees the
// press; the state then says released, and the key itself must still count.
TEST_F(LoopTest, AnEscapeTapStopsTheLoopEvenWhenAlreadyReleased) {
    RecordingScene scene;
    makeCurrent(scene);
    holdKey(SDLK_ESCAPE, false);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    pushKey(SDL_KEYUP, SDLK_ESCAPE);
    app.runPass();
    EXPECT_FALSE(app.isRunning());
    EXPECT_EQ(scene.keysDown, std::vector<int>{SDLK_ESCAPE});
    EXPECT_EQ(scene.keysUp, std::vector<int>{SDLK_ESCAPE});
}

TEST_F(LoopTest, AfterAQuitTheRestOfTheQueueAndThePassStillRun) {
    RecordingScene scene(20);
    makeCurrent(scene);
    pushQuit();
    pushKey(SDL_KEYDOWN, SDLK_x);
    clock.now += 100;
    app.runPass();
    EXPECT_FALSE(app.isRunning());
    EXPECT_EQ(scene.keysDown, std::vector<int>{SDLK_x});
    EXPECT_FALSE(scene.updates.empty());
    EXPECT_EQ(scene.draws, 1);
    EXPECT_EQ(app.flips, 1);
    app.run();  // returns at once: the loop tests running first
    EXPECT_EQ(scene.draws, 1);
}

TEST_F(LoopTest, SleepsOneMillisecondOnlyWhenNoTickPassedDuringThePass) {
    RecordingScene scene(20);
    makeCurrent(scene);
    app.runPass();
    EXPECT_EQ(clock.delays, std::vector<Uint32>{1});

    // Drawing takes a tick: time moved during the pass, so no sleep.
    scene.clockToAdvanceOnDraw = &clock;
    app.runPass();
    EXPECT_EQ(clock.delays, std::vector<Uint32>{1});
    EXPECT_EQ(scene.draws, 2);
}

TEST_F(LoopTest, RunStepsTheSceneAtItsRateUntilSomethingStopsIt) {
    class StoppingScene : public RecordingScene {
    public:
        StoppingScene() : RecordingScene(20) {}
        void update(Uint32 stepTime, KeyQueue& queue) override {
            RecordingScene::update(stepTime, queue);
            if (stepTime >= 1000) {
                currentApplication()->setRunning(false);
            }
        }
    } scene;
    makeCurrent(scene);
    clock.delayAdvances = true;  // time moves only through the loop's sleeps
    app.run();
    EXPECT_FALSE(app.isRunning());
    ASSERT_EQ(scene.updates.size(), 20u);
    for (std::size_t i = 0; i < scene.updates.size(); ++i) {
        EXPECT_EQ(scene.updates[i].time, 50u * (i + 1));
    }
    // Time moved only through the loop's sleeps, one per pass, a millisecond
    // each; frames come about once per step, not once per pass.
    EXPECT_GT(clock.delays.size(), 900u);
    EXPECT_EQ(clock.delays, std::vector<Uint32>(clock.delays.size(), 1));
    EXPECT_LE(scene.draws, 50);
}

TEST_F(LoopTest, SwitchingScenesLeavesTheOldEntersTheNewAndKeepsTheClocks) {
    RecordingScene first;
    RecordingScene second;
    app.scenes[1] = &first;
    app.scenes[2] = &second;
    app.setClocks(300, 280);
    app.switchScene(1);
    app.switchScene(2);
    EXPECT_EQ(first.enters, std::vector<Uint32>{300});
    EXPECT_EQ(first.leaves, 1);
    EXPECT_EQ(second.enters, std::vector<Uint32>{300});
    EXPECT_EQ(app.currentScene(), &second);
    EXPECT_EQ(app.getStepClock(), 280u);

    app.switchScene(7);
    EXPECT_EQ(second.leaves, 1);
    EXPECT_EQ(app.currentScene(), nullptr);
    app.runPass();
    EXPECT_EQ(second.draws + first.draws, 0);
    EXPECT_EQ(app.flips, 0);
}

// Rates outside 1..1000 would divide by zero or never finish catching up.
TEST_F(LoopTest, RatesOutsideTheRangeAreHeldToIt) {
    struct Case {
        Uint32 rate;
        Uint32 firstTime;
    };
    for (const Case& c : {Case{0, 1000}, Case{5000, 1}}) {
        RecordingScene scene(c.rate);
        makeCurrent(scene);
        app.setClocks(3, 0);
        EXPECT_TRUE(app.step());
        ASSERT_FALSE(scene.updates.empty());
        EXPECT_EQ(scene.updates.front().time, c.firstTime) << "rate " << c.rate;
        app.scenes.clear();
        app.switchScene(1);
    }
}

TEST_F(LoopTest, ASceneThatLeavesNoSceneCurrentEndsTheCatchUp) {
    class Vanishing : public RecordingScene {
    public:
        void update(Uint32 stepTime, KeyQueue& queue) override {
            RecordingScene::update(stepTime, queue);
            currentApplication()->switchScene(99);
        }
    } scene;
    makeCurrent(scene);
    app.setClocks(500, 0);
    EXPECT_TRUE(app.step());
    EXPECT_EQ(scene.updates.size(), 1u);
    EXPECT_EQ(app.currentScene(), nullptr);
}

}  // namespace
