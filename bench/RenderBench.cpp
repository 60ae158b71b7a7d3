// How long glowmoth-render takes to make the whole show, against the show's
// own running time: the ratio must stay well under 1.
#include "tools/render/Subprocess.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const std::string kRender = GLOWMOTH_BINARY_DIR "/bin/glowmoth-render";
const std::string kArchive = GLOWMOTH_BINARY_DIR "/bin/glowmoth.dat";
constexpr double kShowSeconds = 179.0;

void BM_RenderWholeShow(benchmark::State& state)
{
    char pattern[] = "/tmp/glowmoth-render-bench-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made) {
        state.SkipWithError("no scratch folder");
        return;
    }
    const std::filesystem::path dir = made;
    double seconds = 0;
    for (auto _ : state) {
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        const int status = runProgram({kRender, "--archive", kArchive, "-o", (dir / "out").string()},
                                      (dir / "render.log").string(), error);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (status != 0) {
            state.SkipWithError(("glowmoth-render failed: " + error).c_str());
            break;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["render_s"] = seconds;
    state.counters["show_s"] = kShowSeconds;
    state.counters["render_per_show"] = seconds / kShowSeconds;
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

// One render is three minutes of show; a second would only double the wait.
BENCHMARK(BM_RenderWholeShow)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
