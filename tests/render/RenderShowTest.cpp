// glowmoth-render as its users run it: the real show from the real archive,
// checked through what comes out (decoded video frames, the WAV's samples,
// the caption files) against the script and the pictures themselves.
#include "archive/Archive.h"
#include "archive/ArchiveWriter.h"
#include "show/Script.h"
#include "show/SpeechMarkup.h"
#include "tools/render/Captions.h"
#include "tools/render/Subprocess.h"
#include "tools/render/Wav.h"
#include "tools/render/Y4m.h"

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string kRender = GLOWMOTH_BINARY_DIR "/bin/glowmoth-render";
const std::string kArchive = GLOWMOTH_BINARY_DIR "/bin/glowmoth.dat";
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr std::size_t kFrameBytes = static_cast<std::size_t>(kWidth) * kHeight * 3;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs a program in the scratch folder with stdout and stderr kept apart;
// path replaces PATH when not empty.
Result run(const std::vector<std::string>& argv, const fs::path& scratch, const std::string& path = "")
{
    const fs::path outFile = scratch / "stdout.txt";
    const fs::path errFile = scratch / "stderr.txt";
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 || ::chdir(scratch.c_str()) != 0)
            ::_exit(126);
        if (!path.empty()) ::setenv("PATH", path.c_str(), 1);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    Result result;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    result.out = slurp(outFile);
    result.err = slurp(errFile);
    fs::remove(outFile);
    fs::remove(errFile);
    return result;
}

std::size_t lineCount(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/glowmoth-render-test-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        root = made ? made : "/tmp";
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    const fs::path& path() const { return root; }

private:
    fs::path root;
};

std::set<std::string> listing(const fs::path& dir)
{
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) names.insert(entry.path().filename().string());
    return names;
}

// --- captions --------------------------------------------------------------

std::uint32_t parseStamp(const std::string& s)
{
    // HH:MM:SS,mmm or HH:MM:SS.mmm
    unsigned h = 0, m = 0, sec = 0, ms = 0;
    char sep = 0;
    if (std::sscanf(s.c_str(), "%u:%u:%u%c%u", &h, &m, &sec, &sep, &ms) != 5) ADD_FAILURE() << "bad stamp " << s;
    return ((h * 60 + m) * 60 + sec) * 1000 + ms;
}

std::vector<Cue> parseCaptions(const std::string& text, bool vtt)
{
    std::vector<Cue> cues;
    std::istringstream in(text);
    std::string line;
    if (vtt) {
        std::getline(in, line);
        EXPECT_EQ(line, "WEBVTT");
    }
    int expectedNumber = 1;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        if (!vtt) {
            EXPECT_EQ(line, std::to_string(expectedNumber++));
            if (!std::getline(in, line)) break;
        }
        const std::size_t arrow = line.find(" --> ");
        EXPECT_NE(arrow, std::string::npos) << line;
        if (arrow == std::string::npos) break;
        Cue cue;
        cue.startMs = parseStamp(line.substr(0, arrow));
        cue.endMs = parseStamp(line.substr(arrow + 5));
        while (std::getline(in, line) && !line.empty()) cue.lines.push_back(line);
        cues.push_back(cue);
    }
    return cues;
}

// --- pictures --------------------------------------------------------------

// Picture n as the show puts it on screen: decoded with SDL_image from the
// archive and centred on a black 640x480 frame, as RGB bytes.
std::vector<std::uint8_t> expectedFrame(Archive& archive, int number)
{
    const std::string name = "data/2t" + std::to_string(number) + ".png";
    std::int32_t size = 0;
    void* bytes = archive.readEntry(name.c_str(), size);
    EXPECT_NE(bytes, nullptr) << name;
    std::vector<std::uint8_t> rgb(kFrameBytes, 0);
    if (!bytes) return rgb;
    SDL_Surface* picture = IMG_Load_RW(SDL_RWFromMem(bytes, size), 1);
    EXPECT_NE(picture, nullptr) << name << ": " << IMG_GetError();
    if (picture) {
        SDL_Surface* frame = SDL_CreateRGBSurface(SDL_SWSURFACE, kWidth, kHeight, 32, 0xff0000, 0xff00, 0xff, 0);
        SDL_FillRect(frame, nullptr, 0);
        SDL_Rect at{static_cast<Sint16>(kWidth / 2 - picture->w / 2), static_cast<Sint16>(kHeight / 2 - picture->h / 2), 0, 0};
        SDL_BlitSurface(picture, nullptr, frame, &at);
        SDL_LockSurface(frame);
        for (int y = 0; y < kHeight; ++y) {
            const Uint32* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(frame->pixels) + y * frame->pitch);
            for (int x = 0; x < kWidth; ++x) {
                const std::size_t i = (static_cast<std::size_t>(y) * kWidth + x) * 3;
                rgb[i] = static_cast<std::uint8_t>(row[x] >> 16);
                rgb[i + 1] = static_cast<std::uint8_t>(row[x] >> 8);
                rgb[i + 2] = static_cast<std::uint8_t>(row[x]);
            }
        }
        SDL_UnlockSurface(frame);
        SDL_FreeSurface(frame);
        SDL_FreeSurface(picture);
    }
    std::free(bytes);
    return rgb;
}

double meanAbsoluteError(const std::uint8_t* a, const std::uint8_t* b)
{
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < kFrameBytes; ++i) sum += static_cast<std::uint64_t>(std::abs(int(a[i]) - int(b[i])));
    return static_cast<double>(sum) / kFrameBytes;
}

// --- the checks on one finished render ---------------------------------------

struct Passage {
    Uint32 eventMs;
    std::size_t cueCount;
};

// The worded passages of the script, with the number of cues their words
// make.
std::vector<Passage> scriptPassages()
{
    std::vector<Passage> passages;
    VoiceSettings voice;
    for (const ScriptEvent& e : showScript) {
        if (e.kind != ScriptEventKind::Speech) continue;
        const SpeechPassage read = readSpeechMarkup(e.text, voice);
        const std::size_t cues = captionBlocks(read.words).size();
        if (cues == 0) continue;
        passages.push_back({e.time, cues});
    }
    return passages;
}

Uint32 scriptEnd()
{
    Uint32 end = 0;
    for (const ScriptEvent& e : showScript)
        if (e.kind == ScriptEventKind::End) end = e.time;
    return end;
}

int peakBetween(const PcmAudio& audio, Uint32 fromMs, Uint32 toMs)
{
    const std::size_t from = static_cast<std::size_t>(fromMs) * audio.sampleRate / 1000;
    const std::size_t to = std::min(audio.samples.size(), static_cast<std::size_t>(toMs) * audio.sampleRate / 1000);
    int peak = 0;
    for (std::size_t i = from; i < to; ++i) peak = std::max(peak, std::abs(static_cast<int>(audio.samples[i])));
    return peak;
}

// The first moment at or after fromMs where the voice is heard.
Uint32 onsetAfter(const PcmAudio& audio, Uint32 fromMs, int threshold)
{
    for (std::size_t i = static_cast<std::size_t>(fromMs) * audio.sampleRate / 1000; i < audio.samples.size(); ++i)
        if (std::abs(static_cast<int>(audio.samples[i])) > threshold)
            return static_cast<Uint32>(i * 1000 / audio.sampleRate);
    return ~0u;
}

constexpr int kSilence = 64;    // below this the WAV counts as silent
constexpr int kVoice = 800;     // the voice's onset: clearly above the floor

void checkNarrationAndCaptions(const fs::path& dir, Uint32 lengthMs)
{
    PcmAudio audio;
    std::string error;
    ASSERT_TRUE(readWavFile((dir / "show.wav").string(), audio, error)) << error;
    ASSERT_EQ(audio.channels, 1);
    EXPECT_EQ(audio.samples.size(), static_cast<std::size_t>(lengthMs) * audio.sampleRate / 1000);

    const std::vector<Cue> srt = parseCaptions(slurp(dir / "show.srt"), false);
    const std::vector<Cue> vtt = parseCaptions(slurp(dir / "show.vtt"), true);
    ASSERT_EQ(srt.size(), vtt.size());
    for (std::size_t i = 0; i < srt.size(); ++i) {
        EXPECT_EQ(srt[i].startMs, vtt[i].startMs);
        EXPECT_EQ(srt[i].endMs, vtt[i].endMs);
        EXPECT_LE(srt[i].lines.size(), kCaptionLinesPerCue);
        EXPECT_LT(srt[i].startMs, srt[i].endMs);
        EXPECT_LE(srt[i].endMs, lengthMs);
        for (const std::string& line : srt[i].lines) EXPECT_LE(characterCount(line), kCaptionLineLength) << line;
    }

    // Cues are grouped by passage: the script says how many each makes.
    std::vector<Passage> passages = scriptPassages();
    while (!passages.empty() && passages.back().eventMs >= lengthMs) passages.pop_back();
    std::size_t cue = 0;
    Uint32 previousEnd = 0;
    for (std::size_t p = 0; p < passages.size(); ++p) {
        SCOPED_TRACE("passage at " + std::to_string(passages[p].eventMs) + " ms");
        ASSERT_LT(cue, srt.size());
        const Uint32 start = srt[cue].startMs;
        std::size_t last = std::min(srt.size(), cue + passages[p].cueCount) - 1;
        // The cues of a passage follow each other without a gap.
        for (std::size_t k = cue + 1; k <= last; ++k) EXPECT_EQ(srt[k].startMs, srt[k - 1].endMs);
        const Uint32 end = srt[last].endMs;
        cue = last + 1;

        // Its speech event fires at the step with the event's time, which the
        // loop runs a few passes before that time; a passage queued behind an
        // overrunning one starts where that one ends.
        const Uint32 fired = passages[p].eventMs;
        EXPECT_GE(start + 100, fired);
        EXPECT_GE(start, previousEnd);
        EXPECT_LE(start, std::max(previousEnd, fired));
        if (start > previousEnd) {
            // Silence between the passages, exactly as the live voice leaves it.
            EXPECT_LE(peakBetween(audio, previousEnd, start), kSilence);
            // The caption appears with the voice.
            const Uint32 onset = onsetAfter(audio, previousEnd, kVoice);
            EXPECT_LE(onset, start + 100);
            EXPECT_GE(onset + 100, start);
        } else {
            // Queued: its voice follows the one before without a pause.
            EXPECT_LE(onsetAfter(audio, start, kVoice), start + 100);
        }
        EXPECT_GT(peakBetween(audio, start, end), kVoice);
        previousEnd = end;
    }
    EXPECT_EQ(cue, srt.size()) << "captions beyond the script's passages";
    // Nothing is heard after the last passage.
    EXPECT_LE(peakBetween(audio, previousEnd, lengthMs), kSilence);
}

}  // namespace

// --- the command line ---------------------------------------------------------

TEST(RenderCommand, BadArgumentsAreAUsageError)
{
    TempDir dir;
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--bogus"}, {"--archive"}, {"-o"}, {"stray"}, {"--seconds", "x"}}) {
        std::vector<std::string> argv = {kRender};
        argv.insert(argv.end(), args.begin(), args.end());
        const Result r = run(argv, dir.path());
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(lineCount(r.err), 1u) << r.err;
    }
    const Result help = run({kRender, "--help"}, dir.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--archive PATH"), std::string::npos);
    EXPECT_TRUE(help.err.empty());
}

TEST(RenderCommand, MissingArchiveOrUnwritableFolderFailsWithOneLine)
{
    TempDir dir;
    const fs::path out = dir.path() / "out";

    Result r = run({kRender, "--archive", (dir.path() / "nothing.dat").string(), "-o", out.string()}, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;
    EXPECT_NE(r.err.find("nothing.dat"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out));

    std::ofstream(dir.path() / "a-file") << "not a folder";
    r = run({kRender, "--archive", kArchive, "-o", (dir.path() / "a-file").string()}, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;

    r = run({kRender, "--archive", kArchive, "-o", "/proc/glowmoth-render"}, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;
}

TEST(RenderCommand, PlaysFromItsOwnArchiveInAnyFolder)
{
    TempDir dir;
    const Result r = run({kRender, "-o", "out", "--seconds", "1"}, dir.path(), "/nonexistent");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(listing(dir.path() / "out"), (std::set<std::string>{"show.srt", "show.vtt", "show.wav", "show.y4m"}));
}

TEST(RenderCommand, AFailingEncoderLeavesNoOutput)
{
    TempDir dir;
    const fs::path bin = dir.path() / "bin";
    fs::create_directory(bin);
    {
        std::ofstream fake(bin / "ffmpeg");
        fake << "#!/bin/sh\necho 'encoder gave up' >&2\nexit 1\n";
    }
    fs::permissions(bin / "ffmpeg", fs::perms::owner_all);
    const fs::path out = dir.path() / "out";
    fs::create_directory(out);
    const Result r = run({kRender, "--archive", kArchive, "-o", out.string(), "--seconds", "5"}, dir.path(),
                         bin.string());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;
    EXPECT_NE(r.err.find("encoder gave up"), std::string::npos) << r.err;
    EXPECT_TRUE(listing(out).empty());
}

// Without ffmpeg: a YUV4MPEG2 stream and a hint, and the same narration and
// captions for the stretch rendered.
TEST(RenderCommand, WithoutFfmpegWritesY4mAndAHint)
{
    TempDir dir;
    const fs::path out = dir.path() / "out";
    const Result r = run({kRender, "--archive", kArchive, "-o", out.string(), "--seconds", "3"}, dir.path(),
                         "/nonexistent");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(listing(out), (std::set<std::string>{"show.srt", "show.vtt", "show.wav", "show.y4m"}));
    EXPECT_NE(r.out.find("ffmpeg -i show.y4m"), std::string::npos) << r.out;

    const std::string y4m = slurp(out / "show.y4m");
    const std::string header = y4mHeader(kWidth, kHeight, 25, 1);
    ASSERT_EQ(y4m.compare(0, header.size(), header), 0);
    const std::size_t frameSize = 6 + kWidth * kHeight * 3 / 2;
    EXPECT_EQ(y4m.size(), header.size() + 75 * frameSize);  // 3 s at 25 fps
    // Frame 0 is black; from frame 5 on picture 1 is up.
    const std::size_t y0 = header.size() + 6;
    EXPECT_EQ(static_cast<unsigned char>(y4m[y0 + 240 * kWidth + 320]), 16);
    EXPECT_EQ(y4m.compare(header.size() + 5 * frameSize, 6, "FRAME\n"), 0);

    checkNarrationAndCaptions(out, 3000);
}

// Pictures smaller than the screen sit in its middle on black, and a picture
// missing from the archive leaves the screen black for its span.
TEST(RenderShow, SmallPicturesAreCentredOnBlack)
{
    const std::string ffmpeg = findProgram("ffmpeg");
    if (ffmpeg.empty()) GTEST_SKIP() << "ffmpeg is not installed";
    TempDir dir;
    const fs::path archivePath = dir.path() / "cards.dat";
    auto colour = [](int n) { return SDL_Color{static_cast<Uint8>(12 * n), static_cast<Uint8>(240 - 11 * n), 200, 0}; };
    {
        ArchiveWriter* writer = createArchive(archivePath.c_str());
        ASSERT_NE(writer, nullptr);
        for (int n = 1; n <= 19; ++n) {
            if (n == 3) continue;  // missing
            SDL_Surface* card = SDL_CreateRGBSurface(SDL_SWSURFACE, 100, 60, 32, 0xff0000, 0xff00, 0xff, 0);
            const SDL_Color c = colour(n);
            SDL_FillRect(card, nullptr, SDL_MapRGB(card->format, c.r, c.g, c.b));
            const fs::path bmp = dir.path() / "card.bmp";
            ASSERT_EQ(SDL_SaveBMP(card, bmp.c_str()), 0);
            SDL_FreeSurface(card);
            const std::string bytes = slurp(bmp);
            const std::string name = "data/2t" + std::to_string(n) + ".png";  // the bank goes by the bytes
            ASSERT_GT(writer->addEntry(name.c_str(), bytes.data(), static_cast<std::uint32_t>(bytes.size()), 0), 0u);
        }
        ASSERT_EQ(writer->finish(0), 1);
    }

    const fs::path out = dir.path() / "out";
    const Result r = run({kRender, "--archive", archivePath.string(), "-o", out.string(), "--seconds", "30"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;

    // Picture 2 from 19800 ms, picture 3 (missing) from 28700 ms.
    const std::vector<std::size_t> frames = {10, 19800 / 40 + 2, 28700 / 40 + 2};
    const fs::path raw = dir.path() / "frames.rgb";
    const Result decode = run({ffmpeg, "-nostdin", "-v", "error", "-i", (out / "show.mp4").string(), "-vf",
                               "select=eq(n\\," + std::to_string(frames[0]) + ")+eq(n\\," + std::to_string(frames[1]) +
                                   ")+eq(n\\," + std::to_string(frames[2]) + ")",
                               "-vsync", "0", "-f", "rawvideo", "-pix_fmt", "rgb24", raw.string()},
                              dir.path());
    ASSERT_EQ(decode.status, 0) << decode.err;
    const std::string rgb = slurp(raw);
    ASSERT_EQ(rgb.size(), 3 * kFrameBytes);
    auto pixel = [&](int frame, int x, int y, int channel) {
        return static_cast<int>(static_cast<unsigned char>(
            rgb[frame * kFrameBytes + (static_cast<std::size_t>(y) * kWidth + x) * 3 + channel]));
    };
    for (int f = 0; f < 2; ++f) {
        const SDL_Color c = colour(f + 1);
        // The card covers x 270..369, y 210..269.
        for (const auto& at : std::vector<std::pair<int, int>>{{320, 240}, {274, 214}, {365, 265}}) {
            EXPECT_NEAR(pixel(f, at.first, at.second, 0), c.r, 8) << f;
            EXPECT_NEAR(pixel(f, at.first, at.second, 1), c.g, 8) << f;
            EXPECT_NEAR(pixel(f, at.first, at.second, 2), c.b, 8) << f;
        }
        for (const auto& at : std::vector<std::pair<int, int>>{{250, 240}, {390, 240}, {320, 195}, {320, 285}, {0, 0}, {639, 479}})
            for (int ch = 0; ch < 3; ++ch) EXPECT_LE(pixel(f, at.first, at.second, ch), 6) << f << " at " << at.first << "," << at.second;
    }
    std::uint64_t sum = 0;
    for (std::size_t i = 2 * kFrameBytes; i < 3 * kFrameBytes; ++i) sum += static_cast<unsigned char>(rgb[i]);
    EXPECT_LT(static_cast<double>(sum) / kFrameBytes, 1.0) << "the missing picture's span is black";
}

// The whole show, as the issue asks: the right picture at each of the
// script's picture times, captions with the voice, silences in their places.
TEST(RenderShow, TheWholeShow)
{
    const std::string ffmpeg = findProgram("ffmpeg");
    const std::string ffprobe = findProgram("ffprobe");
    if (ffmpeg.empty() || ffprobe.empty()) GTEST_SKIP() << "ffmpeg is not installed";

    TempDir dir;
    const fs::path out = dir.path() / "out";
    const Result r = run({kRender, "--archive", kArchive, "-o", out.string()}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;  // no progress bar off a terminal
    EXPECT_EQ(listing(out), (std::set<std::string>{"show.mp4", "show.srt", "show.vtt", "show.wav"}));
    EXPECT_NE(r.out.find("show.mp4"), std::string::npos);

    const Uint32 lengthMs = scriptEnd();
    ASSERT_EQ(lengthMs, 179000u);
    const std::size_t frameCount = lengthMs / 40;

    // The streams, as a player sees them.
    const Result probe = run({ffprobe, "-v", "error", "-show_entries",
                              "stream=codec_type,codec_name,width,height,r_frame_rate,nb_frames,pix_fmt:format=duration",
                              "-of", "default=noprint_wrappers=1", (out / "show.mp4").string()},
                             dir.path());
    ASSERT_EQ(probe.status, 0) << probe.err;
    for (const char* expected : {"codec_name=h264", "width=640", "height=480", "r_frame_rate=25/1", "pix_fmt=yuv420p",
                                 "codec_name=aac", "codec_type=subtitle", "codec_name=mov_text"})
        EXPECT_NE(probe.out.find(expected), std::string::npos) << expected << "\n" << probe.out;
    EXPECT_NE(probe.out.find("nb_frames=" + std::to_string(frameCount)), std::string::npos) << probe.out;
    const std::size_t duration = probe.out.find("duration=");
    ASSERT_NE(duration, std::string::npos);
    EXPECT_NEAR(std::atof(probe.out.c_str() + duration + 9), 179.0, 0.05);

    // Which picture each sampled frame must show (0: black).
    std::map<std::size_t, int> wanted = {{0, 0}, {frameCount - 1, 19}};
    for (const ScriptEvent& e : showScript) {
        if (e.kind != ScriptEventKind::Picture) continue;
        wanted[e.time / 40 + 2] = e.picture;
        if (e.time >= 400) wanted[e.time / 40 - 5] = e.picture - 1;
    }
    std::string select;
    for (const auto& w : wanted) select += (select.empty() ? "" : "+") + std::string("eq(n\\,") + std::to_string(w.first) + ")";
    const fs::path raw = dir.path() / "frames.rgb";
    const Result decode = run({ffmpeg, "-nostdin", "-v", "error", "-i", (out / "show.mp4").string(), "-vf",
                               "select=" + select, "-vsync", "0", "-f", "rawvideo", "-pix_fmt", "rgb24", raw.string()},
                              dir.path());
    ASSERT_EQ(decode.status, 0) << decode.err;
    const std::string frames = slurp(raw);
    ASSERT_EQ(frames.size(), wanted.size() * kFrameBytes);

    std::unique_ptr<Archive> archive(openArchive(kArchive.c_str(), 0));
    ASSERT_TRUE(archive);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE), 0) << SDL_GetError();
    std::map<int, std::vector<std::uint8_t>> pictures;
    pictures[0] = std::vector<std::uint8_t>(kFrameBytes, 0);
    for (int n = 1; n <= 19; ++n) pictures[n] = expectedFrame(*archive, n);
    SDL_Quit();

    std::size_t index = 0;
    for (const auto& w : wanted) {
        const auto* frame = reinterpret_cast<const std::uint8_t*>(frames.data()) + index++ * kFrameBytes;
        const double own = meanAbsoluteError(frame, pictures[w.second].data());
        EXPECT_LT(own, 4.0) << "frame " << w.first << " should show picture " << w.second;
        // And it is not merely close: no other picture fits it as well.
        for (const auto& other : pictures) {
            if (other.first == w.second || other.second == pictures[w.second]) continue;
            EXPECT_LT(own, meanAbsoluteError(frame, other.second.data()))
                << "frame " << w.first << " looks more like picture " << other.first << " than " << w.second;
        }
    }

    checkNarrationAndCaptions(out, lengthMs);
}
