// How long the show takes to put its first frame on the screen, against the
// bare cost of decoding the same nineteen pictures from files with SDL_image.
//
// Each iteration measures both paths back to back (in alternating order), so
// the ratio compares like with like on a machine whose speed drifts:
//   - files:   IMG_Load of content/data/2t1.png .. 2t19.png, all nineteen
//              kept until the last is decoded, as the show keeps them;
//   - archive: what start-up does up to the first flipped frame, in this
//              process: SDL, the archive found at the end of bin/glowmoth,
//              the video mode, the application's init with its nineteen
//              decodes from the archive, the first pass of the loop;
//   - file start-up: the same sequence over an archive without entries, so
//              the image bank opens the nineteen files instead (the screen,
//              the loop and the first frame cost the same on both sides);
//   - process: bin/glowmoth started from an empty folder, until it reports
//              (GLOWMOTH_TRACE) that it draws its first frame: exec, dynamic
//              linking and the same start-up.
// Tear-down is not counted. The counters give the median milliseconds of
// each path over the iterations and the ratio of those medians; for the two
// in-process paths also in CPU time, which a build running next door on the
// shared cores does not inflate.
#include "app/PresentationApp.h"
#include "app/Startup.h"
#include "archive/Archive.h"
#include "show/Speech.h"

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <benchmark/benchmark.h>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

const std::string program = GLOWMOTH_BINARY_DIR "/bin/glowmoth";
const std::string pictures = GLOWMOTH_BINARY_DIR "/content/data";

[[noreturn]] void giveUp(const std::string& why) {
    std::fprintf(stderr, "bench_show_start: %s\n", why.c_str());
    std::exit(1);
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double cpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Medians: on a shared machine a single run can be held up by other work.
double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

struct Samples {
    std::vector<double> wall;
    std::vector<double> cpu;
};

struct Timer {
    Clock::time_point wallStart = Clock::now();
    double cpuStart = cpuMilliseconds();

    void stopInto(Samples& samples) const {
        samples.wall.push_back(millisecondsSince(wallStart));
        samples.cpu.push_back(cpuMilliseconds() - cpuStart);
    }
};

void decodeFiles(Samples& samples) {
    std::vector<SDL_Surface*> decoded;
    const Timer timer;
    for (int n = 1; n <= 19; ++n) {
        const std::string path = pictures + "/2t" + std::to_string(n) + ".png";
        SDL_Surface* surface = IMG_Load(path.c_str());
        if (!surface) {
            giveUp("cannot decode " + path + ": " + IMG_GetError());
        }
        decoded.push_back(surface);
    }
    timer.stopInto(samples);
    for (SDL_Surface* surface : decoded) {
        SDL_FreeSurface(surface);
    }
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

// Start-up's own sequence, up to the first flipped frame. From files, the
// pictures are found relative to the working folder, as the bank looks for
// them when the archive does not list them.
void startToFirstFrame(Samples& samples, bool fromFiles) {
    char here[4096];
    if (fromFiles && (!getcwd(here, sizeof here) || chdir((pictures + "/..").c_str()) != 0)) {
        giveUp("cannot enter " + pictures + "/..");
    }
    const Timer timer;
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE) < 0) {
        giveUp(std::string("SDL: ") + SDL_GetError());
    }
    startSpeech();
    Archive* archive = fromFiles ? new Archive : openStartupArchive(program.c_str());
    if (!archive) {
        giveUp("no archive at the end of " + program);
    }
    if (!searchVideoMode(false)) {
        giveUp(std::string("video mode: ") + SDL_GetError());
    }
    auto* app = new FirstFrameApp(archive);
    if (!app->init()) {
        giveUp("init failed");
    }
    app->run();
    timer.stopInto(samples);
    delete app;
    delete archive;
    stopSpeech();
    SDL_Quit();
    if (fromFiles && chdir(here) != 0) {
        giveUp("cannot return to " + std::string(here));
    }
}

// From spawning the program to its "first frame" trace line.
void processToFirstFrame(const std::string& folder, Samples& samples) {
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
    env.push_back("GLOWMOTH_TRACE=1");
    env.push_back("GLOWMOTH_TEST_QUIT_MS=1");
    std::vector<char*> envp;
    for (std::string& s : env) {
        envp.push_back(s.data());
    }
    envp.push_back(nullptr);
    std::string arg0 = program;
    std::string arg1 = "w";
    char* argv[] = {arg0.data(), arg1.data(), nullptr};

    int err[2];
    if (pipe(err) != 0) {
        giveUp("no pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, err[0]);

    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()) != 0) {
        giveUp("cannot start " + program);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(err[1]);

    std::string trace;
    double firstFrame = -1;
    char buffer[4096];
    for (;;) {
        pollfd p{err[0], POLLIN, 0};
        if (poll(&p, 1, 30000) <= 0) {
            break;
        }
        const ssize_t n = read(err[0], buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        trace.append(buffer, static_cast<std::size_t>(n));
        if (firstFrame < 0 && trace.find("first frame") != std::string::npos) {
            firstFrame = millisecondsSince(start);
        }
    }
    close(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (firstFrame < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        giveUp(program + " did not reach its first frame:\n" + trace);
    }
    samples.wall.push_back(firstFrame);
}

void BM_FirstFrameFromArchive(benchmark::State& state) {
    Samples files;
    Samples fileStart;
    Samples archive;
    int turn = 0;
    for (auto _ : state) {
        // Rotate the order, so no path always finds another's memory freshly
        // released (or the caches freshly warmed).
        for (int i = 0; i < 3; ++i) {
            switch ((turn + i) % 3) {
            case 0:
                decodeFiles(files);
                break;
            case 1:
                startToFirstFrame(fileStart, true);
                break;
            default:
                startToFirstFrame(archive, false);
                break;
            }
        }
        ++turn;
        state.SetIterationTime(archive.wall.back() / 1000.0);
    }
    state.counters["files_ms"] = median(files.wall);
    state.counters["archive_ms"] = median(archive.wall);
    state.counters["archive_over_files"] = median(archive.wall) / median(files.wall);
    state.counters["files_cpu_ms"] = median(files.cpu);
    state.counters["archive_cpu_ms"] = median(archive.cpu);
    state.counters["archive_over_files_cpu"] = median(archive.cpu) / median(files.cpu);
    state.counters["file_start_ms"] = median(fileStart.wall);
    state.counters["archive_over_file_start"] = median(archive.wall) / median(fileStart.wall);
    state.counters["archive_over_file_start_cpu"] = median(archive.cpu) / median(fileStart.cpu);
}
BENCHMARK(BM_FirstFrameFromArchive)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ProcessToFirstFrame(benchmark::State& state) {
    char pattern[] = "/tmp/glowmoth-bench-XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (!folder) {
        state.SkipWithError("no scratch folder");
        return;
    }
    Samples files;
    Samples process;
    for (auto _ : state) {
        decodeFiles(files);
        processToFirstFrame(folder, process);
        state.SetIterationTime(process.wall.back() / 1000.0);
    }
    rmdir(folder);
    state.counters["files_ms"] = median(files.wall);
    state.counters["process_ms"] = median(process.wall);
    state.counters["process_over_files"] = median(process.wall) / median(files.wall);
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
