// glowmoth-speechtime, run as the show's writers run it.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ToolRun {
    int status;
    std::string out;
};

ToolRun runTool(const std::string& input) {
    static int calls = 0;
    std::string path = ::testing::TempDir() + "glowmoth_speechtime_" + std::to_string(getpid()) + "_" +
                       std::to_string(++calls) + ".txt";
    std::ofstream(path) << input;
    std::string command = std::string(GLOWMOTH_BINARY_DIR) + "/bin/glowmoth-speechtime " + path + " 2>&1";
    ToolRun run{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::remove(path.c_str());
    return run;
}

struct Row {
    unsigned due, starts, ends, length, waits;
    std::string spare;
};

std::vector<Row> rows(const std::string& out) {
    std::vector<Row> result;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        Row r;
        unsigned index;
        char spare[32];
        if (std::sscanf(line.c_str(), "%u %u %u %u %u %u %31s", &index, &r.due, &r.starts, &r.ends, &r.length,
                        &r.waits, spare) == 7) {
            r.spare = spare;
            result.push_back(r);
        }
    }
    return result;
}

TEST(SpeechTimeTool, PrintsEachPassagesTimesQueueingBehindAnOverrun) {
    ToolRun run = runTool(
        "# voice, then two passages that collide, then one on its own\n"
        "0\t<rate absspeed=\"-3\"/><pitch absmiddle=\"-8\"/>\n"
        "\n"
        "2000\tDemos treat us <silence msec=\"300\" /> badly. They always have.\n"
        "2500\tA short one.\n"
        "30000\t<rate absspeed=\"-8\"/>Glow<silence msec=\"50\" />moth\n");
    ASSERT_EQ(run.status, 0) << run.out;
    std::vector<Row> r = rows(run.out);
    ASSERT_EQ(r.size(), 4u) << run.out;
    EXPECT_EQ(r[0].length, 0u);
    EXPECT_EQ(r[1].starts, 2000u);
    EXPECT_GT(r[1].length, 1500u);
    EXPECT_EQ(r[1].ends, r[1].starts + r[1].length);
    EXPECT_EQ(r[1].spare, std::to_string(2500 - int(r[1].ends)));
    EXPECT_EQ(r[2].due, 2500u);
    EXPECT_EQ(r[2].starts, r[1].ends);
    EXPECT_EQ(r[2].waits, r[1].ends - 2500);
    EXPECT_EQ(r[3].starts, 30000u);
    EXPECT_EQ(r[3].spare, "-");
    EXPECT_NE(run.out.find("Glowmoth"), std::string::npos);
}

TEST(SpeechTimeTool, RejectsMalformedLines) {
    const std::pair<const char*, const char*> cases[] = {
        {"no tab here\n", ":1:"}, {"abc\tword\n", ":1:"}, {"-5\tword\n", ":1:"}, {"2000\ta\n1000\tb\n", ":2:"}};
    for (const auto& c : cases) {
        ToolRun run = runTool(c.first);
        EXPECT_EQ(run.status, 2) << c.first;
        EXPECT_NE(run.out.find(c.second), std::string::npos) << run.out;
    }
}

}  // namespace
