// How long the show takes to put its first frame on the screen, against the
// bare cost of decoding the same nineteen pictures from files with SDL_image.
//
// Each iteration measures both paths back to back, so the ratio compares
// like with like on a machine whose speed drifts:
//   - files:   IMG_Load of content/data/2t1.png .. 2t19.png;
//   - archive: what start-up does up to the first flipped frame (SDL, the
//     archive found at the end of bin/glowmoth, the video mode, the
//     application's init with its nineteen decodes, the first pass);
//   - process: bin/glowmoth started from an empty folder until it exits,
//     told to quit as soon as it runs (so: exec, start-up, first frames,
//     shut-down).
// The counters report milliseconds per iteration and archive/files ratios.
#include "app/PresentationApp.h"
#include "app/Startup.h"
#include "archive/Archive.h"
#include "show/Speech.h"

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

const std::string program = GLOWMOTH_BINARY_DIR "/bin/glowmoth";
const std::string pictures = GLOWMOTH_BINARY_DIR "/content/data";

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double decodeFiles() {
    const auto start = Clock::now();
    for (int n = 1; n <= 19; ++n) {
        const std::string path = pictures + "/2t" + std::to_string(n) + ".png";
        SDL_Surface* surface = IMG_Load(path.c_str());
        if (!surface) {
            std::fprintf(stderr, "cannot decode %s: %s\n", path.c_str(), IMG_GetError());
            std::exit(1);
        }
        SDL_FreeSurface(surface);
    }
    return millisecondsSince(start);
}

// Ends its loop after the first pass that flips the screen.
class FirstFrameApp : public PresentationApp {
public:
    using PresentationApp::PresentationApp;
    bool step() override {
        const bool flips = PresentationApp::step();
        if (flips) {
            setRunning(false);
        }
        return flips;
    }
};

// start-up's own sequence, up to the first flipped frame.
double startToFirstFrame() {
    const auto start = Clock::now();
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE) < 0) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        std::exit(1);
    }
    startSpeech();
    Archive* archive = openStartupArchive(program.c_str());
    if (!archive) {
        std::fprintf(stderr, "no archive at the end of %s\n", program.c_str());
        std::exit(1);
    }
    if (!searchVideoMode(false)) {
        std::fprintf(stderr, "video mode: %s\n", SDL_GetError());
        std::exit(1);
    }
    auto* app = new FirstFrameApp(archive);
    if (!app->init()) {
        std::fprintf(stderr, "init failed\n");
        std::exit(1);
    }
    app->run();
    const double elapsed = millisecondsSince(start);
    delete app;
    delete archive;
    stopSpeech();
    SDL_Quit();
    return elapsed;
}

double processRun(const std::string& folder) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("GLOWMOTH_", 0) != 0 && entry.rfind("SDL_VIDEODRIVER=", 0) != 0 &&
            entry.rfind("DISPLAY=", 0) != 0) {
            env.push_back(entry);
        }
    }
    env.push_back("SDL_VIDEODRIVER=dummy");
    env.push_back("GLOWMOTH_SPEECH=silent");
    env.push_back("GLOWMOTH_TEST_QUIT_MS=1");
    std::vector<char*> envp;
    for (std::string& s : env) {
        envp.push_back(s.data());
    }
    envp.push_back(nullptr);
    std::string arg0 = program;
    std::string arg1 = "w";
    char* argv[] = {arg0.data(), arg1.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()) != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        std::exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double elapsed = millisecondsSince(start);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s ended with status %d\n", program.c_str(), status);
        std::exit(1);
    }
    return elapsed;
}

void BM_FirstFrameFromArchive(benchmark::State& state) {
    double files = 0;
    double archive = 0;
    for (auto _ : state) {
        const double f = decodeFiles();
        const double a = startToFirstFrame();
        files += f;
        archive += a;
        state.SetIterationTime(a / 1000.0);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["files_ms"] = files / n;
    state.counters["archive_ms"] = archive / n;
    state.counters["archive_over_files"] = archive / files;
}
BENCHMARK(BM_FirstFrameFromArchive)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ProcessToFirstFrame(benchmark::State& state) {
    char pattern[] = "/tmp/glowmoth-bench-XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (!folder) {
        state.SkipWithError("no scratch folder");
        return;
    }
    double files = 0;
    double process = 0;
    for (auto _ : state) {
        const double f = decodeFiles();
        const double p = processRun(folder);
        files += f;
        process += p;
        state.SetIterationTime(p / 1000.0);
    }
    rmdir(folder);
    const double n = static_cast<double>(state.iterations());
    state.counters["files_ms"] = files / n;
    state.counters["process_ms"] = process / n;
    state.counters["process_over_files"] = process / files;
}
BENCHMARK(BM_ProcessToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    // Headless and silent: the benchmark measures pictures, not the voice.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("GLOWMOTH_SPEECH", "silent", 1);
    unsetenv("GLOWMOTH_TRACE");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
