// The built program as a whole: it carries its pictures at its own end.
#include "../app/ProcessSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const std::string program = GLOWMOTH_BINARY_DIR "/bin/glowmoth";
const std::string glowpack = GLOWMOTH_BINARY_DIR "/bin/glowpack";

class ShowProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/glowmoth-show-program-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    fs::path folder;
};

TEST_F(ShowProgramTest, PlaysFromItsOwnArchiveInAnEmptyFolder) {
    ChildProcess child({program, "w"},
                       {{"DISPLAY", std::nullopt},
                        {"SDL_VIDEODRIVER", std::string("dummy")},
                        {"GLOWMOTH_SPEECH", std::string("silent")},
                        {"GLOWMOTH_TRACE", std::string("1")},
                        {"GLOWMOTH_TEST_QUIT_MS", std::string("300")}},
                       folder.string());
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(child.waitForExit(60)) << child.stderrText();
    EXPECT_EQ(child.exitStatus(), 0) << child.stderrText();
    const std::string& trace = child.stderrText();
    EXPECT_NE(trace.find("archive " + program), std::string::npos) << trace;
    EXPECT_NE(trace.find("pictures 19 of 19"), std::string::npos) << trace;
    // Nothing was needed from, or left in, the working folder.
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(ShowProgramTest, GlowpackListsTheNineteenPicturesInTheProgram) {
    ChildProcess child({glowpack, "list", program}, {}, folder.string());
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(child.waitForExit(60)) << child.stderrText();
    EXPECT_EQ(child.exitStatus(), 0) << child.stderrText();
    const std::string& listing = child.stdoutText();
    for (int n = 1; n <= 19; ++n) {
        const std::string name = "data/2t" + std::to_string(n) + ".png";
        const std::size_t at = listing.find(name);
        ASSERT_NE(at, std::string::npos) << name << " missing from:\n" << listing;
    }
    std::size_t entries = 0;
    for (std::size_t at = listing.find("data/2t"); at != std::string::npos; at = listing.find("data/2t", at + 1)) {
        ++entries;
    }
    EXPECT_EQ(entries, 19u) << listing;
}

}  // namespace
