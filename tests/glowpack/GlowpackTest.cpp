// glowpack end to end: each test runs the tool in a scratch folder and
// looks at its exit status, its output and the files it leaves.
#include "archive/Archive.h"
#include "archive/ArchiveWriter.h"

#include "../archive/TestSupport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string asText(const ByteVector& bytes) { return std::string(bytes.begin(), bytes.end()); }

class GlowpackTest : public ::testing::Test {
protected:
    // Runs glowpack with the arguments, in the scratch folder.
    ToolRun glowpack(const std::vector<std::string>& args) {
        const std::string outPath = dir.file(".stdout");
        const std::string errPath = dir.file(".stderr");
        const pid_t pid = fork();
        if (pid == 0) {
            if (chdir(dir.path().c_str()) != 0) _exit(126);
            const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int in = open("/dev/null", O_RDONLY);
            if (out < 0 || err < 0 || in < 0) _exit(126);
            dup2(in, 0);
            dup2(out, 1);
            dup2(err, 2);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(GLOWPACK_PATH));
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(GLOWPACK_PATH, argv.data());
            _exit(127);
        }
        ToolRun run;
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
        run.out = asText(readFile(outPath));
        run.err = asText(readFile(errPath));
        std::remove(outPath.c_str());
        std::remove(errPath.c_str());
        return run;
    }

    std::string path(const std::string& name) const { return dir.file(name); }

    void put(const std::string& name, const ByteVector& bytes) {
        const std::size_t slash = name.rfind('/');
        if (slash != std::string::npos) {
            std::string partial;
            std::stringstream parts(name.substr(0, slash));
            for (std::string part; std::getline(parts, part, '/');) {
                partial += (partial.empty() ? "" : "/") + part;
                mkdir(dir.file(partial).c_str(), 0755);
            }
        }
        ASSERT_TRUE(writeFile(dir.file(name), bytes));
    }

    // A small folder of files of every kind the show could carry.
    std::vector<std::pair<std::string, ByteVector>> folder() {
        return {{"pics/2t1.png", sampleNoise(7728, 1)},
                {"pics/2t2.png", sampleText(13163)},
                {"pics/deep/notes.txt", sampleText(301)},
                {"pics/empty", {}},
                {"pics/one", {42}},
                {"pics/odd", sampleNoise(4097, 3)}};
    }

    std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> result;
        std::stringstream s(text);
        for (std::string line; std::getline(s, line);) result.push_back(line);
        return result;
    }

    ScratchDir dir;
};

TEST_F(GlowpackTest, HelpAndUsageErrors) {
    for (const char* flag : {"--help", "-h"}) {
        const ToolRun help = glowpack({flag});
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find("create ARCHIVE [-c WORD] [-d WORD] FILE..."), std::string::npos);
    }
    EXPECT_EQ(glowpack({"list", "--help"}).status, 0);

    const std::vector<std::vector<std::string>> usage = {
        {},
        {"frobnicate"},
        {"create"},
        {"create", "a.dat"},
        {"create", "a.dat", "-c"},
        {"create", "a.dat", "-c", "zlib", "f"},
        {"create", "a.dat", "-c", "0x100000000", "f"},
        {"create", "a.dat", "-x", "f"},
        {"list"},
        {"list", "a", "b"},
        {"cat", "a"},
        {"extract"},
        {"extract", "a.dat", "-o"},
        {"append", "x"},
        {"verify"},
        {"codecs", "extra"},
    };
    for (const auto& args : usage) {
        const ToolRun r = glowpack(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "(none)" : args[0]) << " " << args.size();
        EXPECT_FALSE(r.err.empty());
    }
}

TEST_F(GlowpackTest, RoundTripsAFolderUnderEveryCodecWord) {
    const auto files = folder();
    std::vector<std::string> args = {"create", "a.dat", "-c", "", "-d", ""};
    for (const auto& f : files) {
        put(f.first, f.second);
        args.push_back(f.first);
    }
    const std::uint32_t words[] = {0x00000000, 0x00000001, 0x0000FFFF, 0x00010001, 0x00020000, 0x0002FFFF,
                                   0x00030001, 0x74000000, 0x74000001, 0x7400FFFF, 0x7403FFFF, 0x74010000};
    for (std::uint32_t word : words) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08X", word);
        args[3] = text;
        args[5] = word == 0 ? "0" : std::to_string(word);  // decimal works too
        const ToolRun created = glowpack(args);
        ASSERT_EQ(created.status, 0) << text << ": " << created.err;

        const ToolRun listed = glowpack({"list", "a.dat"});
        ASSERT_EQ(listed.status, 0) << text;
        const auto rows = lines(listed.out);
        ASSERT_EQ(rows.size(), files.size()) << text;
        for (std::size_t i = 0; i < files.size(); ++i) {
            std::stringstream row(rows[i]);
            std::string size, packed, stored, chain, name;
            row >> size >> packed >> stored >> chain >> name;
            EXPECT_EQ(name, files[i].first) << text;
            EXPECT_EQ(size, std::to_string(files[i].second.size())) << text;
            EXPECT_EQ(stored.size(), 10u);
            const std::uint32_t storedWord = static_cast<std::uint32_t>(std::stoul(stored, nullptr, 16));
            EXPECT_NE(storedWord & 0xFFFF, 0xFFFFu) << text;
            EXPECT_EQ(storedWord & 0xFFFF0000u, word & 0xFFFF0000u) << text;

            const ToolRun cat = glowpack({"cat", "a.dat", files[i].first});
            EXPECT_EQ(cat.status, 0) << text;
            EXPECT_EQ(cat.out, asText(files[i].second)) << text << " " << files[i].first;
        }
        const ToolRun verified = glowpack({"verify", "a.dat"});
        EXPECT_EQ(verified.status, 0) << text << verified.out;
        EXPECT_EQ(verified.out, "");

        const ToolRun extracted = glowpack({"extract", "a.dat", "-o", "out"});
        ASSERT_EQ(extracted.status, 0) << text << extracted.err;
        for (const auto& f : files) EXPECT_EQ(readFile(path("out/" + f.first)), f.second) << text;
        ASSERT_EQ(std::system(("rm -rf '" + path("out") + "'").c_str()), 0);
    }
}

TEST_F(GlowpackTest, ListLineFormat) {
    put("a", bytesOf("hello"));
    put("dir/b", sampleText(5000));
    ASSERT_EQ(glowpack({"create", "x.dat", "-c", "0x00020001", "dir/b"}).status, 0);
    ASSERT_EQ(glowpack({"create", "y.dat", "-c", "0", "a"}).status, 0);
    EXPECT_EQ(glowpack({"list", "y.dat"}).out, "5 5 0x00000000 None a\n");

    const ToolRun x = glowpack({"list", "x.dat"});
    Archive* archive = openArchive(path("x.dat").c_str());
    ASSERT_NE(archive, nullptr);
    const ByteVector file = readFile(path("x.dat"));
    const std::uint32_t packed = getLE32(file, archive->entryPosition("dir/b"));
    delete archive;
    EXPECT_EQ(x.out, "5000 " + std::to_string(packed) + " 0x00020001 Delta16+ZLIB dir/b\n");

    ASSERT_EQ(glowpack({"create", "z.dat", "-c", "0x7402FFFF", "dir/b"}).status, 0);
    EXPECT_NE(glowpack({"list", "z.dat"}).out.find(" 0x74020001 Delta16+ZLIB+Murk dir/b\n"), std::string::npos);
}

TEST_F(GlowpackTest, DefaultIsBestSelection) {
    put("text", sampleText(4000));
    put("noise", sampleNoise(3000));
    ASSERT_EQ(glowpack({"create", "a.dat", "text", "noise"}).status, 0);
    const auto rows = lines(glowpack({"list", "a.dat"}).out);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NE(rows[0].find(" 0x00000001 ZLIB text"), std::string::npos);
    EXPECT_EQ(rows[1], "3000 3000 0x00000000 None noise");
    // The directory went through best selection too: its stored word names
    // a real compressor.
    const ByteVector file = readFile(path("a.dat"));
    EXPECT_LE(getLE32(file, getLE32(file, 4)), 1u);
}

TEST_F(GlowpackTest, ReadsAHandWrittenArchive) {
    ByteVector a;
    putBytes(a, "WQX3");
    putLE32(a, 12 + 4 + 3);
    putLE32(a, 14 + 8);
    putLE32(a, 3), putBytes(a, "abc");
    putLE32(a, 0), putLE32(a, 22);
    putLE32(a, 3), putLE32(a, 12), putLE32(a, 0), putLE16(a, 8), putBytes(a, "hand.txt");
    putLE32(a, static_cast<std::uint32_t>(a.size() + 8));
    putBytes(a, "3WQX");
    put("hand.dat", a);
    EXPECT_EQ(glowpack({"list", "hand.dat"}).out, "3 3 0x00000000 None hand.txt\n");
    EXPECT_EQ(glowpack({"cat", "hand.dat", "hand.txt"}).out, "abc");
    EXPECT_EQ(glowpack({"verify", "hand.dat"}).status, 0);
    ASSERT_EQ(glowpack({"extract", "hand.dat"}).status, 0);
    EXPECT_EQ(readFile(path("hand.txt")), bytesOf("abc"));
}

TEST_F(GlowpackTest, AppendToAnExecutable) {
    put("pic", sampleText(2000));
    put("program", sampleNoise(10000, 8));
    ASSERT_EQ(glowpack({"create", "a.dat", "pic"}).status, 0);
    const ToolRun appended = glowpack({"append", "program", "a.dat"});
    ASSERT_EQ(appended.status, 0) << appended.err;

    ByteVector expected = sampleNoise(10000, 8);
    putBytes(expected, readFile(path("a.dat")));
    EXPECT_EQ(readFile(path("program")), expected);
    EXPECT_EQ(glowpack({"cat", "program", "pic"}).out, asText(sampleText(2000)));
    EXPECT_EQ(glowpack({"list", "program"}).status, 0);

    // The program now carries an archive but is no stand-alone archive.
    const ToolRun again = glowpack({"append", "a.dat", "program"});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("stand-alone"), std::string::npos);
    EXPECT_EQ(glowpack({"append", "missing", "a.dat"}).status, 1);
    EXPECT_EQ(glowpack({"append", "program", "missing"}).status, 1);
}

TEST_F(GlowpackTest, FailuresExitOneWithAMessage) {
    put("pic", sampleText(2000));
    put("junk", sampleNoise(500));
    ASSERT_EQ(glowpack({"create", "a.dat", "pic"}).status, 0);
    const std::vector<std::vector<std::string>> failures = {
        {"cat", "a.dat", "missing"},
        {"cat", "nothere.dat", "pic"},
        {"list", "junk"},
        {"verify", "nothere.dat"},
        {"extract", "a.dat", "-o", "out", "missing"},
        {"create", "b.dat", "pic", "nothere"},
        {"create", "b.dat", "-c", "0x00000101", "pic"},
        {"create", "b.dat", "-d", "0x00050000", "pic"},
    };
    for (const auto& args : failures) {
        const ToolRun r = glowpack(args);
        EXPECT_EQ(r.status, 1) << args[0] << " " << args[1];
        const auto errLines = lines(r.err);
        ASSERT_FALSE(errLines.empty()) << args[0];
        EXPECT_EQ(errLines[0].rfind("glowpack: ", 0), 0u) << r.err;
    }
}

TEST_F(GlowpackTest, FailedCreateLeavesTheOldArchiveAndNoTemporaryFile) {
    put("pic", sampleText(2000));
    ASSERT_EQ(glowpack({"create", "a.dat", "pic"}).status, 0);
    const ByteVector before = readFile(path("a.dat"));
    EXPECT_EQ(glowpack({"create", "a.dat", "pic", "missing"}).status, 1);
    EXPECT_EQ(readFile(path("a.dat")), before);
    const ToolRun listing = glowpack({"list", "a.dat"});
    EXPECT_EQ(listing.status, 0);
    // Only the files the test made are left.
    EXPECT_EQ(std::system(("test $(ls -A '" + dir.path() + "' | wc -l) -eq 2").c_str()), 0);
}

TEST_F(GlowpackTest, ExtractRefusesNamesOutsideTheFolder) {
    ArchiveWriter* writer = createArchive(path("evil.dat").c_str());
    ASSERT_NE(writer, nullptr);
    for (const char* name : {"../escape", "/tmp/glowpack-absolute-escape", "a/../../escape2", "..", "fine/x"}) {
        ASSERT_GT(writer->addEntry(name, "boo", 3, 0), 0u);
    }
    ASSERT_EQ(writer->finish(0), 1);
    mkdir(path("inside").c_str(), 0755);

    const ToolRun all = glowpack({"extract", "evil.dat", "-o", "inside"});
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(lines(all.err).size(), 4u) << all.err;
    EXPECT_EQ(readFile(path("inside/fine/x")), bytesOf("boo"));
    struct stat info {};
    EXPECT_NE(stat(path("escape").c_str(), &info), 0);
    EXPECT_NE(stat(path("escape2").c_str(), &info), 0);
    EXPECT_NE(stat("/tmp/glowpack-absolute-escape", &info), 0);

    const ToolRun named = glowpack({"extract", "evil.dat", "-o", "inside", "../escape"});
    EXPECT_EQ(named.status, 1);
    EXPECT_NE(stat(path("escape").c_str(), &info), 0);
}

TEST_F(GlowpackTest, VerifyReportsBadEntries) {
    put("good", sampleText(3000));
    put("bad", sampleText(5000));
    ASSERT_EQ(glowpack({"create", "a.dat", "-c", "1", "good", "bad"}).status, 0);
    Archive* archive = openArchive(path("a.dat").c_str());
    ASSERT_NE(archive, nullptr);
    const std::uint32_t at = archive->entryPosition("bad");
    delete archive;
    ByteVector file = readFile(path("a.dat"));
    file[at + 4 + 4 + 2] ^= 0x5A;  // inside bad's zlib stream, past its header
    put("a.dat", file);

    const ToolRun r = glowpack({"verify", "a.dat"});
    EXPECT_EQ(r.status, 1);
    const auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 1u) << r.out;
    EXPECT_EQ(rows[0].rfind("bad: ", 0), 0u);
    EXPECT_EQ(glowpack({"cat", "a.dat", "bad"}).status, 1);
    EXPECT_EQ(glowpack({"cat", "a.dat", "good"}).out, asText(sampleText(3000)));
}

TEST_F(GlowpackTest, CodecsInRegistryOrder) {
    const ToolRun r = glowpack({"codecs"});
    EXPECT_EQ(r.status, 0);
    const auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].rfind("00000001 ZLIB ZLIB data compression library", 0), 0u);
    EXPECT_EQ(rows[1], "74000000 Murk Murk WQX Filter");
    EXPECT_EQ(rows[2], "00000000 None No compression");
    EXPECT_EQ(rows[3], "00010000 Delta8 8-bit delta encoding");
    EXPECT_EQ(rows[4], "00030000 Delta32 32-bit delta encoding");
    EXPECT_EQ(rows[5], "00020000 Delta16 16-bit delta encoding");
}

}  // namespace
