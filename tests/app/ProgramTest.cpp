// The built program as a whole process: what start-up does with the
// command line, the archive and the screen, seen from outside.
#include "ProcessSupport.h"
#include "TestArchive.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const std::string builtProgram = GLOWMOTH_BINARY_DIR "/bin/glowmoth";

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
        program = (folder / "glowmoth").string();
        ASSERT_TRUE(copyBareProgram(builtProgram, program));
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
    std::string program;  // a copy that carries no archive
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

TEST_F(ProgramTest, StartsFromGlowmothDatInTheWorkingFolder) {
    ASSERT_TRUE(writeTestArchive((folder / "glowmoth.dat").string(), "side"));
    ChildProcess child({program}, headless(), folder.string());
    ASSERT_TRUE(child.waitForExit(60)) << child.stderrText();
    EXPECT_EQ(child.exitStatus(), 0) << child.stderrText();
    const std::string& err = child.stderrText();
    EXPECT_NE(err.find("glowmoth: archive glowmoth.dat\n"), std::string::npos) << err;
    EXPECT_NE(err.find("glowmoth: screen 640x480x32 fullscreen\n"), std::string::npos) << err;
    EXPECT_NE(err.find("glowmoth: pointer hidden\n"), std::string::npos) << err;
}

TEST_F(ProgramTest, ShutsDownTheArchiveBeforeTheVoice) {
    ASSERT_TRUE(writeTestArchive((folder / "glowmoth.dat").string(), "side"));
    ChildProcess child({program, "w"}, headless(), folder.string());
    ASSERT_TRUE(child.waitForExit(60)) << child.stderrText();
    EXPECT_EQ(child.exitStatus(), 0) << child.stderrText();
    const std::string& err = child.stderrText();
    const std::size_t screen = err.find("glowmoth: screen ");
    const std::size_t application = err.find("glowmoth: application deleted\n");
    const std::size_t archive = err.find("glowmoth: archive deleted\n");
    const std::size_t speech = err.find("glowmoth: speech stopped\n");
    ASSERT_NE(screen, std::string::npos) << err;
    ASSERT_NE(application, std::string::npos) << err;
    ASSERT_NE(archive, std::string::npos) << err;
    ASSERT_NE(speech, std::string::npos) << err;
    EXPECT_LT(screen, application);
    EXPECT_LT(application, archive);
    EXPECT_LT(archive, speech);
}

TEST_F(ProgramTest, AnArchiveAppendedToTheExecutableWinsOverTheSideFile) {
    const fs::path copy = folder / "glowmoth-with-archive";
    fs::copy_file(program, copy);
    ASSERT_TRUE(writeTestArchive((folder / "appended.dat").string(), "appended"));
    ASSERT_TRUE(appendFile((folder / "appended.dat").string(), copy.string()));
    fs::remove(folder / "appended.dat");
    ASSERT_TRUE(writeTestArchive((folder / "glowmoth.dat").string(), "side"));

    ChildProcess child({copy.string(), "w"}, headless(), folder.string());
    ASSERT_TRUE(child.waitForExit(60)) << child.stderrText();
    EXPECT_EQ(child.exitStatus(), 0) << child.stderrText();
    const std::string& err = child.stderrText();
    EXPECT_NE(err.find("glowmoth: archive " + fs::canonical(copy).string() + "\n"), std::string::npos) << err;
    EXPECT_EQ(err.find("glowmoth.dat"), std::string::npos) << err;
    EXPECT_NE(err.find("glowmoth: screen 640x480x32 window\n"), std::string::npos) << err;
}

TEST_F(ProgramTest, OnlyAWholeLowerCaseWArgumentGivesAWindow) {
    ASSERT_TRUE(writeTestArchive((folder / "glowmoth.dat").string(), "side"));
    struct Case {
        std::vector<std::string> args;
        const char* screen;
        const char* flags;
    };
    const Case cases[] = {
        {{}, "fullscreen", "0xc0000001"},       {{"w"}, "window", "0x40000001"},
        {{"W"}, "fullscreen", "0xc0000001"},    {{"-w"}, "fullscreen", "0xc0000001"},
        {{"window"}, "fullscreen", "0xc0000001"}, {{"x", "w", "y"}, "window", "0x40000001"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const std::string label = c.args.empty() ? "no arguments" : c.args[0] + " ...";
        ChildProcess child(argv, headless(), folder.string());
        ASSERT_TRUE(child.waitForExit(60)) << label << child.stderrText();
        EXPECT_EQ(child.exitStatus(), 0) << label;
        const std::string& err = child.stderrText();
        EXPECT_NE(err.find(std::string("glowmoth: screen 640x480x32 ") + c.screen + "\n"), std::string::npos)
            << label << "\n" << err;
        // The first depth gives a surface, so it is the only mode set.
        EXPECT_NE(err.find(std::string("setVideoMode 640x480x32 flags ") + c.flags + ": ok"), std::string::npos)
            << label << "\n" << err;
        EXPECT_EQ(err.find("setVideoMode 640x480x24"), std::string::npos) << label;
    }
}

}  // namespace
