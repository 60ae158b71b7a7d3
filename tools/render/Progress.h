// A one-line progress bar on a terminal; silent anywhere else.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class ProgressBar {
public:
    // Draws only when enabled (the caller checks that the stream is a terminal).
    ProgressBar(std::FILE* stream, bool enabled, std::uint32_t totalMs);
    ~ProgressBar();

    void update(std::uint32_t doneMs);
    // Clears the line so that what follows starts clean.
    void finish();

    // The bar's text for a given position, without control characters.
    static std::string line(std::uint32_t doneMs, std::uint32_t totalMs, int width = 30);

private:
    std::FILE* stream;
    bool enabled;
    std::uint32_t totalMs;
    int lastPercent = -1;
    bool drawn = false;
};
