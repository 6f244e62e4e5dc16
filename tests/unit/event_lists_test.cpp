#include "recording/event_lists.h"

#include "engine/performance_state.h"
#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

constexpr uint32_t keyA = 30u << 16;
constexpr uint32_t keyS = 31u << 16;
constexpr uint32_t repeat = 1u << 30;

class EventLists : public ::testing::Test {
  protected:
    void SetUp() override {
        fake::reset();
        performance = PerformanceState{};
        performance.deviceOpen = true;
        releaseRecordingList();
        releasePlaybackList();
    }
    void TearDown() override { fake::reset(); }

    const EventList& recorded() const { return eventLists.recordingList; }
};

TEST_F(EventLists, StartIsRefusedWhileTheDeviceIsClosed) {
    performance.deviceOpen = false;
    eventLists.recordingList = {{5, messageKeyDown, keyA, 0}};
    EXPECT_FALSE(startRecording());
    EXPECT_FALSE(performance.recording);
    EXPECT_EQ(recorded().size(), 1u);
}

TEST_F(EventLists, HeldKeyRecordsOnePressAndOneRelease) {
    fake::nowMs = 1000;
    ASSERT_TRUE(startRecording());
    fake::nowMs = 1250;
    EXPECT_EQ(appendPerfEvent(messageKeyDown, keyA | 1, 0), AppendResult::appendedFirst);
    for (int i = 0; i < 5; ++i) {
        fake::nowMs += 30;
        EXPECT_EQ(appendPerfEvent(messageKeyDown, keyA | repeat | 1, 0), AppendResult::dropped);
    }
    fake::nowMs = 1700;
    EXPECT_EQ(appendPerfEvent(messageKeyUp, keyA | 0xC0000001u, 0), AppendResult::appended);
    ASSERT_EQ(recorded().size(), 2u);
    EXPECT_EQ(recorded()[0].delayMs, 250u); // from the start command
    EXPECT_EQ(recorded()[0].keyData, keyA | 1);
    EXPECT_EQ(recorded()[1].delayMs, 450u);
    EXPECT_EQ(recorded()[1].message, messageKeyUp);
    EXPECT_EQ(recorded()[1].keyData, keyA | 0xC0000001u);
}

TEST_F(EventLists, ReleaseBeforeTheFirstPressLeavesNoTrace) {
    ASSERT_TRUE(startRecording());
    EXPECT_EQ(appendPerfEvent(messageKeyUp, keyS, 0), AppendResult::dropped);
    EXPECT_TRUE(recorded().empty());
    fake::nowMs = 10;
    EXPECT_EQ(appendPerfEvent(messageKeyDown, keyA, +1), AppendResult::appendedFirst);
    fake::nowMs = 20;
    // A key pressed before recording began: its release counts once the list holds an event.
    EXPECT_EQ(appendPerfEvent(messageKeyUp, keyS, -1), AppendResult::appended);
    ASSERT_EQ(recorded().size(), 2u);
    EXPECT_EQ(recorded()[0].octaveShift, 1);
    EXPECT_EQ(recorded()[1].octaveShift, -1);
    EXPECT_EQ(recorded()[1].delayMs, 10u);
}

TEST_F(EventLists, NothingIsRecordedWhenNotRecording) {
    EXPECT_EQ(appendPerfEvent(messageKeyDown, keyA, 0), AppendResult::dropped);
    EXPECT_TRUE(recorded().empty());
}

TEST_F(EventLists, DelaysSurviveTheMillisecondCounterWrapping) {
    fake::nowMs = 0xFFFFFF00u;
    ASSERT_TRUE(startRecording());
    fake::nowMs = 0xFFFFFFF0u;
    appendPerfEvent(messageKeyDown, keyA, 0);
    fake::nowMs = 0x40u; // wrapped
    appendPerfEvent(messageKeyUp, keyA, 0);
    ASSERT_EQ(recorded().size(), 2u);
    EXPECT_EQ(recorded()[0].delayMs, 0xF0u);
    EXPECT_EQ(recorded()[1].delayMs, 0x50u);
    EXPECT_EQ(recorded()[0].delayMs + recorded()[1].delayMs, 0x140u); // start to last event
}

TEST_F(EventLists, StartDiscardsTheOldRecordingAndKeepsPlayback) {
    eventLists.recordingList = {{5, messageKeyDown, keyA, 0}};
    eventLists.playbackList = {{7, messageKeyDown, keyS, 0}};
    ASSERT_TRUE(startRecording());
    EXPECT_TRUE(recorded().empty());
    ASSERT_EQ(eventLists.playbackList.size(), 1u);
    EXPECT_EQ(eventLists.playbackList[0].delayMs, 7u);
}

TEST_F(EventLists, StopPublishesAnExactCopyForPlayback) {
    ASSERT_TRUE(startRecording());
    for (uint32_t i = 0; i < 100; ++i) {
        fake::nowMs += i;
        appendPerfEvent(i % 2 ? messageKeyUp : messageKeyDown, keyA + i, int32_t(i % 3) - 1);
        EXPECT_EQ(recorded().size(), i + 1);
    }
    EXPECT_TRUE(stopRecording());
    EXPECT_FALSE(performance.recording);
    ASSERT_EQ(eventLists.playbackList.size(), 100u);
    EXPECT_EQ(
        std::memcmp(eventLists.playbackList.data(), recorded().data(), 100 * sizeof(PerfEvent)), 0);
}

TEST_F(EventLists, StoppingAnEmptyRecordingClearsThePlaybackList) {
    eventLists.playbackList = {{7, messageKeyDown, keyS, 0}};
    ASSERT_TRUE(startRecording());
    EXPECT_TRUE(stopRecording());
    EXPECT_TRUE(eventLists.playbackList.empty());
}

TEST_F(EventLists, FailedGrowthKeepsTheListAsItWas) {
    ASSERT_TRUE(startRecording());
    for (int i = 0; i < 3; ++i)
        appendPerfEvent(messageKeyDown, keyA, 0);
    fake::failFromBytes = 1; // from now on every allocation fails
    EventList before;
    uint32_t stampBefore = 0;
    AppendResult result = AppendResult::appended;
    for (int i = 0; i < 20 && result == AppendResult::appended; ++i) {
        fake::failFromBytes = std::numeric_limits<size_t>::max();
        before = recorded();
        stampBefore = eventLists.lastStampMs;
        fake::failFromBytes = 1;
        fake::nowMs += 7;
        result = appendPerfEvent(messageKeyDown, keyS, 0);
    }
    fake::failFromBytes = std::numeric_limits<size_t>::max();
    ASSERT_EQ(result, AppendResult::outOfMemory);
    ASSERT_EQ(recorded().size(), before.size());
    EXPECT_EQ(std::memcmp(recorded().data(), before.data(), before.size() * sizeof(PerfEvent)), 0);
    EXPECT_EQ(eventLists.lastStampMs, stampBefore);
    // The recording keeps what it has and takes nothing more, so the user is told only once.
    EXPECT_EQ(appendPerfEvent(messageKeyUp, keyS, 0), AppendResult::dropped);
    EXPECT_EQ(recorded().size(), before.size());
    ASSERT_TRUE(stopRecording());
    EXPECT_EQ(eventLists.playbackList.size(), before.size());
    ASSERT_TRUE(startRecording()); // a new recording starts afresh
    EXPECT_EQ(appendPerfEvent(messageKeyDown, keyS, 0), AppendResult::appendedFirst);
}

TEST_F(EventLists, FailedPlaybackCopyLeavesAnEmptyListAndTheRecording) {
    ASSERT_TRUE(startRecording());
    for (int i = 0; i < 4; ++i)
        appendPerfEvent(messageKeyDown, keyA, 0);
    eventLists.playbackList = {{7, messageKeyDown, keyS, 0}};
    fake::failFromBytes = 4 * sizeof(PerfEvent);
    EXPECT_FALSE(stopRecording());
    fake::failFromBytes = std::numeric_limits<size_t>::max();
    EXPECT_TRUE(eventLists.playbackList.empty());
    EXPECT_EQ(recorded().size(), 4u);
    EXPECT_FALSE(performance.recording);
}

} // namespace
