#include "tools/render/ShowRender.h"

#include "app/PresentationApp.h"
#include "app/Startup.h"
#include "archive/Archive.h"
#include "show/Script.h"
#include "show/Speech.h"
#include "show/SpeechBackend.h"
#include "tools/render/Captions.h"
#include "tools/render/Ffmpeg.h"
#include "tools/render/FrameRecorder.h"
#include "tools/render/Outputs.h"
#include "tools/render/Progress.h"
#include "tools/render/RenderClock.h"
#include "tools/render/Subprocess.h"
#include "tools/render/Wav.h"
#include "tools/render/Y4m.h"

#include <SDL/SDL.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFps = 25;
constexpr Uint32 kFrameMs = 1000 / kFps;
// A show that has not ended this long after its script's end never will.
constexpr Uint32 kOverrunMs = 60000;

volatile std::sig_atomic_t interrupted = 0;
extern "C" void onInterrupt(int) { interrupted = 1; }

// The script's end event: when the show stops by itself.
Uint32 scriptEndMs()
{
    Uint32 end = 0;
    for (const ScriptEvent& e : showScript)
        if (e.kind == ScriptEventKind::End) end = std::max(end, e.time);
    return end;
}

Uint32 framesFor(Uint32 ms) { return (ms + kFrameMs - 1) / kFrameMs; }

struct ArchiveDeleter {
    void operator()(Archive* a) const { delete a; }
};

// SDL is shut down on every way out, after the application is gone.
struct SdlSession {
    bool up = false;
    ~SdlSession()
    {
        if (up) SDL_Quit();
    }
};

// The voice is stopped on every way out.
struct SpeechSession {
    bool up = false;
    ~SpeechSession()
    {
        if (up) stopSpeech();
    }
    void stop()
    {
        if (up) stopSpeech();
        up = false;
    }
};

bool writeText(const std::string& path, const std::string& text)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return (std::fclose(f) == 0) && ok;
}

std::string encoderFailure(const std::string& what, const std::string& log)
{
    const std::string detail = lastLogLine(log);
    return what + (detail.empty() ? std::string() : ": " + detail);
}

class Render {
public:
    Render(const RenderOptions& options, const std::string& program) : options(options), program(program) {}
    ~Render()
    {
        // Only a failed run gets here with the stream open; its file goes with
        // the output folder's other temporaries.
        if (y4mFile) std::fclose(y4mFile);
    }
    Render(const Render&) = delete;
    Render& operator=(const Render&) = delete;

    int run();

private:
    int fail(const std::string& message)
    {
        progress.reset();
        std::fprintf(stderr, "%s: %s\n", program.c_str(), message.c_str());
        return 1;
    }

    bool openArchive();
    bool startVideo(std::string& error);

    const RenderOptions& options;
    const std::string program;
    std::unique_ptr<Archive, ArchiveDeleter> archive;
    std::string archiveName;
    OutputFolder out;
    std::unique_ptr<ProgressBar> progress;

    std::string ffmpeg;
    Subprocess encoder;
    std::string videoTemp;
    std::string encoderLog;
    std::FILE* y4mFile = nullptr;
    std::string y4mTemp;
};

bool Render::openArchive()
{
    if (!options.archivePath.empty()) {
        archive.reset(::openArchive(options.archivePath.c_str(), 0));
        archiveName = options.archivePath;
        return archive != nullptr;
    }
    // The same places the show looks: its own appended archive, then the
    // side file in the working folder.
    char exe[512];
    const int length = executablePath(exe, sizeof exe);
    const char* from = nullptr;
    archive.reset(openStartupArchive(length > 0 ? exe : nullptr, &from));
    archiveName = from ? from : "glowmoth.dat";
    return archive != nullptr;
}

bool Render::startVideo(std::string& error)
{
    ffmpeg = findProgram("ffmpeg");
    if (!ffmpeg.empty()) {
        videoTemp = out.scratch("video.mp4");
        encoderLog = out.scratch("ffmpeg.log");
        if (!encoder.start(ffmpegVideoArgs(ffmpeg, videoTemp), true, encoderLog, error)) return false;
        return true;
    }
    y4mTemp = out.stage("show.y4m");
    y4mFile = std::fopen(y4mTemp.c_str(), "wb");
    if (!y4mFile) {
        error = "cannot write " + y4mTemp + ": " + std::strerror(errno);
        return false;
    }
    std::setvbuf(y4mFile, nullptr, _IOFBF, 1 << 20);
    return true;
}

int Render::run()
{
    if (!openArchive()) {
        if (!options.archivePath.empty()) return fail("cannot open the archive " + options.archivePath);
        return fail("no archive: none appended to this program and no glowmoth.dat here (use --archive PATH)");
    }
    std::string error;
    if (!out.open(options.outputDir, error)) return fail(error);

    SdlSession sdl;
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE) < 0)
        return fail(std::string("cannot start SDL: ") + SDL_GetError());
    sdl.up = true;
    if (!SDL_SetVideoMode(kWidth, kHeight, 32, SDL_HWSURFACE | SDL_DOUBLEBUF))
        return fail(std::string("cannot set the 640x480 video mode: ") + SDL_GetError());
    // As in the show: no pointer over the pictures (SDL would draw it into
    // the very surface the frames are taken from).
    SDL_ShowCursor(SDL_DISABLE);

    if (!startVideo(error)) return fail(error);
    std::FILE* videoStream = y4mFile ? y4mFile : encoder.input();
    Y4mWriter writer(videoStream, kWidth, kHeight, kFps, 1);
    FrameRecorder recorder(writer);

    const Uint32 endMs = scriptEndMs();
    const Uint32 wantedMs = options.limitMs ? std::min(options.limitMs, endMs ? endMs : options.limitMs) : endMs;
    progress.reset(new ProgressBar(stderr, ::isatty(STDERR_FILENO) == 1, wantedMs));

    RenderClock clock(kFrameMs);
    const std::uint64_t frameCap = options.limitMs ? framesFor(options.limitMs) : ~std::uint64_t(0);
    bool videoFailed = false;
    clock.onFrame([&](std::uint64_t frame) {
        if (videoFailed || frame >= frameCap) return;
        if (!recorder.capture(SDL_GetVideoSurface())) videoFailed = true;
    });

    // The narration is rendered as each passage fires, on the show's own
    // clock, so its audio lies where a listener would have heard it.
    CaptureSpeechBackend::Options speechOptions;
    speechOptions.clock = [&clock]() { return static_cast<std::uint32_t>(clock.showTime()); };
    speechOptions.synchronous = true;
    speechOptions.cutAtStop = true;
    auto backend = std::make_unique<CaptureSpeechBackend>(speechOptions);
    CaptureSpeechBackend* voice = backend.get();
    SpeechSession speech;
    if (!startSpeechWith(std::move(backend)))
        return fail("the narration voice cannot start (it needs espeak-ng and its voice data)");
    speech.up = true;

    Uint32 endedAt = 0;
    bool ranOver = false;
    bool stoppedAtLimit = false;
    std::shared_ptr<const SpeechCapture> narration;
    {
        PresentationApp app(archive.get(), clock);
        if (!app.init()) return fail("the show cannot start from " + archiveName);
        clock.startShow();
        const Uint32 giveUpMs = (endMs ? endMs : 0) + kOverrunMs;
        clock.onTime([&](Uint32 t) {
            progress->update(t);
            if (options.limitMs && t >= options.limitMs && app.isRunning()) {
                stoppedAtLimit = true;
                app.setRunning(false);
            }
            if (interrupted || videoFailed) app.setRunning(false);
            if (t >= giveUpMs) {
                ranOver = true;
                app.setRunning(false);
            }
        });
        app.run();
        clock.onTime(nullptr);
        clock.onFrame(nullptr);
        endedAt = clock.showTime();
        narration = voice->capture();
        // The voice falls silent where the show stopped.
        speech.stop();
        // The show's own end comes with the step that fired it, a little
        // ahead of the loop's smoothed clock.
        if (!stoppedAtLimit) endedAt = std::max(endedAt, app.getStepClock());
    }
    progress->finish();

    if (interrupted) return fail("interrupted");
    if (videoFailed) {
        return fail(ffmpeg.empty() ? "cannot write " + y4mTemp + ": " + std::strerror(errno)
                                   : encoderFailure("the video encoder stopped", encoderLog));
    }
    if (ranOver) return fail("the show did not end within a minute of its script's end");

    // The film lasts as long as the show's clock ran: to the end event's
    // step (or the requested length), the last picture held to the end.
    const Uint32 lengthMs = stoppedAtLimit ? options.limitMs : endedAt;
    const std::uint64_t frames = framesFor(lengthMs);
    const std::uint64_t written = writer.framesWritten();
    if (written < frames && !recorder.repeatLast(frames - written, kWidth, kHeight))
        return fail(ffmpeg.empty() ? "cannot write " + y4mTemp : encoderFailure("the video encoder stopped", encoderLog));
    const Uint32 filmMs = static_cast<Uint32>(frames * kFrameMs);

    PcmAudio audio;
    audio.sampleRate = narration && narration->sampleRate > 0 ? static_cast<std::uint32_t>(narration->sampleRate) : 22050;
    audio.channels = 1;
    if (narration) audio.samples = narration->pcm;
    audio.samples.resize(static_cast<std::size_t>(static_cast<std::uint64_t>(filmMs) * audio.sampleRate / 1000), 0);

    std::vector<SpokenPassage> passages;
    if (narration) {
        for (const CapturedPassage& p : narration->passages) {
            if (p.startMs >= filmMs || p.endMs <= p.startMs) continue;
            passages.push_back({p.startMs, std::min<std::uint32_t>(p.endMs, filmMs), p.words});
        }
    }
    const std::vector<Cue> cues = buildCues(passages);

    const std::string wavTemp = out.stage("show.wav");
    const std::string srtTemp = out.stage("show.srt");
    const std::string vttTemp = out.stage("show.vtt");
    if (!writeWavFile(wavTemp, audio)) return fail("cannot write " + out.finalPath("show.wav") + ": " + std::strerror(errno));
    if (!writeText(srtTemp, formatSrt(cues))) return fail("cannot write " + out.finalPath("show.srt") + ": " + std::strerror(errno));
    if (!writeText(vttTemp, formatVtt(cues))) return fail("cannot write " + out.finalPath("show.vtt") + ": " + std::strerror(errno));

    if (y4mFile) {
        const bool ok = std::fclose(y4mFile) == 0;
        y4mFile = nullptr;
        if (!ok) return fail("cannot write " + out.finalPath("show.y4m") + ": " + std::strerror(errno));
    } else {
        if (encoder.finish() != 0) return fail(encoderFailure("the video encoder failed", encoderLog));
        const std::string mp4Temp = out.stage("show.mp4");
        if (runProgram(ffmpegMuxArgs(ffmpeg, videoTemp, wavTemp, cues.empty() ? std::string() : srtTemp, mp4Temp),
                       encoderLog, error) != 0)
            return fail(error.empty() ? encoderFailure("muxing show.mp4 failed", encoderLog) : error);
    }

    if (!out.commit(error)) return fail(error);

    char summary[160];
    std::snprintf(summary, sizeof summary, "%.1f s, %dx%d, %d fps, %llu frames", filmMs / 1000.0, kWidth, kHeight, kFps,
                  static_cast<unsigned long long>(frames));
    if (ffmpeg.empty()) {
        std::printf("wrote %s (%s)\n", out.finalPath("show.y4m").c_str(), summary);
    } else {
        std::printf("wrote %s (%s, H.264 and AAC, with captions)\n", out.finalPath("show.mp4").c_str(), summary);
    }
    std::printf("wrote %s (%.1f s, %u Hz mono)\n", out.finalPath("show.wav").c_str(), filmMs / 1000.0,
                static_cast<unsigned>(audio.sampleRate));
    std::printf("wrote %s and %s (%zu captions for %zu passages)\n", out.finalPath("show.srt").c_str(),
                out.finalPath("show.vtt").c_str(), cues.size(), passages.size());
    if (ffmpeg.empty()) {
        std::printf("ffmpeg was not found; to make show.mp4, install it and run: ffmpeg -i show.y4m -i show.wav "
                    "-c:v libx264 -pix_fmt yuv420p -c:a aac show.mp4\n");
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace

int renderShow(const RenderOptions& options, const std::string& program)
{
    // Headless unless the user chose a video driver.
    ::setenv("SDL_VIDEODRIVER", "dummy", 0);
    // A dead encoder shows up as a failed write, not as a killed renderer.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    Render render(options, program);
    return render.run();
}
