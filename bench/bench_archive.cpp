// The archive's codecs and chains beside the work they wrap, measured in one
// run: memcpy for None and the filters, zlib's compress and uncompress called
// directly for ZLIB. At the end the program prints each codec's throughput
// as a ratio of its reference's; the chain's own overhead should vanish
// (None unpack at least 0.8 of memcpy, ZLIB unpack at least 0.95 of
// uncompress).
#include "archive/Archive.h"
#include "archive/ArchiveWriter.h"
#include "archive/Codec.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <malloc.h>
#include <unistd.h>
#include <zlib.h>

namespace {

using Bytes = std::vector<unsigned char>;

// Picture-like data: runs and gradients with some noise, so zlib has work
// to do and still shrinks it (about 3 to 1).
Bytes sampleData(std::size_t n) {
    Bytes out(n);
    std::uint32_t x = 2463534242u;
    unsigned char value = 0;
    for (std::size_t i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        if ((x & 0x3F) == 0) value = static_cast<unsigned char>(x >> 24);
        else if ((x & 0x7) == 0) value = static_cast<unsigned char>(value + 1);
        out[i] = (x & 0x300) == 0 ? static_cast<unsigned char>(x >> 16) : value;
    }
    return out;
}

constexpr std::size_t kLarge = 1 << 20;
constexpr std::size_t kSmall = 64 << 10;

const Bytes& data(std::size_t n) {
    static std::map<std::size_t, Bytes> cache;
    auto it = cache.find(n);
    if (it == cache.end()) it = cache.emplace(n, sampleData(n)).first;
    return it->second;
}

struct Stored {
    std::uint32_t word = 0;
    Bytes bytes;
};

Stored packed(std::size_t n, std::uint32_t word) {
    Stored s;
    s.word = word;
    std::unique_ptr<PackedBlock> block(packChain(data(n).data(), static_cast<std::uint32_t>(n), s.word));
    if (!block) std::abort();
    s.bytes.assign(block->data, block->data + block->length);
    return s;
}

void setBytes(benchmark::State& state, std::size_t n) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(n));
}

// ---------------------------------------------------------------- references

void BM_Memcpy(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const Bytes& in = data(n);
    Bytes out(n);
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), n);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setBytes(state, n);
}
BENCHMARK(BM_Memcpy)->Arg(kSmall)->Arg(kLarge);

void BM_ZlibCompressDirect(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const Bytes& in = data(n);
    Bytes out(compressBound(n));
    for (auto _ : state) {
        uLongf length = out.size();
        if (compress(out.data(), &length, in.data(), n) != Z_OK) std::abort();
        benchmark::DoNotOptimize(out.data());
    }
    setBytes(state, n);
}
BENCHMARK(BM_ZlibCompressDirect)->Arg(kLarge);

void BM_ZlibUncompressDirect(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const Bytes& in = data(n);
    Bytes stream(compressBound(n));
    uLongf streamLength = stream.size();
    if (compress(stream.data(), &streamLength, in.data(), n) != Z_OK) std::abort();
    Bytes out(n);
    for (auto _ : state) {
        uLongf length = n;
        if (uncompress(out.data(), &length, stream.data(), streamLength) != Z_OK) std::abort();
        benchmark::DoNotOptimize(out.data());
    }
    setBytes(state, n);
}
BENCHMARK(BM_ZlibUncompressDirect)->Arg(kSmall)->Arg(kLarge);

// ---------------------------------------------------------------- codecs

void packOne(benchmark::State& state, std::uint32_t id) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const Bytes& in = data(n);
    Codec* codec = findCodec(id);
    for (auto _ : state) {
        unsigned char* out = nullptr;
        std::uint32_t length = 0;
        codec->pack(in.data(), out, static_cast<std::uint32_t>(n), length);
        benchmark::DoNotOptimize(out);
        std::free(out);
    }
    setBytes(state, n);
}

// Unpacking through the chain, as the reader does, from the codec's own
// stored bytes.
void unpackOne(benchmark::State& state, std::uint32_t word) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const Stored stored = packed(n, word);
    for (auto _ : state) {
        std::uint32_t length = 0;
        unsigned char* out =
            unpackChain(stored.bytes.data(), static_cast<std::uint32_t>(stored.bytes.size()), stored.word, &length);
        if (!out || length != n) std::abort();
        benchmark::DoNotOptimize(out);
        std::free(out);
    }
    setBytes(state, n);
}

void BM_PackNone(benchmark::State& s) { packOne(s, kCodecNone); }
void BM_UnpackNone(benchmark::State& s) { unpackOne(s, kCodecNone); }
void BM_PackZlib(benchmark::State& s) { packOne(s, kCodecZlib); }
void BM_UnpackZlib(benchmark::State& s) { unpackOne(s, kCodecZlib); }
void BM_PackDelta8(benchmark::State& s) { packOne(s, kCodecDelta8); }
void BM_UnpackDelta8(benchmark::State& s) { unpackOne(s, kCodecDelta8); }
void BM_PackDelta16(benchmark::State& s) { packOne(s, kCodecDelta16); }
void BM_UnpackDelta16(benchmark::State& s) { unpackOne(s, kCodecDelta16); }
void BM_PackDelta32(benchmark::State& s) { packOne(s, kCodecDelta32); }
void BM_UnpackDelta32(benchmark::State& s) { unpackOne(s, kCodecDelta32); }
void BM_PackMurk(benchmark::State& s) { packOne(s, kCodecMurk); }
void BM_UnpackMurk(benchmark::State& s) { unpackOne(s, kCodecMurk); }
BENCHMARK(BM_PackNone)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_UnpackNone)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_PackZlib)->Arg(kLarge);
BENCHMARK(BM_UnpackZlib)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_PackDelta8)->Arg(kLarge);
BENCHMARK(BM_UnpackDelta8)->Arg(kLarge);
BENCHMARK(BM_PackDelta16)->Arg(kLarge);
BENCHMARK(BM_UnpackDelta16)->Arg(kLarge);
BENCHMARK(BM_PackDelta32)->Arg(kLarge);
BENCHMARK(BM_UnpackDelta32)->Arg(kLarge);
BENCHMARK(BM_PackMurk)->Arg(kLarge);
BENCHMARK(BM_UnpackMurk)->Arg(kLarge);

// ---------------------------------------------------------------- chains

void packWord(benchmark::State& state, std::uint32_t word) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const Bytes& in = data(n);
    for (auto _ : state) {
        std::uint32_t w = word;
        std::unique_ptr<PackedBlock> block(packChain(in.data(), static_cast<std::uint32_t>(n), w));
        if (!block) std::abort();
        benchmark::DoNotOptimize(block->data);
    }
    setBytes(state, n);
}

// The chains in use: ZLIB alone (the shipped archive), a delta filter before
// it, the scrambling filter after it, and best selection.
void BM_PackChainDelta16Zlib(benchmark::State& s) { packWord(s, kCodecDelta16 | kCodecZlib); }
void BM_UnpackChainDelta16Zlib(benchmark::State& s) { unpackOne(s, kCodecDelta16 | kCodecZlib); }
void BM_PackChainZlibMurk(benchmark::State& s) { packWord(s, kCodecMurk | kCodecZlib); }
void BM_UnpackChainZlibMurk(benchmark::State& s) { unpackOne(s, kCodecMurk | kCodecZlib); }
void BM_PackChainDelta16ZlibMurk(benchmark::State& s) { packWord(s, kCodecMurk | kCodecDelta16 | kCodecZlib); }
void BM_UnpackChainDelta16ZlibMurk(benchmark::State& s) { unpackOne(s, kCodecMurk | kCodecDelta16 | kCodecZlib); }
BENCHMARK(BM_PackChainDelta16Zlib)->Arg(kLarge);
BENCHMARK(BM_UnpackChainDelta16Zlib)->Arg(kLarge);
BENCHMARK(BM_PackChainZlibMurk)->Arg(kLarge);
BENCHMARK(BM_UnpackChainZlibMurk)->Arg(kLarge);
BENCHMARK(BM_PackChainDelta16ZlibMurk)->Arg(kLarge);
BENCHMARK(BM_UnpackChainDelta16ZlibMurk)->Arg(kLarge);

// Best selection packs with every compressor; its reference is the same
// work done directly: one compress and one memcpy.
void BM_BestSelectionDirect(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const Bytes& in = data(n);
    Bytes stream(compressBound(n));
    Bytes copy(n);
    for (auto _ : state) {
        uLongf length = stream.size();
        if (compress(stream.data(), &length, in.data(), n) != Z_OK) std::abort();
        std::memcpy(copy.data(), in.data(), n);
        benchmark::DoNotOptimize(stream.data());
        benchmark::DoNotOptimize(copy.data());
    }
    setBytes(state, n);
}
void BM_PackBestSelection(benchmark::State& s) { packWord(s, kCodecBest); }
BENCHMARK(BM_BestSelectionDirect)->Arg(kLarge);
BENCHMARK(BM_PackBestSelection)->Arg(kLarge);

// ---------------------------------------------------------------- archives

// Nineteen entries of 64 KiB, stored with ZLIB like the shipped pictures.
struct ShowArchive {
    std::string path;
    std::vector<std::string> names;
    std::vector<Bytes> stored;  // each entry's ZLIB record
    std::size_t total = 0;

    ShowArchive() {
        path = "/tmp/glowmoth-bench-" + std::to_string(getpid()) + ".dat";
        ArchiveWriter* writer = createArchive(path.c_str());
        if (!writer) std::abort();
        for (int i = 1; i <= 19; ++i) {
            Bytes entry = sampleData(kSmall);
            entry[0] = static_cast<unsigned char>(i);
            names.push_back("data/2t" + std::to_string(i) + ".png");
            std::uint32_t word = kCodecZlib;
            std::unique_ptr<PackedBlock> block(packChain(entry.data(), static_cast<std::uint32_t>(kSmall), word));
            stored.emplace_back(block->data, block->data + block->length);
            if (!writer->addEntry(names.back().c_str(), entry.data(), static_cast<std::uint32_t>(kSmall), word)) {
                std::abort();
            }
            total += kSmall;
        }
        if (!writer->finish(kCodecZlib)) std::abort();
    }
    ~ShowArchive() { std::remove(path.c_str()); }
};

ShowArchive& showArchive() {
    static ShowArchive archive;
    return archive;
}

void BM_OpenArchiveReadAll(benchmark::State& state) {
    ShowArchive& show = showArchive();
    for (auto _ : state) {
        Archive* archive = openArchive(show.path.c_str());
        if (!archive) std::abort();
        for (const std::string& name : show.names) {
            std::int32_t size = 0;
            void* entry = archive->readEntry(name.c_str(), size);
            if (!entry) std::abort();
            benchmark::DoNotOptimize(entry);
            std::free(entry);
        }
        delete archive;
    }
    setBytes(state, show.total);
}

// The inflating alone, from memory, for the same nineteen records.
void BM_UncompressAllDirect(benchmark::State& state) {
    ShowArchive& show = showArchive();
    Bytes out(kSmall);
    for (auto _ : state) {
        for (const Bytes& record : show.stored) {
            uLongf length = kSmall;
            const int r = uncompress(out.data(), &length, record.data() + 4, record.size() - 4);
            if (r != Z_BUF_ERROR && r != Z_OK) std::abort();
            benchmark::DoNotOptimize(out.data());
        }
    }
    setBytes(state, show.total);
}
BENCHMARK(BM_UncompressAllDirect);
BENCHMARK(BM_OpenArchiveReadAll);

// ---------------------------------------------------------------- ratios

// Keeps each benchmark's best throughput (over repetitions) and, at the
// end, prints every measurement as a ratio of its reference.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            auto it = run.counters.find("bytes_per_second");
            if (it == run.counters.end()) continue;
            double& best = throughput[run.run_name.str()];
            best = std::max(best, static_cast<double>(it->second.value));
        }
    }

    void printRatios() const {
        struct Pair {
            const char* measured;
            const char* reference;
            double target;
        };
        const std::string L = "/" + std::to_string(kLarge);
        const std::string S = "/" + std::to_string(kSmall);
        const Pair pairs[] = {
            {"BM_UnpackNone", "BM_Memcpy", 0.8},
            {"BM_PackNone", "BM_Memcpy", 0},
            {"BM_UnpackZlib", "BM_ZlibUncompressDirect", 0.95},
            {"BM_PackZlib", "BM_ZlibCompressDirect", 0},
            {"BM_UnpackDelta8", "BM_Memcpy", 0},
            {"BM_UnpackDelta16", "BM_Memcpy", 0},
            {"BM_UnpackDelta32", "BM_Memcpy", 0},
            {"BM_PackDelta16", "BM_Memcpy", 0},
            {"BM_UnpackMurk", "BM_Memcpy", 0},
            {"BM_UnpackChainDelta16Zlib", "BM_ZlibUncompressDirect", 0},
            {"BM_UnpackChainZlibMurk", "BM_ZlibUncompressDirect", 0},
            {"BM_PackBestSelection", "BM_BestSelectionDirect", 0},
            {"BM_OpenArchiveReadAll", "BM_UncompressAllDirect", 0},
        };
        std::printf("\nThroughput as a ratio of the reference measured in this run:\n");
        for (const Pair& p : pairs) {
            for (const std::string& size : {S, L}) {
                const bool whole = std::strncmp(p.measured, "BM_OpenArchive", 14) == 0;
                const std::string measured = p.measured + (whole ? "" : size);
                const std::string reference = p.reference + (whole ? "" : size);
                auto m = throughput.find(measured);
                auto r = throughput.find(reference);
                if (m == throughput.end() || r == throughput.end() || r->second <= 0) continue;
                const double ratio = m->second / r->second;
                std::printf("  %-36s / %-30s %6.3f", measured.c_str(), reference.c_str(), ratio);
                if (p.target > 0) std::printf("  (target >= %.2f: %s)", p.target, ratio >= p.target ? "met" : "NOT MET");
                std::printf("\n");
                if (whole) break;
            }
        }
    }

private:
    std::map<std::string, double> throughput;
};

}  // namespace

int main(int argc, char** argv) {
    // Each iteration allocates and frees a few buffers of up to 1 MiB. With
    // glibc's defaults, freeing two of them at once returns the heap's top to
    // the kernel, and the next iteration faults it back in page by page: the
    // loop would measure that, not the codecs. A program that reads an
    // archive pays it once, so keep the heap.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    // Three repetitions by default, interleaved in random order, so that
    // each measurement and its reference meet the machine in the same moods;
    // the ratios take each benchmark's best.
    std::vector<char*> args(argv, argv + argc);
    static char repetitions[] = "--benchmark_repetitions=3";
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    bool repetitionsGiven = false;
    for (int i = 1; i < argc; ++i) repetitionsGiven |= std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
    if (!repetitionsGiven) {
        args.push_back(repetitions);
        args.push_back(interleave);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
