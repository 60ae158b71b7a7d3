// glowmoth-render: the show as a video file with captions.
#include "tools/render/RenderOptions.h"
#include "tools/render/ShowRender.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::string program = "glowmoth-render";
    std::vector<std::string> args(argv + 1, argv + argc);
    RenderOptions options;
    std::string error;
    switch (parseRenderArgs(args, options, error)) {
    case ParseResult::Help:
        std::fputs(renderUsage(program).c_str(), stdout);
        return 0;
    case ParseResult::UsageError:
        std::fprintf(stderr, "%s: %s (try --help)\n", program.c_str(), error.c_str());
        return 2;
    case ParseResult::Ok:
        break;
    }
    return renderShow(options, program);
}
