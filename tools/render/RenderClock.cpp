#include "tools/render/RenderClock.h"

void RenderClock::delay(Uint32 ms)
{
    if (started) {
        // Every pass up to now has run: frames whose instant lies before the
        // next pass show the screen as it stands.
        const std::uint64_t until = static_cast<std::uint64_t>(showTime()) + ms;
        while (nextFrame * framePeriodMs < until) {
            if (frameSink) frameSink(nextFrame);
            ++nextFrame;
        }
    }
    now += ms;
    if (started && timeSink) timeSink(showTime());
}
