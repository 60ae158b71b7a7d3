// glowpack: packs, inspects and unpacks Glowmoth archives.
//
// It opens an archive the way the show does (header at offset 0, else
// through the footer at the end of the file), so it works on stand-alone
// archives and on executables that carry one.
//
// Exit status: 0 success, 1 a failure (missing name, unreadable file, broken
// archive, failed decode), 2 a usage error.
#include "archive/Archive.h"
#include "archive/ArchiveWriter.h"
#include "archive/Codec.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kOk = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

const char kUsageText[] =
    "usage: glowpack COMMAND ...\n"
    "\n"
    "  create ARCHIVE [-c WORD] [-d WORD] FILE...\n"
    "      a new archive holding the files in the order given, each under its\n"
    "      path as given; -c is the codec word for every entry, -d for the\n"
    "      directory (decimal or 0x hex; default 0xFFFF, the smallest result)\n"
    "  list ARCHIVE\n"
    "      one line per entry: SIZE PACKED 0xWORD CHAIN NAME\n"
    "  cat ARCHIVE NAME\n"
    "      the decoded entry on standard output\n"
    "  extract ARCHIVE [-o DIR] [NAME...]\n"
    "      writes the entries (all, or those named) as files under DIR (default .)\n"
    "  append FILE ARCHIVE\n"
    "      appends a stand-alone archive to FILE, such as the show's executable\n"
    "  verify ARCHIVE\n"
    "      decodes every entry and prints one line per bad one\n"
    "  codecs\n"
    "      the registered codecs: id, name, description\n"
    "\n"
    "A codec word is compressor | inner filter | outer filter:\n"
    "  compressor   0x0000 None, 0x0001 ZLIB, 0xFFFF best (try all, keep the smallest)\n"
    "  inner filter 0x00010000 Delta8, 0x00020000 Delta16, 0x00030000 Delta32\n"
    "  outer filter 0x74000000 Murk\n"
    "for example 0x0002FFFF: Delta16, then the best compressor.\n";

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<unsigned char, FreeDeleter>;

struct ArchiveDeleter {
    void operator()(Archive* a) const { delete a; }
};
using ArchiveHandle = std::unique_ptr<Archive, ArchiveDeleter>;

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

int fail(const std::string& message) {
    std::fprintf(stderr, "glowpack: %s\n", message.c_str());
    return kFailure;
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "glowpack: %s\n(glowpack --help shows the usage)\n", message.c_str());
    return kUsage;
}

std::string systemError() { return std::strerror(errno); }

std::string hexWord(std::uint32_t word) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", word);
    return text;
}

bool parseWord(const char* text, std::uint32_t& word) {
    if (!text || !*text || *text == '-' || *text == '+') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 0);
    if (errno || *end || value > 0xFFFFFFFFull) return false;
    word = static_cast<std::uint32_t>(value);
    return true;
}

bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& error) {
    FileHandle f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        error = "cannot read " + path + ": " + systemError();
        return false;
    }
    bytes.clear();
    unsigned char chunk[1 << 16];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (bytes.size() > 0xFFFFFFFFull) {
            error = path + " is too large for an archive entry (4 GiB at most)";
            return false;
        }
    }
    if (std::ferror(f.get())) {
        error = "cannot read " + path + ": " + systemError();
        return false;
    }
    return true;
}

// Opens an archive as the show does. The message says whether the file was
// missing or held no archive.
ArchiveHandle openForReading(const std::string& path, std::string& error) {
    FileHandle probe(std::fopen(path.c_str(), "rb"));
    if (!probe) {
        error = "cannot open " + path + ": " + systemError();
        return nullptr;
    }
    probe.reset();
    ArchiveHandle archive(openArchive(path.c_str(), 0));
    if (!archive) error = path + " is not a Glowmoth archive, or it is damaged";
    return archive;
}

// The chain in packing order, as names: inner filter, compressor, outer
// filter. The compressor is the codec unpacking would use, so a word with
// ignored bits 8-15 still shows what decodes it.
std::string chainName(std::uint32_t word) {
    std::string chain;
    if (word & kInnerFilterMask) chain += std::string(codecName(word & kInnerFilterMask)) + "+";
    const Codec* compressor = findCodec(word & kCompressorMask);
    if (!compressor) compressor = findCodec(word & kCompressorFallbackMask);
    chain += compressor ? compressor->name : "Unknown";
    if (word & kOuterFilterMask) chain += std::string("+") + codecName(word & kOuterFilterMask);
    return chain;
}

// The stored block of an entry: its packed length and bytes, read straight
// from the file, so that verify can say what went wrong.
bool readStoredBlock(const Archive& archive, const std::string& path, const ArchiveEntry& entry,
                     PackedBlock& block, std::string& error) {
    FileHandle f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        error = "cannot open the archive: " + systemError();
        return false;
    }
    unsigned char lengthBytes[4];
    const long position = static_cast<long>(archive.entryPosition(entry.name));
    if (std::fseek(f.get(), position, SEEK_SET) != 0 || std::fread(lengthBytes, 1, 4, f.get()) != 4) {
        error = "its block lies outside the file";
        return false;
    }
    const std::uint32_t length = std::uint32_t(lengthBytes[0]) | (std::uint32_t(lengthBytes[1]) << 8) |
                                 (std::uint32_t(lengthBytes[2]) << 16) | (std::uint32_t(lengthBytes[3]) << 24);
    struct stat info {};
    if (fstat(fileno(f.get()), &info) != 0 || length > info.st_size - (position + 4)) {
        error = "its packed length " + std::to_string(length) + " runs past the end of the file";
        return false;
    }
    block.data = static_cast<unsigned char*>(std::malloc(length ? length : 1));
    if (!block.data) {
        error = "out of memory";
        return false;
    }
    block.length = length;
    if (length && std::fread(block.data, 1, length, f.get()) != length) {
        error = "cannot read its block";
        return false;
    }
    return true;
}

std::uint32_t packedLength(const Archive& archive, const std::string& path, const ArchiveEntry& entry) {
    PackedBlock block;
    std::string error;
    return readStoredBlock(archive, path, entry, block, error) ? block.length : 0;
}

// A name is extracted only when it stays inside the output folder: not
// absolute, no ".." segment, and something left to name a file.
bool safeRelativeName(const std::string& name) {
    if (name.empty() || name[0] == '/' || name.back() == '/') return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t slash = name.find('/', start);
        if (slash == std::string::npos) slash = name.size();
        if (name.compare(start, slash - start, "..") == 0 && slash - start == 2) return false;
        start = slash + 1;
    }
    return true;
}

bool makeDirectories(const std::string& path, std::string& error) {
    std::string partial;
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        partial = path.substr(0, slash);
        if (!partial.empty() && mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) {
            error = "cannot create folder " + partial + ": " + systemError();
            return false;
        }
        start = slash + 1;
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = path + " is not a folder";
        return false;
    }
    return true;
}

bool writeWholeFile(const std::string& path, const void* data, std::size_t length, std::string& error) {
    FileHandle f(std::fopen(path.c_str(), "wb"));
    if (!f) {
        error = "cannot write " + path + ": " + systemError();
        return false;
    }
    const bool written = length == 0 || std::fwrite(data, 1, length, f.get()) == length;
    const int closed = std::fclose(f.release());
    if (!written || closed != 0) {
        error = "cannot write " + path + ": " + systemError();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- commands

int commandCreate(const std::vector<std::string>& args) {
    if (args.empty()) return usageError("create needs an ARCHIVE and at least one FILE");
    const std::string archivePath = args[0];
    std::uint32_t entryWord = kCodecBest;
    std::uint32_t directoryWord = kCodecBest;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "-c" || arg == "-d")) {
            if (i + 1 >= args.size()) return usageError(arg + " needs a codec word");
            std::uint32_t& word = arg == "-c" ? entryWord : directoryWord;
            if (!parseWord(args[++i].c_str(), word)) {
                return usageError("'" + args[i] + "' is not a codec word (decimal or 0x hex)");
            }
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) return usageError("create needs at least one FILE");

    // Everything is written to a temporary file beside the archive and
    // renamed over it only once finished, so a failure never leaves a
    // half-written ARCHIVE behind.
    std::string temporary = archivePath + ".XXXXXX";
    std::vector<char> pattern(temporary.begin(), temporary.end());
    pattern.push_back('\0');
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return fail("cannot create a temporary file beside " + archivePath + ": " + systemError());
    temporary = pattern.data();
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);

    ArchiveWriter* writer = createArchive(temporary.c_str());
    auto abandon = [&](const std::string& message) {
        delete writer;
        std::remove(temporary.c_str());
        return fail(message);
    };
    if (!writer) return abandon("cannot write " + temporary + ": " + systemError());

    std::vector<unsigned char> bytes;
    std::string error;
    for (const std::string& file : files) {
        if (!readWholeFile(file, bytes, error)) return abandon(error);
        if (file.size() > 0xFFFF) return abandon("name too long (65535 bytes at most): " + file.substr(0, 40) + "...");
        const std::uint32_t before = writer->entryCount();
        // An empty entry stored as None packs to 0 bytes and is still added:
        // the entry count, not the result, tells whether it was.
        writer->addEntry(file.c_str(), bytes.data(), static_cast<std::uint32_t>(bytes.size()), entryWord);
        if (writer->entryCount() == before) {
            if (writer->failed()) return abandon("cannot write " + temporary + ": " + systemError());
            return abandon("cannot pack " + file + " with codec word " + hexWord(entryWord));
        }
    }
    if (!writer->finish(directoryWord)) {
        if (writer->failed()) return abandon("cannot write " + temporary + ": " + systemError());
        return abandon("cannot pack the directory with codec word " + hexWord(directoryWord));
    }
    writer = nullptr;  // a successful finish deleted it
    if (std::rename(temporary.c_str(), archivePath.c_str()) != 0) {
        const std::string message = "cannot rename " + temporary + " to " + archivePath + ": " + systemError();
        std::remove(temporary.c_str());
        return fail(message);
    }
    return kOk;
}

int commandList(const std::vector<std::string>& args) {
    if (args.size() != 1) return usageError("list takes exactly one ARCHIVE");
    std::string error;
    ArchiveHandle archive = openForReading(args[0], error);
    if (!archive) return fail(error);
    for (const ArchiveEntry* e = archive->firstEntry(); e; e = e->next) {
        std::printf("%u %u %s %s %s\n", e->size, packedLength(*archive, args[0], *e), hexWord(e->codecWord).c_str(),
                    chainName(e->codecWord).c_str(), e->name);
    }
    return std::fflush(stdout) == 0 ? kOk : fail("cannot write the listing: " + systemError());
}

int commandCat(const std::vector<std::string>& args) {
    if (args.size() != 2) return usageError("cat takes an ARCHIVE and one NAME");
    std::string error;
    ArchiveHandle archive = openForReading(args[0], error);
    if (!archive) return fail(error);
    const char* name = args[1].c_str();
    if (!archive->hasEntry(name)) return fail("no entry named " + args[1] + " in " + args[0]);
    std::int32_t size = 0;
    Buffer data(static_cast<unsigned char*>(archive->readEntry(name, size)));
    if (!data) return fail("cannot decode " + args[1] + " (codec word " + hexWord(archive->findEntry(name)->codecWord) + ")");
    const std::size_t length = static_cast<std::uint32_t>(size);
    if ((length && std::fwrite(data.get(), 1, length, stdout) != length) || std::fflush(stdout) != 0) {
        return fail("cannot write to standard output: " + systemError());
    }
    return kOk;
}

int commandExtract(const std::vector<std::string>& args) {
    if (args.empty()) return usageError("extract needs an ARCHIVE");
    std::string outputDir = ".";
    std::vector<std::string> names;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (!optionsEnded && args[i] == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && args[i] == "-o") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return usageError("-o needs a folder");
            outputDir = args[++i];
        } else if (!optionsEnded && args[i].size() > 1 && args[i][0] == '-') {
            return usageError("unknown option " + args[i]);
        } else {
            names.push_back(args[i]);
        }
    }
    std::string error;
    ArchiveHandle archive = openForReading(args[0], error);
    if (!archive) return fail(error);

    if (names.empty()) {
        for (const ArchiveEntry* e = archive->firstEntry(); e; e = e->next) names.push_back(e->name);
    }
    if (!makeDirectories(outputDir, error)) return fail(error);

    int status = kOk;
    for (const std::string& name : names) {
        if (!archive->hasEntry(name.c_str())) {
            status = fail("no entry named " + name + " in " + args[0]);
            continue;
        }
        if (!safeRelativeName(name)) {
            status = fail("refusing to extract '" + name + "': it would land outside " + outputDir);
            continue;
        }
        std::int32_t size = 0;
        Buffer data(static_cast<unsigned char*>(archive->readEntry(name.c_str(), size)));
        if (!data) {
            status = fail("cannot decode " + name);
            continue;
        }
        const std::string target = outputDir + "/" + name;
        const std::size_t slash = target.rfind('/');
        if (!makeDirectories(target.substr(0, slash), error) ||
            !writeWholeFile(target, data.get(), static_cast<std::uint32_t>(size), error)) {
            status = fail(error);
        }
    }
    return status;
}

int commandAppend(const std::vector<std::string>& args) {
    if (args.size() != 2) return usageError("append takes a FILE and an ARCHIVE");
    const std::string& target = args[0];
    const std::string& archivePath = args[1];
    std::vector<unsigned char> bytes;
    std::string error;
    if (!readWholeFile(archivePath, bytes, error)) return fail(error);

    // Stand-alone: the header at offset 0 and a footer whose length is the
    // whole file, so that once appended the footer leads back to the header.
    const std::size_t n = bytes.size();
    const bool standAlone = n >= 20 && std::memcmp(bytes.data(), "WQX3", 4) == 0 &&
                            std::memcmp(bytes.data() + n - 4, "3WQX", 4) == 0 &&
                            (std::uint32_t(bytes[n - 8]) | (std::uint32_t(bytes[n - 7]) << 8) |
                             (std::uint32_t(bytes[n - 6]) << 16) | (std::uint32_t(bytes[n - 5]) << 24)) == n;
    ArchiveHandle check(standAlone ? openArchive(archivePath.c_str(), 0) : nullptr);
    if (!check) return fail(archivePath + " is not a stand-alone Glowmoth archive");

    const int fd = open(target.c_str(), O_WRONLY | O_APPEND);
    if (fd < 0) return fail("cannot open " + target + " for appending: " + systemError());
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        const std::string message = "cannot inspect " + target + ": " + systemError();
        close(fd);
        return fail(message);
    }
    std::size_t written = 0;
    while (written < n) {
        const ssize_t r = write(fd, bytes.data() + written, n - written);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        written += static_cast<std::size_t>(r);
    }
    if (written != n || fsync(fd) != 0) {
        const std::string message = "cannot append to " + target + ": " + systemError();
        // Put the file back as it was rather than leave half an archive on it.
        if (ftruncate(fd, info.st_size) != 0) std::fprintf(stderr, "glowpack: %s may be damaged\n", target.c_str());
        close(fd);
        return fail(message);
    }
    return close(fd) == 0 ? kOk : fail("cannot append to " + target + ": " + systemError());
}

int commandVerify(const std::vector<std::string>& args) {
    if (args.size() != 1) return usageError("verify takes exactly one ARCHIVE");
    std::string error;
    ArchiveHandle archive = openForReading(args[0], error);
    if (!archive) return fail(error);
    unsigned bad = 0;
    unsigned total = 0;
    for (const ArchiveEntry* e = archive->firstEntry(); e; e = e->next) {
        ++total;
        std::string problem;
        PackedBlock block;
        std::uint32_t decoded = 0;
        if (!readStoredBlock(*archive, args[0], *e, block, problem)) {
            // problem says why
        } else if (Buffer data{unpackChain(block, e->codecWord, &decoded)}; !data) {
            problem = "does not decode with " + chainName(e->codecWord) + " (codec word " + hexWord(e->codecWord) + ")";
        } else if (decoded != e->size) {
            problem = "decodes to " + std::to_string(decoded) + " bytes, the directory says " + std::to_string(e->size);
        }
        if (!problem.empty()) {
            ++bad;
            std::printf("%s: %s\n", e->name, problem.c_str());
        }
    }
    std::fflush(stdout);
    if (bad) return fail(std::to_string(bad) + " of " + std::to_string(total) + " entries in " + args[0] + " are bad");
    return kOk;
}

class PrintingVisitor : public CodecVisitor {
public:
    void visit(std::uint32_t id, const char* description, const char* name) override {
        std::printf("%08X %s %s\n", id, name, description);
    }
};

int commandCodecs(const std::vector<std::string>& args) {
    if (!args.empty()) return usageError("codecs takes no arguments");
    PrintingVisitor visitor;
    enumerateCodecs(visitor);
    return std::fflush(stdout) == 0 ? kOk : fail("cannot write the list: " + systemError());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsageText, stderr);
        return kUsage;
    }
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsageText, stdout);
        return kOk;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsageText, stdout);
            return kOk;
        }
    }
    if (command == "create") return commandCreate(args);
    if (command == "list") return commandList(args);
    if (command == "cat") return commandCat(args);
    if (command == "extract") return commandExtract(args);
    if (command == "append") return commandAppend(args);
    if (command == "verify") return commandVerify(args);
    if (command == "codecs") return commandCodecs(args);
    return usageError("unknown command " + command);
}
