// End to end under a virtual X server: the real window, real keys sent with
// xdotool, and the real close request. Skipped when Xvfb or xdotool is not
// installed. Every wait is bounded.
#include "ProcessSupport.h"
#include "TestArchive.h"

#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Bool, ...) would break its templates.
#include <X11/Xlib.h>

#include <filesystem>
#include <fstream>
#include <regex>

namespace fs = std::filesystem;

namespace {

const std::string builtProgram = GLOWMOTH_BINARY_DIR "/bin/glowmoth";

// An Xvfb of our own on a free display number.
class VirtualDisplay {
public:
    bool start(const std::string& xvfb) {
        server = std::make_unique<ChildProcess>(
            std::vector<std::string>{xvfb, "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        if (!server->started()) {
            return false;
        }
        // Xvfb writes the display number it chose, then a newline.
        for (int i = 0; i < 100 && server->stdoutText().find('\n') == std::string::npos; ++i) {
            if (server->waitForExit(0.1)) {
                return false;
            }
        }
        const std::string text = server->stdoutText();
        if (text.find('\n') == std::string::npos) {
            return false;
        }
        name = ":" + text.substr(0, text.find('\n'));
        return true;
    }
    std::string name;

private:
    std::unique_ptr<ChildProcess> server;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string xvfb = findOnPath("Xvfb");
        xdotool = findOnPath("xdotool");
        if (xvfb.empty() || xdotool.empty()) {
            GTEST_SKIP() << "Xvfb or xdotool is not installed";
        }
        ASSERT_TRUE(display.start(xvfb)) << "Xvfb did not start";
        char pattern[] = "/tmp/glowmoth-window-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        program = (folder / "glowmoth").string();
        ASSERT_TRUE(copyBareProgram(builtProgram, program));
    }
    void TearDown() override {
        if (!folder.empty()) {
            std::error_code ignored;
            fs::remove_all(folder, ignored);
        }
    }

    // The one-second bounds are about the program, not about the leak scan
    // the sanitizer runs at exit, which a loaded machine can stretch; the
    // headless process tests check for leaks.
    ChildProcess::EnvChanges onDisplay() const {
        return {{"DISPLAY", display.name},
                {"SDL_VIDEODRIVER", std::string("x11")},
                {"GLOWMOTH_SPEECH", std::string("silent")},
                {"ASAN_OPTIONS", std::string("detect_leaks=0")}};
    }

    // Runs xdotool with the arguments; its output, or "" on failure.
    std::string xdo(const std::vector<std::string>& args, double seconds = 15) {
        std::vector<std::string> argv{xdotool};
        argv.insert(argv.end(), args.begin(), args.end());
        ChildProcess tool(argv, onDisplay());
        if (!tool.waitForExit(seconds) || tool.exitStatus() != 0) {
            return "";
        }
        return tool.stdoutText();
    }

    // The id of the first window with exactly this title, waiting for it.
    std::string findWindow(const std::string& title) {
        const std::string pattern = "^" + std::regex_replace(title, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") + "$";
        std::string id = xdo({"search", "--sync", "--name", pattern}, 30);
        return id.substr(0, id.find('\n'));
    }

    void pressKey(const std::string& window, const std::string& key) {
        xdo({"windowfocus", "--sync", window}, 10);
        ASSERT_NE(xdo({"key", key}, 10), "x") << "xdotool key failed";
    }

    // What a window manager sends when the user closes a window.
    void requestClose(const std::string& window) {
        Display* x = XOpenDisplay(display.name.c_str());
        ASSERT_NE(x, nullptr);
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = std::stoul(window);
        event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(x, event.xclient.window, False, NoEventMask, &event);
        XFlush(x);
        XCloseDisplay(x);
    }

    // Starts "glowmoth w" from a side archive and finds its window.
    std::string startWindowed(std::unique_ptr<ChildProcess>& child) {
        EXPECT_TRUE(writeTestArchive((folder / "glowmoth.dat").string(), "side"));
        child = std::make_unique<ChildProcess>(std::vector<std::string>{program, "w"}, onDisplay(), folder.string());
        return findWindow("Glowmoth 1.0");
    }

    VirtualDisplay display;
    std::string xdotool;
    fs::path folder;
    std::string program;  // a copy that carries no archive
};

TEST_F(WindowTest, MissingArchiveShowsABoxThatEnterDismisses) {
    ChildProcess child({program, "w"}, onDisplay(), folder.string());
    const std::string box = findWindow("Glowmoth Initialization Error");
    ASSERT_FALSE(box.empty()) << child.stderrText();
    EXPECT_FALSE(child.waitForExit(0.2)) << "the process must wait for the user";
    pressKey(box, "Return");
    ASSERT_TRUE(child.waitForExit(10));
    EXPECT_EQ(child.exitStatus(), 1);
    EXPECT_NE(child.stderrText().find("Glowmoth Initialization Error\nCannot open data storage!"), std::string::npos);
}

TEST_F(WindowTest, WindowedRunOpensA640By480WindowThatEscapeEnds) {
    std::unique_ptr<ChildProcess> child;
    const std::string window = startWindowed(child);
    ASSERT_FALSE(window.empty()) << child->stderrText();
    const std::string geometry = xdo({"getwindowgeometry", window});
    EXPECT_NE(geometry.find("Geometry: 640x480"), std::string::npos) << geometry;
    EXPECT_FALSE(child->waitForExit(0.3)) << "the show ended by itself:\n" << child->stderrText();

    pressKey(window, "Escape");
    ASSERT_TRUE(child->waitForExit(1.0)) << "still running a second after Escape";
    EXPECT_EQ(child->exitStatus(), 0) << child->stderrText();
}

TEST_F(WindowTest, ClosingTheWindowEndsTheProgram) {
    std::unique_ptr<ChildProcess> child;
    const std::string window = startWindowed(child);
    ASSERT_FALSE(window.empty()) << child->stderrText();
    EXPECT_FALSE(child->waitForExit(0.3)) << "the show ended by itself:\n" << child->stderrText();

    requestClose(window);
    ASSERT_TRUE(child->waitForExit(1.0)) << "still running a second after the close request";
    EXPECT_EQ(child->exitStatus(), 0) << child->stderrText();
}

}  // namespace
