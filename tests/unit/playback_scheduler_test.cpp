#include "recording/playback_scheduler.h"

#include "recording/event_lists.h"
#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

namespace {

using Indexes = std::vector<uint32_t>;

class Playback : public ::testing::Test {
  protected:
    void SetUp() override {
        stopPlayback();
        fake.reset();
    }
    void TearDown() override { stopPlayback(); }

    static void events(std::initializer_list<uint32_t> delays) {
        eventLists.playbackList.clear();
        for (uint32_t d : delays)
            eventLists.playbackList.push_back({d, 256, 30 << 16, 0});
    }
    static unsigned lastDelay() { return fake.timers.back().delayMs; }
    // Everything taken was given back, and nothing is left running.
    static bool idle() {
        return !playbackRunning() && fake.liveTimers() == 0 &&
               fake.periodsBegun == fake.periodsEnded;
    }
};

// Each timer is armed for the ideal time of its event, never sooner than one period (at most
// 5 ms) from now; a loop's next pass starts where the last one ideally ended.
TEST_F(Playback, TimersAimAtTheIdealTimes) {
    const struct {
        const char* name;
        bool loop;
        unsigned maxPeriod;
        std::vector<uint32_t> delays;
        uint32_t start;
        std::vector<uint32_t> fireAt;
        std::vector<unsigned> armed; // the delay of each timer
        Indexes announced;
        int ends;
    } cases[] = {
        {"one pass",
         false,
         1000,
         {100, 250, 40},
         1000,
         {1100, 1350, 1390},
         {100, 250, 40},
         {0, 1, 2},
         1},
        {"late callbacks",
         false,
         1000,
         {100, 100, 100, 100},
         0,
         {103, 230, 398},
         {100, 97, 70, 5},
         {0, 1, 2},
         0},
        {"a chord is spread", false, 1000, {0, 0, 0}, 0, {5, 10}, {5, 5, 5}, {0, 1}, 0},
        {"a finer timer", false, 2, {0, 0}, 0, {}, {2}, {}, 0},
        {"no period at all", false, 0, {0, 0}, 0, {1}, {1, 1}, {0}, 0},
        {"a loop", true, 1000, {300, 50}, 0, {300, 352, 650}, {300, 50, 298, 50}, {0, 1, 0}, 0},
        {"early callbacks and a wrapping clock",
         true,
         1000,
         {100, 100},
         0xFFFFFF00u,
         {0xFFFFFF63u, 0xFFFFFFC5u, 0x2Cu},
         {100, 101, 103, 100},
         {0, 1, 0},
         0}};
    for (const auto& c : cases) {
        SetUp();
        eventLists.playbackList.clear();
        for (uint32_t d : c.delays)
            eventLists.playbackList.push_back({d, 256, 30 << 16, 0});
        fake.maxPeriod = c.maxPeriod;
        fake.nowMs = c.start;
        ASSERT_TRUE(startPlayback(c.loop)) << c.name;
        EXPECT_TRUE(playbackRunning()) << c.name;
        for (uint32_t at : c.fireAt)
            fake.fireTimer(at);
        std::vector<unsigned> armed;
        for (const FakePlatform::Timer& t : fake.timers)
            armed.push_back(t.delayMs);
        EXPECT_EQ(armed, c.armed) << c.name;
        EXPECT_EQ(fake.announced, c.announced) << c.name;
        EXPECT_EQ(fake.playbackEnds, c.ends) << c.name;
        stopPlayback();
        EXPECT_TRUE(idle()) << c.name;
    }
}

TEST_F(Playback, StopsAndRestarts) {
    events({10, 10});
    startPlayback(true);
    stopPlayback(); // before the first timer fires
    EXPECT_TRUE(idle());
    ASSERT_TRUE(startPlayback(true));
    fake.fireTimer(10);
    EXPECT_EQ(fake.announcedGeneration, playbackGeneration());
    const TimerCallback pending = fake.timers.back().callback;
    ASSERT_TRUE(startPlayback(false)); // again while playing: the old chain ends first
    EXPECT_NE(fake.announcedGeneration, playbackGeneration());
    EXPECT_EQ(fake.liveTimers(), 1);
    EXPECT_EQ(fake.periodsBegun, fake.periodsEnded + 1);
    stopPlayback();
    fake.announced.clear();
    pending(); // a callback that was already on its way when the stop came
    EXPECT_TRUE(fake.announced.empty());
    EXPECT_TRUE(idle());
    stopPlayback(); // a second stop changes nothing
    EXPECT_TRUE(idle());
}

TEST_F(Playback, AnEmptyListEndsAtOnce) {
    events({});
    EXPECT_TRUE(startPlayback(true));
    EXPECT_EQ(fake.playbackEnds, 1);
    EXPECT_TRUE(fake.timers.empty());
    EXPECT_EQ(fake.periodsBegun, 0);
}

// A timer that cannot be created ends the chain silently; the controls wait for the user's stop.
TEST_F(Playback, TimerFailures) {
    events({10, 10});
    for (unsigned firesBeforeFailing : {0u, 1u, 2u}) { // at the start, in a pass, at a new pass
        SetUp();
        ASSERT_TRUE(firesBeforeFailing == 0 || startPlayback(true));
        for (unsigned i = 1; i < firesBeforeFailing; ++i)
            fake.fireTimer(10 * i);
        fake.timerFails = true;
        if (firesBeforeFailing == 0)
            EXPECT_FALSE(startPlayback(true));
        else
            fake.fireTimer(10 * firesBeforeFailing);
        EXPECT_EQ(fake.announced.size(), firesBeforeFailing);
        EXPECT_EQ(fake.playbackEnds, 0);
        EXPECT_TRUE(idle()) << firesBeforeFailing;
    }
}

} // namespace
