#include "AppTestSupport.h"

#include "app/PresentationApp.h"
#include "archive/Archive.h"
#include "show/Presentation.h"

#include "TestArchive.h"

#include <filesystem>
#include <memory>

namespace {

std::vector<std::string> lifeLog;

// A scene that writes its life into lifeLog under its own name.
class LoggedScene : public RecordingScene {
public:
    LoggedScene(std::string name, bool loads = true) : name(std::move(name)), loads(loads) {}
    ~LoggedScene() override { lifeLog.push_back("delete " + name); }
    bool load() override {
        lifeLog.push_back("load " + name);
        return loads;
    }
    void unload() override { lifeLog.push_back("unload " + name); }
    void enter(Uint32 clock) override {
        RecordingScene::enter(clock);
        lifeLog.push_back("enter " + name);
    }
    void leave() override {
        RecordingScene::leave();
        lifeLog.push_back("leave " + name);
    }

    std::string name;
    bool loads;
};

class LoggedObject : public NamedObject {
public:
    explicit LoggedObject(std::string name) : name(std::move(name)) {}
    ~LoggedObject() override { lifeLog.push_back("delete " + name); }
    std::string name;
};

// The application over an archive that holds stand-ins for the show's
// pictures, so that whatever init registers under 1 can load.
class PresentationAppTest : public SdlVideoTest {
protected:
    void SetUp() override {
        SdlVideoTest::SetUp();
        lifeLog.clear();
        char pattern[] = "/tmp/glowmoth-registry-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        const std::string path = (folder / "glowmoth.dat").string();
        ASSERT_TRUE(writeTestArchive(path, "registry"));
        archive.reset(openArchive(path.c_str(), 0));
        ASSERT_NE(archive, nullptr);
        app = std::make_unique<PresentationApp>(archive.get(), clock);
    }
    void TearDown() override {
        app.reset();
        archive.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        SdlVideoTest::TearDown();
    }

    std::filesystem::path folder;
    ManualClock clock;
    std::unique_ptr<Archive> archive;
    std::unique_ptr<PresentationApp> app;
};

TEST_F(PresentationAppTest, InitSetsTheCaptionCreatesTheBankAndMakesSceneOneCurrent) {
    EXPECT_STREQ(app->caption(), "Glowmoth 1.0");
    EXPECT_EQ(app->imageBank(), nullptr);
    ASSERT_TRUE(app->init());
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    EXPECT_STREQ(title, "Glowmoth 1.0");
    EXPECT_NE(app->imageBank(), nullptr);
    EXPECT_EQ(currentApplication(), app.get());
    EXPECT_TRUE(app->scenesLoaded());
    // Scene 1 is the show, loaded (this archive holds none of its pictures)
    // and current.
    Scene* show = app->sceneByNumber(1);
    EXPECT_NE(dynamic_cast<Presentation*>(show), nullptr);
    EXPECT_EQ(app->currentScene(), show);

    // A quit request ends the loop.
    clock.now = 500;
    pushQuit();
    app->run();
    EXPECT_FALSE(app->isRunning());
}

TEST_F(PresentationAppTest, WithNothingUnderOneTheLoopRunsAndDrawsNothing) {
    ASSERT_TRUE(app->init());
    app->switchScene(1);
    app->releaseScenes();  // whatever init registered
    EXPECT_EQ(app->currentScene(), nullptr);
    for (int i = 0; i < 10; ++i) {
        clock.now += 30;
        app->runPass();
    }
    EXPECT_TRUE(app->isRunning());
    EXPECT_EQ(app->getStepClock(), app->getSmoothedClock());
    holdKey(SDLK_ESCAPE, true);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    app->run();
    holdKey(SDLK_ESCAPE, false);
    EXPECT_FALSE(app->isRunning());
}

TEST_F(PresentationAppTest, InitMakesSceneOneCurrentAndEntersIt) {
    auto* scene = new LoggedScene("one");
    app->registerScene(1, scene);
    ASSERT_TRUE(app->init());
    EXPECT_EQ(app->sceneByNumber(1), scene);
    EXPECT_EQ(app->currentScene(), scene);
    EXPECT_EQ(scene->enters, std::vector<Uint32>{0});
    EXPECT_EQ(lifeLog, (std::vector<std::string>{"load one", "enter one"}));
}

TEST_F(PresentationAppTest, AFailedLoadSpoilsTheRegistryAndInit) {
    app->registerScene(1, new LoggedScene("broken", false));
    EXPECT_FALSE(app->scenesLoaded());
    EXPECT_EQ(app->sceneByNumber(1), nullptr);

    // Later scenes are deleted without being loaded or stored.
    app->registerScene(2, new LoggedScene("late"));
    EXPECT_EQ(app->sceneByNumber(2), nullptr);
    EXPECT_FALSE(app->scenesLoaded());
    EXPECT_EQ(lifeLog, (std::vector<std::string>{"load broken", "delete broken", "delete late"}));

    EXPECT_FALSE(app->init());
    EXPECT_EQ(app->currentScene(), nullptr);
}

TEST_F(PresentationAppTest, UnknownNumbersGiveNoScene) {
    auto* scene = new LoggedScene("one");
    app->registerScene(1, scene);
    ASSERT_TRUE(app->init());
    for (int number : {0, 2, -1, 1000}) {
        EXPECT_EQ(app->sceneByNumber(number), nullptr) << number;
    }
    app->switchScene(2);
    EXPECT_EQ(app->currentScene(), nullptr);
    EXPECT_EQ(scene->leaves, 1);
    app->runPass();
    EXPECT_EQ(scene->draws, 0);
}

TEST_F(PresentationAppTest, ReleaseGoesInAscendingOrderScenesFirst) {
    app->registerScene(3, new LoggedScene("three"));
    app->registerScene(-2, new LoggedScene("minus two"));
    app->registerScene(1, new LoggedScene("one"));
    app->addNamedObject("b", new LoggedObject("b"));
    app->addNamedObject("B", new LoggedObject("B"));
    app->addNamedObject("a", new LoggedObject("a"));
    EXPECT_NE(app->namedObject("B"), nullptr);
    EXPECT_EQ(app->namedObject("c"), nullptr);
    ASSERT_TRUE(app->init());
    lifeLog.clear();

    app.reset();
    // No leave for the current scene, and names compare byte-wise.
    EXPECT_EQ(lifeLog, (std::vector<std::string>{"unload minus two", "delete minus two", "unload one",
                                                  "delete one", "unload three", "delete three", "delete B",
                                                  "delete a", "delete b"}));
}

TEST_F(PresentationAppTest, ReleasedScenesAreNoLongerDrawn) {
    app->registerScene(1, new LoggedScene("one"));
    ASSERT_TRUE(app->init());
    app->releaseAll();
    EXPECT_EQ(app->currentScene(), nullptr);
    EXPECT_EQ(app->sceneByNumber(1), nullptr);
    clock.now += 100;
    app->runPass();  // would draw a deleted scene if it were still current
    EXPECT_EQ(lifeLog, (std::vector<std::string>{"load one", "enter one", "unload one", "delete one"}));
}

TEST_F(PresentationAppTest, ANumberIsRegisteredOnce) {
    auto* first = new LoggedScene("first");
    app->registerScene(4, first);
    app->registerScene(4, new LoggedScene("second"));
    EXPECT_EQ(app->sceneByNumber(4), first);
    EXPECT_TRUE(app->scenesLoaded());
    EXPECT_EQ(lifeLog, (std::vector<std::string>{"load first", "load second", "unload second", "delete second"}));
}

TEST_F(PresentationAppTest, ANamedObjectReplacedUnderItsNameIsDeleted) {
    app->addNamedObject("x", new LoggedObject("old"));
    auto* replacement = new LoggedObject("new");
    app->addNamedObject("x", replacement);
    EXPECT_EQ(app->namedObject("x"), replacement);
    EXPECT_EQ(lifeLog, std::vector<std::string>{"delete old"});
    app->releaseNamedObjects();
    EXPECT_EQ(app->namedObject("x"), nullptr);
}

}  // namespace
