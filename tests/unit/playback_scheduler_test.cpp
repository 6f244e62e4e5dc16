#include "recording/playback_scheduler.h"

#include "recording/event_lists.h"
#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

namespace {

class Playback : public ::testing::Test {
  protected:
    void SetUp() override {
        fake::reset();
        stopPlayback();
        fake::reset();
    }
    void TearDown() override { stopPlayback(); }

    static void events(std::initializer_list<uint32_t> delays) {
        eventLists.playbackList.clear();
        for (uint32_t d : delays)
            eventLists.playbackList.push_back({d, 256, 30 << 16, 0});
    }
    static unsigned lastDelay() { return fake::timers.back().delayMs; }
    static int liveTimers() {
        int live = 0;
        for (const fake::Timer& t : fake::timers)
            live += t.killed ? 0 : 1;
        return live;
    }
};

TEST_F(Playback, ASinglePassAnnouncesEveryEventThenEnds) {
    events({100, 250, 40});
    fake::nowMs = 1000;
    ASSERT_TRUE(startPlayback(false));
    EXPECT_TRUE(playbackRunning());
    EXPECT_EQ(lastDelay(), 100u);
    fake::fireTimer(1100);
    EXPECT_EQ(lastDelay(), 250u);
    fake::fireTimer(1350);
    EXPECT_EQ(lastDelay(), 40u);
    fake::fireTimer(1390);
    EXPECT_EQ(fake::announced, (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(fake::playbackEnds, 1);
    EXPECT_FALSE(playbackRunning());
    EXPECT_EQ(fake::periodsBegun, fake::periodsEnded);
    stopPlayback(); // a second stop changes nothing
    EXPECT_EQ(fake::periodsBegun, fake::periodsEnded);
}

TEST_F(Playback, LateCallbacksDoNotMakeTheRestLate) {
    events({100, 100, 100, 100});
    fake::nowMs = 0;
    startPlayback(false);
    fake::fireTimer(103); // 3 ms late: the next event is still due at 200
    EXPECT_EQ(lastDelay(), 97u);
    fake::fireTimer(230); // 30 ms late: due at 300
    EXPECT_EQ(lastDelay(), 70u);
    fake::fireTimer(398); // even if it would be early, it is never sooner than a period
    fake::nowMs = 399;
    EXPECT_EQ(lastDelay(), 5u);
}

TEST_F(Playback, ChordsAreSpreadOnePeriodApartAndThePeriodIsAtMostFive) {
    events({0, 0, 0});
    fake::maxPeriod = 1000000;
    startPlayback(false);
    EXPECT_EQ(lastDelay(), 5u);
    fake::fireTimer(5);
    EXPECT_EQ(lastDelay(), 5u);
    fake::fireTimer(10);
    EXPECT_EQ(lastDelay(), 5u);
    stopPlayback();
    fake::reset();
    fake::maxPeriod = 2; // a finer timer keeps its own period
    startPlayback(false);
    EXPECT_EQ(lastDelay(), 2u);
}

TEST_F(Playback, ALoopStartsAgainWithTheFirstEventsOwnDelay) {
    events({300, 50});
    fake::nowMs = 0;
    startPlayback(true);
    EXPECT_EQ(lastDelay(), 300u);
    fake::fireTimer(300);
    fake::fireTimer(352);         // last event of the pass, 2 ms late
    EXPECT_EQ(lastDelay(), 298u); // event 0 again, 300 ms after the ideal end of the pass
    fake::fireTimer(650);
    EXPECT_EQ(fake::announced, (std::vector<uint32_t>{0, 1, 0}));
    EXPECT_EQ(fake::playbackEnds, 0);
    stopPlayback();
    EXPECT_EQ(liveTimers(), 0);
    EXPECT_EQ(fake::periodsBegun, fake::periodsEnded);
    EXPECT_FALSE(playbackRunning());
}

TEST_F(Playback, EarlyCallbacksStillWaitForTheIdealTime) {
    events({100, 100});
    fake::nowMs = 0xFFFFFF00u; // the clock wraps during the loop
    startPlayback(true);
    fake::fireTimer(0xFFFFFF00u + 99); // 1 ms early in the middle of a pass
    EXPECT_EQ(lastDelay(), 101u);
    fake::fireTimer(0xFFFFFF00u + 197); // 3 ms early at the end of the pass
    EXPECT_EQ(lastDelay(), 103u);       // event 0 again after its own delay from the ideal end
    fake::fireTimer(0xFFFFFF00u + 300);
    EXPECT_EQ(lastDelay(), 100u);
    EXPECT_EQ(fake::announced, (std::vector<uint32_t>{0, 1, 0}));
}

TEST_F(Playback, NothingIsAnnouncedAfterStopAndEarlierAnnouncementsTurnStale) {
    events({10, 10});
    startPlayback(true);
    fake::fireTimer(10);
    EXPECT_EQ(fake::announcedGeneration, playbackGeneration());
    const TimerCallback pending = fake::timers.back().callback;
    stopPlayback();
    EXPECT_NE(fake::announcedGeneration, playbackGeneration());
    fake::announced.clear();
    pending(); // a callback that was already on its way when the stop came
    EXPECT_TRUE(fake::announced.empty());
    EXPECT_EQ(liveTimers(), 0);
}

TEST_F(Playback, AnEmptyListEndsAtOnce) {
    events({});
    EXPECT_TRUE(startPlayback(true));
    EXPECT_EQ(fake::playbackEnds, 1);
    EXPECT_TRUE(fake::timers.empty());
    EXPECT_EQ(fake::periodsBegun, 0);
}

TEST_F(Playback, ATimerThatCannotBeCreatedGivesThePeriodBack) {
    events({10, 10});
    fake::timerFails = true;
    EXPECT_FALSE(startPlayback(false));
    EXPECT_FALSE(playbackRunning());
    EXPECT_EQ(fake::periodsBegun, 1);
    EXPECT_EQ(fake::periodsEnded, 1);
    fake::timerFails = false;
    startPlayback(false);
    fake::timerFails = true;
    fake::fireTimer(10); // fails in the middle: the chain ends silently
    EXPECT_EQ(fake::announced.size(), 1u);
    EXPECT_FALSE(playbackRunning());
    EXPECT_EQ(fake::playbackEnds, 0);
    EXPECT_EQ(fake::periodsBegun, fake::periodsEnded);
}

} // namespace
