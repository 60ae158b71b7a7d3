// Virtual time for playing the show offline. The main loop sleeps one
// millisecond in every pass in which no time passed; on this clock no time
// ever passes within a pass, so each pass is one millisecond of show time,
// exactly as on a machine fast enough to finish every pass within a tick.
// Whatever the loop left on the screen is then sampled at the video's frame
// instants as time moves past them.
#pragma once

#include "app/Application.h"

#include <cstdint>
#include <functional>

class RenderClock : public Clock {
public:
    // Called with a frame's index once every pass at or before its instant
    // has run, so the screen shows what a viewer would see at that instant.
    using FrameSink = std::function<void(std::uint64_t frame)>;
    // Called before time moves on, with the show time reached.
    using TimeSink = std::function<void(Uint32 showMs)>;

    explicit RenderClock(Uint32 framePeriodMs = 40) : framePeriodMs(framePeriodMs) {}

    Uint32 ticks() override { return now; }
    void delay(Uint32 ms) override;

    // Show time is measured from here; frames are counted from here.
    void startShow() { origin = now; nextFrame = 0; started = true; }
    Uint32 showTime() const { return now - origin; }
    std::uint64_t framesSampled() const { return nextFrame; }

    void onFrame(FrameSink sink) { frameSink = std::move(sink); }
    void onTime(TimeSink sink) { timeSink = std::move(sink); }

private:
    Uint32 framePeriodMs;
    Uint32 now = 0;
    Uint32 origin = 0;
    bool started = false;
    std::uint64_t nextFrame = 0;
    FrameSink frameSink;
    TimeSink timeSink;
};
