#include "recording/event_lists.h"

#include "engine/performance_state.h"
#include "recording/allocation.h"
#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

constexpr uint32_t down = messageKeyDown, up = messageKeyUp, A = 30u << 16, S = 31u << 16;
constexpr uint32_t repeat = 1u << 30;

static const EventList& recorded = eventLists.recordingList;

static bool same(const EventList& a, const EventList& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * 16) == 0;
}

TEST(EventLists, RecordsPressesAndReleasesWithTheirDelays) {
    EXPECT_EQ(appendPerfEvent(down, A, 0), AppendResult::dropped); // not recording
    fake.nowMs = 0xFFFFFF00u; // the millisecond counter wraps during the recording
    ASSERT_TRUE(startRecording());
    EXPECT_EQ(appendPerfEvent(up, S, 0), AppendResult::dropped); // a release before any press
    fake.nowMs = 0xFFFFFFF0u;
    EXPECT_EQ(appendPerfEvent(down, A | 1, 1), AppendResult::appendedFirst); // the document changed
    fake.nowMs = 0x30u;
    EXPECT_EQ(appendPerfEvent(down, A | repeat, 1), AppendResult::dropped);
    fake.nowMs = 0x40u;
    EXPECT_EQ(appendPerfEvent(up, S | repeat, -1), AppendResult::appended);
    EXPECT_TRUE(same(recorded, {{0xF0, down, A | 1, 1}, {0x50, up, S | repeat, -1}}));
}

// Recording needs the device open; a stop publishes what was recorded, nothing for an empty
// recording. Running out of memory keeps what was recorded and is reported once.
TEST(EventLists, StartStopAndRunningOutOfMemory) {
    performance.deviceOpen = false;
    eventLists.recordingList = {{5, down, A, 0}};
    EXPECT_FALSE(startRecording());
    EXPECT_TRUE(!performance.recording && recorded.size() == 1);
    performance.deviceOpen = true;
    eventLists.playbackList = {{7, down, S, 0}};
    ASSERT_TRUE(startRecording());
    EXPECT_TRUE(recorded.empty() && eventLists.playbackList.size() == 1); // kept until the stop
    EXPECT_TRUE(stopRecording());
    EXPECT_TRUE(!performance.recording && eventLists.playbackList.empty());
    ASSERT_TRUE(startRecording());
    AppendResult result = appendPerfEvent(down, A, 0);
    EventList before;
    uint32_t stampBefore = 0;
    for (int i = 0; i < 20 && result != AppendResult::outOfMemory; ++i) {
        before = recorded;
        stampBefore = eventLists.lastStampMs;
        fake.nowMs += 7;
        fake.failFromBytes = 1;
        result = appendPerfEvent(down, S, 0);
        fake.failFromBytes = SIZE_MAX;
    }
    ASSERT_EQ(result, AppendResult::outOfMemory);
    EXPECT_EQ(eventLists.lastStampMs, stampBefore);
    EXPECT_EQ(appendPerfEvent(down, S, 0), AppendResult::dropped); // told only once
    EXPECT_TRUE(same(recorded, before));
    fake.failFromBytes = before.size() * 16; // no memory for the playback copy
    EXPECT_FALSE(stopRecording());
    fake.failFromBytes = SIZE_MAX;
    EXPECT_TRUE(eventLists.playbackList.empty() && same(recorded, before));
    EXPECT_TRUE(publishPlayback(recorded) && same(eventLists.playbackList, before));
    ASSERT_TRUE(startRecording()); // a new recording starts afresh
    EXPECT_EQ(appendPerfEvent(down, S, 0), AppendResult::appendedFirst);
}

// A list that cannot grow, for want of memory or beyond what it can hold, is a false answer, not
// an exception; anything else still goes through.
TEST(Allocation, BothWaysOfRunningOutAreCaught) {
    EventList list;
    EXPECT_FALSE(tryToAllocate([&] { list.resize(list.max_size() + 1); })); // std::length_error
    fake.failFromBytes = 1600;
    EXPECT_FALSE(tryToAllocate([&] { list.resize(100); })); // std::bad_alloc
    fake.failFromBytes = SIZE_MAX;
    EXPECT_TRUE(tryToAllocate([&] { list.resize(100); }));
    EXPECT_EQ(list.size(), 100u);
    EXPECT_THROW(tryToAllocate([] { throw std::runtime_error("not memory"); }), std::runtime_error);
}
