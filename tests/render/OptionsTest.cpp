#include "tools/render/Progress.h"
#include "tools/render/RenderOptions.h"

#include <gtest/gtest.h>

namespace {

TEST(RenderOptions, AcceptsTheDocumentedForms)
{
    struct Case {
        std::vector<std::string> args;
        std::string archive;
        std::string output;
        std::uint32_t limitMs;
    };
    const Case cases[] = {
        {{}, "", ".", 0},
        {{"--archive", "a.dat"}, "a.dat", ".", 0},
        {{"--archive=b.dat", "-o", "out"}, "b.dat", "out", 0},
        {{"--output", "x y"}, "", "x y", 0},
        {{"--output=z", "--seconds", "12.5"}, "", "z", 12500},
        {{"--seconds=0.0001"}, "", ".", 1},
    };
    for (const Case& c : cases) {
        RenderOptions options;
        std::string error;
        EXPECT_EQ(parseRenderArgs(c.args, options, error), ParseResult::Ok) << error;
        EXPECT_EQ(options.archivePath, c.archive);
        EXPECT_EQ(options.outputDir, c.output);
        EXPECT_EQ(options.limitMs, c.limitMs);
    }
}

TEST(RenderOptions, HelpWinsOverWhatFollows)
{
    for (const char* flag : {"-h", "--help"}) {
        RenderOptions options;
        std::string error;
        EXPECT_EQ(parseRenderArgs({flag, "--bogus"}, options, error), ParseResult::Help);
        EXPECT_TRUE(options.help);
    }
    EXPECT_NE(renderUsage("glowmoth-render").find("--archive PATH"), std::string::npos);
}

TEST(RenderOptions, UsageErrorsSayWhatIsWrongOnOneLine)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--archive"}, {"-o"}, {"--output="}, {"--archive="}, {"--frobnicate"}, {"stray"},
        {"--seconds", "abc"}, {"--seconds", "-3"}, {"--seconds", "0"}, {"--seconds", "inf"}, {"--seconds", "1e9"},
    };
    for (const auto& args : cases) {
        RenderOptions options;
        std::string error;
        EXPECT_EQ(parseRenderArgs(args, options, error), ParseResult::UsageError) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
        EXPECT_EQ(error.find('\n'), std::string::npos) << args[0];
    }
}

TEST(ProgressBar, LineShowsShareAndTimes)
{
    EXPECT_EQ(ProgressBar::line(0, 179000, 10), "rendering [..........]   0%    0.0 / 179.0 s");
    EXPECT_EQ(ProgressBar::line(89500, 179000, 10), "rendering [#####.....]  50%   89.5 / 179.0 s");
    EXPECT_EQ(ProgressBar::line(200000, 179000, 10), "rendering [##########] 100%  179.0 / 179.0 s");
}

TEST(ProgressBar, SilentWhenNotATerminal)
{
    char buffer[256] = {};
    std::FILE* stream = fmemopen(buffer, sizeof buffer, "w");
    ASSERT_TRUE(stream);
    {
        ProgressBar bar(stream, false, 1000);
        bar.update(500);
        bar.finish();
    }
    std::fflush(stream);
    EXPECT_EQ(std::ftell(stream), 0);
    {
        ProgressBar bar(stream, true, 1000);
        bar.update(500);
        const long once = std::ftell(stream);
        EXPECT_GT(once, 0);
        bar.update(505);  // the same percent: not drawn again
        EXPECT_EQ(std::ftell(stream), once);
        bar.update(510);
        EXPECT_GT(std::ftell(stream), once);
    }
    std::fclose(stream);
}

}  // namespace
