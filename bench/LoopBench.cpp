// What the running main loop costs the machine: the process's CPU time as a
// share of one core, and its peak resident memory, over ten seconds of a
// scene stepping at the show's 20 steps per second and drawing a picture
// centred on a cleared 640x480 screen.
//
// The reference, measured in the same run, is the same loop with its idle
// sleep taken away: the loop that spins a core. The ratio between the two
// says how much of a core the sleep gives back.
//
// BM_Program measures the same for the built program itself, run as a
// separate process under the dummy video driver with a silent voice: it
// finds its archive on its own end or as glowmoth.dat in the working folder
// (GLOWMOTH_BENCH_PROGRAM_DIR, default the current one), and is skipped
// when it finds none.
//
// GLOWMOTH_BENCH_LOOP_SECONDS changes the ten seconds.
#include "app/Application.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <string>

namespace {

class PictureScene : public Scene {
public:
    PictureScene() {
        stepRate = 20;
        picture = SDL_CreateRGBSurface(SDL_SWSURFACE, 400, 300, 32, 0xff0000, 0xff00, 0xff, 0);
        SDL_FillRect(picture, nullptr, SDL_MapRGB(picture->format, 90, 120, 200));
    }
    ~PictureScene() override { SDL_FreeSurface(picture); }

    void update(Uint32, KeyQueue& keys) override {
        keys.clear();
        ++steps;
    }
    void draw(SDL_Surface* screen) override {
        SDL_FillRect(screen, nullptr, 0);
        SDL_Rect at{static_cast<Sint16>((screen->w - picture->w) / 2), static_cast<Sint16>((screen->h - picture->h) / 2),
                    0, 0};
        SDL_BlitSurface(picture, nullptr, screen, &at);
        ++frames;
    }

    SDL_Surface* picture;
    long steps = 0;
    long frames = 0;
};

class BenchApp : public Application {
public:
    BenchApp(Clock& clock, Scene& scene) : Application(clock), only(scene) {}
    const char* caption() override { return "bench"; }
    Scene* sceneByNumber(int number) override { return number == 1 ? &only : nullptr; }

private:
    Scene& only;
};

// SDL's ticks without the sleep: what a loop that never yields would do.
class SpinningClock : public Clock {
public:
    Uint32 ticks() override { return SDL_GetTicks(); }
    void delay(Uint32) override {}
};

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double peakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double loopSeconds() {
    const char* value = std::getenv("GLOWMOTH_BENCH_LOOP_SECONDS");
    const double seconds = value ? std::atof(value) : 10.0;
    return seconds > 0 ? seconds : 10.0;
}

double spinningShare = 0;

// Runs the loop for the given wall time and reports what it cost.
void runLoop(benchmark::State& state, Clock& clock, double seconds, bool isReference) {
    for (auto _ : state) {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_NOPARACHUTE) < 0 ||
            !SDL_SetVideoMode(640, 480, 32, SDL_HWSURFACE | SDL_DOUBLEBUF)) {
            state.SkipWithError(SDL_GetError());
            return;
        }
        PictureScene scene;
        BenchApp app(clock, scene);
        app.init();
        app.switchScene(1);

        long passes = 0;
        const auto start = std::chrono::steady_clock::now();
        const auto end = start + std::chrono::duration<double>(seconds);
        const double cpuStart = cpuSeconds();
        while (app.isRunning()) {
            app.runPass();
            ++passes;
            if (std::chrono::steady_clock::now() >= end) {
                app.setRunning(false);
            }
        }
        const double cpu = cpuSeconds() - cpuStart;
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(wall);

        const double share = cpu / wall;
        state.counters["cpu_share_of_core"] = share;
        state.counters["peak_rss_MiB"] = peakResidentMiB();
        state.counters["passes_per_s"] = static_cast<double>(passes) / wall;
        state.counters["steps_per_s"] = static_cast<double>(scene.steps) / wall;
        state.counters["frames_per_s"] = static_cast<double>(scene.frames) / wall;
        if (isReference) {
            spinningShare = share;
        } else if (spinningShare > 0) {
            state.counters["cpu_vs_spinning_loop"] = share / spinningShare;
        }
        SDL_Quit();
    }
}

// Registered first so the loop under test can be compared with it.
void BM_SpinningLoopReference(benchmark::State& state) {
    SpinningClock clock;
    runLoop(state, clock, 2.0, true);
}

void BM_MainLoop(benchmark::State& state) { runLoop(state, systemClock(), loopSeconds(), false); }

// The built program, next to this benchmark in <build>/bin.
std::string programPath() {
    char self[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return "glowmoth";
    }
    std::string path(self, static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1) + "glowmoth";
}

void BM_Program(benchmark::State& state) {
    for (auto _ : state) {
        const std::string program = programPath();
        const double seconds = loopSeconds();
        const std::string quitMs = std::to_string(static_cast<long>(seconds * 1000));
        const char* folder = std::getenv("GLOWMOTH_BENCH_PROGRAM_DIR");

        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            if (folder && chdir(folder) != 0) {
                _exit(126);
            }
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            setenv("GLOWMOTH_SPEECH", "silent", 1);
            setenv("GLOWMOTH_TEST_QUIT_MS", quitMs.c_str(), 1);
            unsetenv("DISPLAY");  // a failed start-up must not wait on a box
            freopen("/dev/null", "w", stderr);
            execl(program.c_str(), program.c_str(), "w", static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        if (child < 0 || wait4(child, &status, 0, &usage) != child) {
            state.SkipWithError("could not run the program");
            return;
        }
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the program did not run its loop (no archive next to it or in the folder?)");
            return;
        }
        state.SetIterationTime(wall);
        auto toSeconds = [](const timeval& t) {
            return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
        };
        const double share = (toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime)) / wall;
        state.counters["cpu_share_of_core"] = share;
        state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
        if (spinningShare > 0) {
            state.counters["cpu_vs_spinning_loop"] = share / spinningShare;
        }
    }
}

}  // namespace

BENCHMARK(BM_SpinningLoopReference)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_MainLoop)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_Program)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
