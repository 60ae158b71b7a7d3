#include "tools/render/Outputs.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

std::string freshDir(const char* label)
{
    const std::string dir = std::string(::testing::TempDir()) + "/outputs-" + label + "-" + std::to_string(::getpid());
    std::string cmd = "rm -rf '" + dir + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    return dir;
}

std::vector<std::string> listing(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void write(const std::string& path, const std::string& text)
{
    std::ofstream out(path);
    out << text;
}

TEST(OutputFolder, CommitRenamesEverythingIntoPlace)
{
    const std::string dir = freshDir("commit");
    OutputFolder out;
    std::string error;
    ASSERT_TRUE(out.open(dir, error)) << error;  // created when missing
    write(out.stage("show.srt"), "srt");
    write(out.stage("show.vtt"), "vtt");
    write(out.scratch("video"), "scratch");
    EXPECT_EQ(listing(dir).size(), 3u);
    ASSERT_TRUE(out.commit(error)) << error;
    EXPECT_EQ(listing(dir), (std::vector<std::string>{"show.srt", "show.vtt"}));
    std::ifstream in(out.finalPath("show.srt"));
    std::string text;
    in >> text;
    EXPECT_EQ(text, "srt");
}

TEST(OutputFolder, AFailedRunLeavesNothingAndKeepsOldOutputs)
{
    const std::string dir = freshDir("abort");
    ASSERT_EQ(::mkdir(dir.c_str(), 0777), 0);
    write(dir + "/show.wav", "previous");
    {
        OutputFolder out;
        std::string error;
        ASSERT_TRUE(out.open(dir, error)) << error;
        write(out.stage("show.wav"), "half written");
        write(out.scratch("video"), "x");
    }
    EXPECT_EQ(listing(dir), std::vector<std::string>{"show.wav"});
    std::ifstream in(dir + "/show.wav");
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "previous");
}

TEST(OutputFolder, RefusesWhatCannotBeWritten)
{
    OutputFolder out;
    std::string error;
    EXPECT_FALSE(out.open("/nonexistent-glowmoth/deeper/still", error));
    EXPECT_FALSE(error.empty());

    const std::string dir = freshDir("file");
    write(dir, "a file, not a folder");
    OutputFolder onFile;
    EXPECT_FALSE(onFile.open(dir, error));
    EXPECT_NE(error.find("not a folder"), std::string::npos);
    std::remove(dir.c_str());

    // Even root cannot create files in /proc.
    OutputFolder inProc;
    EXPECT_FALSE(inProc.open("/proc", error));
    EXPECT_NE(error.find("cannot write"), std::string::npos);

    if (::geteuid() != 0) {
        const std::string locked = freshDir("locked");
        ASSERT_EQ(::mkdir(locked.c_str(), 0555), 0);
        OutputFolder inLocked;
        EXPECT_FALSE(inLocked.open(locked, error));
        ::rmdir(locked.c_str());
    }
}

}  // namespace
