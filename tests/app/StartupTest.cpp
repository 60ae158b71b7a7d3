#include "app/ErrorReport.h"
#include "app/Startup.h"
#include "archive/Archive.h"

#include "TestArchive.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

TEST(StartupArguments, OnlyAWholeLowerCaseWAsksForAWindow) {
    struct Case {
        std::vector<const char*> args;
        bool fullScreen;
    };
    const Case cases[] = {
        {{}, true},
        {{"w"}, false},
        {{"x", "w", "y"}, false},
        {{"w", "w"}, false},
        {{"W"}, true},
        {{"-w"}, true},
        {{"window"}, true},
        {{"w "}, true},
        {{""}, true},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"glowmoth"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(fullScreenFromArguments(static_cast<int>(argv.size()), argv.data()), c.fullScreen)
            << "with " << c.args.size() << " arguments, first '" << (c.args.empty() ? "" : c.args[0]) << "'";
    }
    // The program's own name is never an argument.
    const char* onlyName[] = {"w"};
    EXPECT_TRUE(fullScreenFromArguments(1, onlyName));
}

TEST(ExecutablePath, IsTheRunningProgramAndAPathThatDoesNotFitIsNone) {
    char expected[PATH_MAX] = {};
    ASSERT_NE(realpath("/proc/self/exe", expected), nullptr);
    const int length = static_cast<int>(std::strlen(expected));

    char buffer[512];
    EXPECT_EQ(executablePath(buffer, sizeof buffer), length);
    EXPECT_STREQ(buffer, expected);

    std::vector<char> tight(static_cast<std::size_t>(length) + 1, 'x');
    EXPECT_EQ(executablePath(tight.data(), length + 1), length);
    EXPECT_STREQ(tight.data(), expected);
    // No room for the terminating zero: no path at all.
    EXPECT_EQ(executablePath(tight.data(), length), 0);
    EXPECT_STREQ(tight.data(), "");
    EXPECT_EQ(executablePath(tight.data(), 1), 0);
}

std::vector<int> triedDepths;
std::vector<bool> triedFullScreen;
int firstWorkingRow = 0;  // 1-based; 0: no row works
SDL_Surface fakeSurface{};

SDL_Surface* fakeSetter(int width, int height, int depth, bool fullScreen) {
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    triedDepths.push_back(depth);
    triedFullScreen.push_back(fullScreen);
    const int row = static_cast<int>(triedDepths.size());
    return firstWorkingRow != 0 && row >= firstWorkingRow ? &fakeSurface : nullptr;
}

TEST(VideoModeSearch, StopsAtTheFirstRowThatGivesASurface) {
    const std::vector<int> allRows{32, 24, 16, 32, 24, 16, 8, 8, 32};
    struct Case {
        int firstWorkingRow;
        bool expectSurface;
    };
    for (const Case& c : {Case{1, true}, Case{3, true}, Case{9, true}, Case{0, false}}) {
        for (bool fullScreen : {true, false}) {
            triedDepths.clear();
            triedFullScreen.clear();
            firstWorkingRow = c.firstWorkingRow;
            SDL_Surface* surface = searchVideoMode(fullScreen, fakeSetter);
            EXPECT_EQ(surface != nullptr, c.expectSurface);
            const std::size_t tried = c.firstWorkingRow == 0 ? 9 : static_cast<std::size_t>(c.firstWorkingRow);
            EXPECT_EQ(triedDepths, std::vector<int>(allRows.begin(), allRows.begin() + static_cast<long>(tried)))
                << "first working row " << c.firstWorkingRow;
            EXPECT_EQ(triedFullScreen, std::vector<bool>(tried, fullScreen));
        }
    }
}

TEST(VideoModeSearch, GivesA640By480ScreenOnTheDummyDriver) {
    for (bool fullScreen : {true, false}) {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE), 0) << SDL_GetError();
        SDL_Surface* screen = searchVideoMode(fullScreen);
        ASSERT_NE(screen, nullptr) << SDL_GetError();
        EXPECT_EQ(screen, SDL_GetVideoSurface());
        EXPECT_EQ(screen->w, 640);
        EXPECT_EQ(screen->h, 480);
        EXPECT_EQ(screen->format->BitsPerPixel, 32);
        EXPECT_EQ((screen->flags & SDL_FULLSCREEN) != 0, fullScreen);
        SDL_Quit();
    }
}

std::vector<std::pair<std::string, std::string>> reports;

void recordReport(const char* title, const char* message) { reports.emplace_back(title, message); }

class ErrorReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        reports.clear();
        previous = setErrorSink(recordReport);
    }
    void TearDown() override { setErrorSink(previous); }
    ErrorSink previous = nullptr;
};

TEST_F(ErrorReportTest, FormatsPrintfStyleAndKeepsForeignTextLiteral) {
    reportError("Title", "%d of %s", 3, "four");
    reportError("Unable to set video mode", "%s", "bad %s %n %d text");
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0], std::make_pair(std::string("Title"), std::string("3 of four")));
    EXPECT_EQ(reports[1].second, "bad %s %n %d text");
}

TEST_F(ErrorReportTest, CutsMessagesAt1023Characters) {
    const std::string longText(3000, 'm');
    reportError("Long", "%s", longText.c_str());
    reportError("Edge", "%s", std::string(1023, 'e').c_str());
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].second, std::string(1023, 'm'));
    EXPECT_EQ(reports[1].second, std::string(1023, 'e'));
}

TEST(ErrorReportDefault, WithoutADisplayWritesToStderrAndReturns) {
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    testing::internal::CaptureStderr();
    reportError("Glowmoth Initialization Error", "line one\nline %d", 2);
    const std::string err = testing::internal::GetCapturedStderr();
    if (display) {
        setenv("DISPLAY", saved.c_str(), 1);
    }
    EXPECT_EQ(err, "Glowmoth Initialization Error\nline one\nline 2\n");
}

std::string origin(Archive* archive) {
    std::int32_t size = 0;
    char* bytes = static_cast<char*>(archive->readEntry("origin", size));
    std::string text = bytes ? std::string(bytes, static_cast<std::size_t>(size)) : "";
    std::free(bytes);
    return text;
}

TEST(StartupArchive, PrefersTheExecutablesOwnArchiveThenTheSideFile) {
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/glowmoth-archive-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path folder = pattern;
    const fs::path previous = fs::current_path();
    fs::current_path(folder);

    {
        std::ofstream program("program", std::ios::binary);
        program << std::string(4096, '\x7f');
        std::ofstream plain("plain", std::ios::binary);
        plain << std::string(4096, '\x7f');
    }
    ASSERT_TRUE(writeTestArchive("tail.dat", "appended"));
    ASSERT_TRUE(appendFile("tail.dat", "program"));
    ASSERT_TRUE(writeTestArchive("glowmoth.dat", "side"));

    struct Case {
        const char* executable;
        const char* origin;
        const char* openedFrom;
    };
    for (const Case& c : {Case{"program", "appended", "program"}, Case{"plain", "side", "glowmoth.dat"},
                          Case{nullptr, "side", "glowmoth.dat"}, Case{"", "side", "glowmoth.dat"},
                          Case{"missing", "side", "glowmoth.dat"}}) {
        const char* openedFrom = nullptr;
        std::unique_ptr<Archive> archive(openStartupArchive(c.executable, &openedFrom));
        ASSERT_NE(archive, nullptr) << (c.executable ? c.executable : "(null)");
        EXPECT_EQ(origin(archive.get()), c.origin);
        EXPECT_STREQ(openedFrom, c.openedFrom);
    }

    fs::remove("glowmoth.dat");
    const char* untouched = "untouched";
    EXPECT_EQ(openStartupArchive("plain", &untouched), nullptr);
    EXPECT_STREQ(untouched, "untouched");
    EXPECT_EQ(openStartupArchive(nullptr), nullptr);

    fs::current_path(previous);
    fs::remove_all(folder);
}

}  // namespace
