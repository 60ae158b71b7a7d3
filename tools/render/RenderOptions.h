// The renderer's command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RenderOptions {
    std::string archivePath;    // empty: the renderer's own archive, else "glowmoth.dat"
    std::string outputDir = ".";
    std::uint32_t limitMs = 0;  // 0: the whole show
    bool help = false;
};

enum class ParseResult { Ok, Help, UsageError };

// args excludes the program name. On a usage error, error holds one line.
ParseResult parseRenderArgs(const std::vector<std::string>& args, RenderOptions& options, std::string& error);

std::string renderUsage(const std::string& program);
