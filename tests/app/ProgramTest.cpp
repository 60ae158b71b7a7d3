// The built program as a whole process: what start-up does with the
// command line, the archive and the screen, seen from outside.
#include "ProcessSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const std::string program = GLOWMOTH_BINARY_DIR "/bin/glowmoth";

const char missingArchiveReport[] =
    "Glowmoth Initialization Error\n"
    "Cannot open data storage!\n"
    "Missing file: executable itself or glowmoth.dat\n"
    "You may need to reinstall the demo.\n";

// A fresh working folder per test, removed afterwards.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/glowmoth-program-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    // Headless, no box on failure (no display), start-up traced, and the
    // loop ended shortly after it starts.
    ChildProcess::EnvChanges headless() const {
        return {{"DISPLAY", std::nullopt},
                {"SDL_VIDEODRIVER", std::string("dummy")},
                {"GLOWMOTH_SPEECH", std::string("silent")},
                {"GLOWMOTH_TRACE", std::string("1")},
                {"GLOWMOTH_TEST_QUIT_MS", std::string("200")}};
    }

    fs::path folder;
};

TEST_F(ProgramTest, WithoutAnyArchiveReportsItBeforeAnyVideoModeAndExitsWith1) {
    ChildProcess child({program, "w"}, headless(), folder.string());
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(child.waitForExit(30)) << child.stderrText();
    EXPECT_EQ(child.exitStatus(), 1);
    EXPECT_NE(child.stderrText().find(missingArchiveReport), std::string::npos) << child.stderrText();
    EXPECT_EQ(child.stderrText().find("setVideoMode"), std::string::npos) << child.stderrText();
}

TEST_F(ProgramTest, WhenSdlCannotStartItReportsSdlsOwnTextAndExitsWith1) {
    auto env = headless();
    env["SDL_VIDEODRIVER"] = std::string("no-such-driver");
    ChildProcess child({program}, env, folder.string());
    ASSERT_TRUE(child.waitForExit(30)) << child.stderrText();
    EXPECT_EQ(child.exitStatus(), 1);
    const std::string& err = child.stderrText();
    const std::string title = "Unable to init SDL\n";
    ASSERT_EQ(err.compare(0, title.size(), title), 0) << err;
    // SDL's text follows on its own line, whatever it says.
    EXPECT_GT(err.size(), title.size() + 1) << err;
    EXPECT_EQ(err.find("Glowmoth Initialization Error"), std::string::npos);
}

}  // namespace
