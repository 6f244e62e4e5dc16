#include "recording/playback_scheduler.h"

#include "recording/event_lists.h"
#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <tuple>

using Numbers = std::vector<uint32_t>;

static void events(const Numbers& delays) {
    eventLists.playbackList.clear();
    for (uint32_t d : delays)
        eventLists.playbackList.push_back({d, 256, 30 << 16, 0});
}

// Everything taken was given back, and nothing is left running.
static bool idle() {
    return !playbackRunning() && fake.liveTimers() == 0 && fake.periodsBegun == fake.periodsEnded;
}

// Each timer aims at the ideal time of its event, never sooner than one period (at most 5 ms)
// from now and never further than the timer's maximum; a loop's next pass starts where the last one
// ideally ended, after its first delay.
TEST(Playback, TimersAimAtTheIdealTimes) {
    const struct {
        bool loop;
        unsigned maxPeriod;
        Numbers delays;
        uint32_t start;
        Numbers fireAt, armed, announced; // armed: the delay of each timer
        int ends;
    } cases[] = {
        // clang-format off
        {false, 1000, {100, 250, 40}, 1000, {1100, 1350, 1390}, {100, 250, 40}, {0, 1, 2}, 1},
        {false, 1000, {100, 100, 100, 100}, 0, {103, 230, 398}, {100, 97, 70, 5}, {0, 1, 2}, 0},
        {false, 1000, {0, 0, 0}, 0, {5, 10}, {5, 5, 5}, {0, 1}, 0}, // a chord is spread
        {false, 2, {0, 0}, 0, {}, {2}, {}, 0},                      // a finer timer
        {false, 0, {70000, 0}, 0, {65535, 70000}, {65535, 4465, 1}, {0}, 0}, // no period named
        {true, 1000, {300, 50}, 0, {300, 352, 650}, {300, 50, 298, 50}, {0, 1, 0}, 0},
        {true, 1000, {}, 0, {}, {}, {}, 1}, // nothing to play: over at once
        // Early callbacks, and a clock that wraps.
        {true, 1000, {100, 100}, 0xFFFFFF00u, {0xFFFFFF63u, 0xFFFFFFC5u, 0x2Cu},
         {100, 101, 103, 100}, {0, 1, 0}, 0},
        // Waits longer than the timer takes go in steps that announce nothing, an early step too;
        // a wait beyond 32 bits is not cut to its low bits.
        {false, 65535, {70000, 100}, 0, {65535, 70000, 70100}, {65535, 4465, 100}, {0, 1}, 1},
        {false, 65535, {65535}, 0, {65535}, {65535}, {0}, 1},
        {false, 65535, {140000}, 0, {65500, 131035, 140000}, {65535, 65535, 8965}, {0}, 1},
        {false, 1000000, {100, 0xFFFFFFFFu}, 0, {90}, {100, 1000000}, {0}, 0}};
    // clang-format on
    for (const auto& c : cases) {
        freshStart();
        events(c.delays);
        fake.maxPeriod = c.maxPeriod;
        fake.nowMs = c.start;
        ASSERT_TRUE(startPlayback(c.loop)) << c.delays.size();
        EXPECT_EQ(playbackRunning(), !c.delays.empty());
        for (uint32_t at : c.fireAt)
            fake.fireTimer(at);
        Numbers armed;
        for (const FakePlatform::Timer& t : fake.timers)
            armed.push_back(t.delayMs);
        EXPECT_EQ(std::tuple(armed, fake.announced, fake.playbackEnds),
                  std::tuple(c.armed, c.announced, c.ends));
        stopPlayback();
        EXPECT_TRUE(idle());
    }
}

TEST(Playback, StopsAndRestarts) {
    events({10, 10});
    startPlayback(true);
    stopPlayback(); // before the first timer fires
    EXPECT_TRUE(idle());
    ASSERT_TRUE(startPlayback(true));
    fake.fireTimer(10);
    EXPECT_EQ(fake.announcedGeneration, playbackGeneration());
    const TimerCallback pending = fake.timers.back().callback;
    ASSERT_TRUE(startPlayback(false));          // again while playing: the old chain ends first
    EXPECT_EQ(fake.timers.back().delayMs, 10u); // counted from the new start
    EXPECT_NE(fake.announcedGeneration, playbackGeneration());
    EXPECT_TRUE(fake.liveTimers() == 1 && fake.periodsBegun == fake.periodsEnded + 1);
    stopPlayback();
    stopPlayback(); // a second stop changes nothing
    fake.announced.clear();
    pending(); // a callback that was already on its way when the stop came
    EXPECT_TRUE(fake.announced.empty());
    EXPECT_TRUE(idle());
}

// A timer that cannot be created ends the chain silently: at the start, in a pass, at a new pass.
TEST(Playback, TimerFailures) {
    for (unsigned firesBeforeFailing : {0u, 1u, 2u}) {
        freshStart();
        events({10, 10});
        fake.timerFails = firesBeforeFailing == 0;
        EXPECT_EQ(startPlayback(true), firesBeforeFailing != 0);
        for (unsigned i = 1; i <= firesBeforeFailing; ++i) {
            fake.timerFails = i == firesBeforeFailing;
            fake.fireTimer(10 * i);
        }
        EXPECT_TRUE(fake.announced.size() == firesBeforeFailing && fake.playbackEnds == 0 && idle())
            << firesBeforeFailing;
    }
}

// The lists are replaced while a real thread runs the timer's callback: the replacement stops
// the chain first, so that thread never reads a list being replaced (the sanitizers would see it).
TEST(Playback, ReplacingTheListStopsTheChainFirst) {
    std::atomic<bool> done = false;
    std::thread timer([&done] {
        while (!done)
            playbackTick();
    });
    for (uint32_t i = 1; i <= 3000; ++i) {
        events(Numbers(i % 50 + 1, 0));
        startPlayback(true);
        ASSERT_TRUE(publishPlayback(EventList(i % 7, PerfEvent{0, 257, 30 << 16, 0})));
        EXPECT_FALSE(playbackRunning());
    }
    done = true;
    timer.join();
    EXPECT_EQ(fake.periodsBegun, fake.periodsEnded);
}
