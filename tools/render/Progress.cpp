#include "tools/render/Progress.h"

#include <algorithm>

ProgressBar::ProgressBar(std::FILE* stream, bool enabled, std::uint32_t totalMs)
    : stream(stream), enabled(enabled), totalMs(totalMs)
{
}

ProgressBar::~ProgressBar() { finish(); }

std::string ProgressBar::line(std::uint32_t doneMs, std::uint32_t totalMs, int width)
{
    if (doneMs > totalMs) doneMs = totalMs;
    const double fraction = totalMs ? static_cast<double>(doneMs) / totalMs : 1.0;
    const int filled = static_cast<int>(fraction * width);
    std::string bar = "rendering [";
    bar.append(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(width - filled), '.');
    char tail[64];
    std::snprintf(tail, sizeof tail, "] %3d%%  %5.1f / %.1f s", static_cast<int>(fraction * 100), doneMs / 1000.0,
                  totalMs / 1000.0);
    return bar + tail;
}

void ProgressBar::update(std::uint32_t doneMs)
{
    if (!enabled) return;
    // A hundred redraws at most: a terminal is slower than the render.
    const int percent = totalMs ? static_cast<int>(static_cast<std::uint64_t>(std::min(doneMs, totalMs)) * 100 / totalMs) : 100;
    if (percent == lastPercent) return;
    lastPercent = percent;
    std::fprintf(stream, "\r%s", line(doneMs, totalMs).c_str());
    std::fflush(stream);
    drawn = true;
}

void ProgressBar::finish()
{
    if (!enabled || !drawn) return;
    std::fprintf(stream, "\r\033[K");
    std::fflush(stream);
    drawn = false;
}
