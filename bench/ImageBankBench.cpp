// Loading one 512x414 PNG through the image banks: straight from a file
// (the reference) and from a ZLIB-packed archive entry, which adds the
// archive's read and decode and the memory stream. Compare the two times
// of the same run.
#include "archive/Archive.h"
#include "archive/ArchiveWriter.h"
#include "archive/Codec.h"
#include "image/Image.h"
#include "image/ImageBank.h"

#include <SDL/SDL.h>
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

void putBE32(std::vector<unsigned char>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(v >> shift));
}

void chunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data)
{
    putBE32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
    putBE32(out, static_cast<std::uint32_t>(crc));
}

// A PNG in the show's style: dim line art on black, 8-bit RGB.
std::vector<unsigned char> makePng(int w, int h)
{
    std::vector<unsigned char> raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < w; ++x) {
            const bool line = (x + y) % 37 < 3 || (x * x + y * y) % 1009 < 40;
            raw.push_back(line ? 0x4d : 0);
            raw.push_back(line ? 0xff : 0);
            raw.push_back(line ? 0x88 : 0);
        }
    }
    uLongf packedLength = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedLength);
    compress(packed.data(), &packedLength, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(packedLength);

    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<unsigned char> header;
    putBE32(header, static_cast<std::uint32_t>(w));
    putBE32(header, static_cast<std::uint32_t>(h));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", packed);
    chunk(png, "IEND", {});
    return png;
}

struct Fixture {
    std::string folder;
    std::string picture;
    Archive* archive = nullptr;

    Fixture()
    {
        char pattern[] = "/tmp/glowmoth-bench-image-XXXXXX";
        folder = mkdtemp(pattern);
        picture = folder + "/2t1.png";
        const std::vector<unsigned char> png = makePng(512, 414);
        std::FILE* f = std::fopen(picture.c_str(), "wb");
        std::fwrite(png.data(), 1, png.size(), f);
        std::fclose(f);

        const std::string archivePath = folder + "/pictures.dat";
        ArchiveWriter* writer = createArchive(archivePath.c_str());
        writer->addEntry("data/2t1.png", png.data(), static_cast<std::uint32_t>(png.size()), kCodecZlib);
        writer->finish(kCodecZlib);
        archive = openArchive(archivePath.c_str());
    }
    ~Fixture()
    {
        delete archive;
        std::system(("rm -rf '" + folder + "'").c_str());
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_FileBankLoad(benchmark::State& state)
{
    FileImageBank bank;
    for (auto _ : state) {
        Image* image = bank.load(fixture().picture.c_str());
        if (!image)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(image);
        delete image;
    }
}
BENCHMARK(BM_FileBankLoad)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ArchiveBankLoad(benchmark::State& state)
{
    ArchiveImageBank bank(fixture().archive);
    for (auto _ : state) {
        Image* image = bank.load("data/2t1.png");
        if (!image)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(image);
        delete image;
    }
}
BENCHMARK(BM_ArchiveBankLoad)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// One centred draw of the same picture on a 640x480 software screen.
void BM_ImageDraw(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    SDL_Init(SDL_INIT_VIDEO);
    SDL_SetVideoMode(640, 480, 32, SDL_SWSURFACE);
    FileImageBank bank;
    Image* image = bank.load(fixture().picture.c_str());
    for (auto _ : state)
        benchmark::DoNotOptimize(image->draw(0, 10, 320, 240));
    delete image;
    SDL_Quit();
}
BENCHMARK(BM_ImageDraw)->Unit(benchmark::kMicrosecond);

// The console report, plus the CPU time of each benchmark for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_None) {}
    void ReportRuns(const std::vector<Run>& runs) override
    {
        // The median of the repetitions, so one disturbed repetition on a
        // busy machine does not decide the ratio.
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred)
                cpu[run.run_name.function_name] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> cpu;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto file = reporter.cpu.find("BM_FileBankLoad");
    const auto archived = reporter.cpu.find("BM_ArchiveBankLoad");
    if (file != reporter.cpu.end() && archived != reporter.cpu.end() && file->second > 0)
        std::printf("archive load / file load (median CPU time): %.2f\n", archived->second / file->second);
    benchmark::Shutdown();
    return 0;
}
