#include "tools/render/FrameRecorder.h"
#include "tools/render/RenderClock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

// Drives the clock as the main loop does on it: one delay(1) per pass.
std::vector<std::pair<std::uint64_t, Uint32>> passes(RenderClock& clock, int count)
{
    std::vector<std::pair<std::uint64_t, Uint32>> seen;
    clock.onFrame([&](std::uint64_t frame) { seen.push_back({frame, clock.showTime()}); });
    for (int i = 0; i < count; ++i) clock.delay(1);
    return seen;
}

TEST(RenderClock, TimeMovesOnlyWhenTheLoopSleeps)
{
    RenderClock clock;
    EXPECT_EQ(clock.ticks(), 0u);
    EXPECT_EQ(clock.ticks(), 0u);
    clock.delay(1);
    clock.delay(3);
    EXPECT_EQ(clock.ticks(), 4u);
}

TEST(RenderClock, SamplesEachFrameAfterThePassAtItsInstant)
{
    RenderClock clock(40);
    clock.delay(7);  // loading time before the show's clock starts
    clock.startShow();
    EXPECT_EQ(clock.showTime(), 0u);
    const auto seen = passes(clock, 121);
    // Frame k is taken in the delay that ends the pass at show time 40k.
    ASSERT_EQ(seen.size(), 4u);
    for (std::size_t k = 0; k < seen.size(); ++k) {
        EXPECT_EQ(seen[k].first, k);
        EXPECT_EQ(seen[k].second, 40u * k);
    }
    EXPECT_EQ(clock.framesSampled(), 4u);
}

TEST(RenderClock, LongSleepsSampleEveryFrameTheyCross)
{
    RenderClock clock(40);
    clock.startShow();
    std::vector<std::uint64_t> frames;
    clock.onFrame([&](std::uint64_t frame) { frames.push_back(frame); });
    clock.delay(100);  // instants 0, 40, 80
    clock.delay(20);   // 100 .. 119: none
    clock.delay(1);    // 120
    EXPECT_EQ(frames, (std::vector<std::uint64_t>{0, 1, 2, 3}));
}

TEST(RenderClock, NothingIsSampledBeforeTheShowStartsAndTimeIsReported)
{
    RenderClock clock(40);
    std::vector<Uint32> times;
    int frames = 0;
    clock.onFrame([&](std::uint64_t) { ++frames; });
    clock.onTime([&](Uint32 t) { times.push_back(t); });
    clock.delay(50);
    EXPECT_EQ(frames, 0);
    EXPECT_TRUE(times.empty());
    clock.startShow();
    clock.delay(1);
    clock.delay(1);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(times, (std::vector<Uint32>{1, 2}));
}

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};

TEST(FrameRecorder, ConvertsOnlyWhenThePictureChanges)
{
    std::unique_ptr<SDL_Surface, SurfaceDeleter> screen(SDL_CreateRGBSurface(SDL_SWSURFACE, 8, 6, 32, 0xff0000, 0xff00, 0xff, 0));
    ASSERT_TRUE(screen);
    char buffer[4096];
    std::FILE* sink = fmemopen(buffer, sizeof buffer, "wb");
    ASSERT_TRUE(sink);
    Y4mWriter writer(sink, 8, 6);
    FrameRecorder recorder(writer);

    SDL_FillRect(screen.get(), nullptr, 0);
    EXPECT_TRUE(recorder.capture(screen.get()));
    EXPECT_TRUE(recorder.capture(screen.get()));
    EXPECT_EQ(recorder.conversions(), 1u);
    SDL_Rect dot{3, 2, 1, 1};
    SDL_FillRect(screen.get(), &dot, 0xffffff);
    EXPECT_TRUE(recorder.capture(screen.get()));
    EXPECT_EQ(recorder.conversions(), 2u);
    EXPECT_TRUE(recorder.repeatLast(2, 8, 6));
    EXPECT_EQ(writer.framesWritten(), 5u);
    std::fflush(sink);

    // The repeated frames carry the white dot.
    const std::size_t frameBytes = 6 + 8 * 6 + 2 * 4 * 3;
    const std::size_t header = y4mHeader(8, 6, 25, 1).size();
    ASSERT_EQ(static_cast<std::size_t>(std::ftell(sink)), header + 5 * frameBytes);
    const std::size_t last = header + 4 * frameBytes + 6;
    EXPECT_EQ(static_cast<unsigned char>(buffer[last + 2 * 8 + 3]), 235);
    EXPECT_EQ(static_cast<unsigned char>(buffer[last]), 16);
    std::fclose(sink);
}

TEST(FrameRecorder, RepeatingWithNothingCapturedGivesBlack)
{
    char buffer[1024];
    std::FILE* sink = fmemopen(buffer, sizeof buffer, "wb");
    ASSERT_TRUE(sink);
    Y4mWriter writer(sink, 4, 2);
    FrameRecorder recorder(writer);
    EXPECT_TRUE(recorder.repeatLast(1, 4, 2));
    std::fflush(sink);
    const std::size_t header = y4mHeader(4, 2, 25, 1).size() + 6;
    const std::vector<unsigned char> expected = {16, 16, 16, 16, 16, 16, 16, 16, 128, 128, 128, 128};
    EXPECT_EQ(std::vector<unsigned char>(buffer + header, buffer + header + 12), expected);
    std::fclose(sink);
    EXPECT_FALSE(recorder.capture(nullptr));
}

}  // namespace
