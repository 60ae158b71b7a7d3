#include "tools/render/RenderOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

// Accepts "--name VALUE" and "--name=VALUE" (and "-o VALUE" for short names).
bool takeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& arg,
               const std::string& longName, const std::string& shortName, std::string& value, bool& matched,
               std::string& error)
{
    matched = false;
    if (arg == longName || (!shortName.empty() && arg == shortName)) {
        matched = true;
        if (i + 1 >= args.size()) {
            error = "option " + arg + " needs a value";
            return false;
        }
        value = args[++i];
        return true;
    }
    if (arg.compare(0, longName.size() + 1, longName + "=") == 0) {
        matched = true;
        value = arg.substr(longName.size() + 1);
        return true;
    }
    return true;
}

}  // namespace

ParseResult parseRenderArgs(const std::vector<std::string>& args, RenderOptions& options, std::string& error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            return ParseResult::Help;
        }
        std::string value;
        bool matched = false;
        if (!takeValue(args, i, arg, "--archive", "", value, matched, error)) return ParseResult::UsageError;
        if (matched) {
            if (value.empty()) {
                error = "--archive needs a path";
                return ParseResult::UsageError;
            }
            options.archivePath = value;
            continue;
        }
        if (!takeValue(args, i, arg, "--output", "-o", value, matched, error)) return ParseResult::UsageError;
        if (matched) {
            if (value.empty()) {
                error = "--output needs a folder";
                return ParseResult::UsageError;
            }
            options.outputDir = value;
            continue;
        }
        if (!takeValue(args, i, arg, "--seconds", "", value, matched, error)) return ParseResult::UsageError;
        if (matched) {
            char* end = nullptr;
            errno = 0;
            const double seconds = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || errno != 0 || !std::isfinite(seconds) || seconds <= 0 ||
                seconds > 86400) {
                error = "--seconds needs a positive number of seconds, not \"" + value + "\"";
                return ParseResult::UsageError;
            }
            options.limitMs = static_cast<std::uint32_t>(std::lround(seconds * 1000));
            if (options.limitMs == 0) options.limitMs = 1;
            continue;
        }
        if (!arg.empty() && arg[0] == '-') error = "unknown option " + arg;
        else error = "unexpected argument \"" + arg + "\"";
        return ParseResult::UsageError;
    }
    return ParseResult::Ok;
}

std::string renderUsage(const std::string& program)
{
    return "Usage: " + program + " [--archive PATH] [-o DIR] [--seconds N]\n"
           "Plays the Glowmoth show offline, as fast as the machine allows, and writes\n"
           "show.mp4 (H.264 and AAC with a caption track; show.y4m when ffmpeg is\n"
           "missing), show.wav, show.srt and show.vtt into DIR.\n"
           "\n"
           "  --archive PATH   the show's archive (default: the one appended to this\n"
           "                   program, else glowmoth.dat in the working folder)\n"
           "  -o, --output DIR the folder to write into (default: the working folder;\n"
           "                   created when missing)\n"
           "  --seconds N      render only the first N seconds (a quick preview)\n"
           "  -h, --help       show this help\n"
           "\n"
           "Exit status: 0 done, 1 the render failed, 2 bad arguments.\n";
}
