#include "cli/midi_import.h"

#include "engine/key_events.h"
#include "recording/event_lists.h"
#include "recording/playback_scheduler.h"
#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

#include <tuple>

constexpr int cMajor = 1297, gMajor = 1301;

static MidiNote note(uint64_t startMs, uint64_t endMs, int pitch) {
    return {startMs * 1000, endMs * 1000, uint8_t(pitch), 0, 0};
}

TEST(MidiImport, EachNoteGetsItsKeyUnshiftedWhereOneReachesItAndTheKeyLeavesFewestOut) {
    // (note, scan, shift): E, not the 4 key; the ends unshifted, with Ctrl, with Shift; beyond.
    const std::tuple<int, unsigned, int> cases[] = {{47, 18, 0}, {42, 2, 0},  {81, 27, 0},
                                                    {30, 2, -1}, {93, 27, 1}, {94, 0, 0}};
    for (const auto& [note, scan, shift] : cases) {
        const KeyChoice key = keyForNote(note, cMajor).value_or(KeyChoice{0, 0});
        EXPECT_EQ(std::pair(key.scan, key.octaveShift), std::pair(scan, shift)) << note;
    }
    EXPECT_EQ(chooseKeyMode({note(0, 1, 60), note(0, 1, 100)}), gMajor); // first to reach 100
    EXPECT_EQ(chooseKeyMode({note(0, 1, 29), note(0, 1, 93)}), cMajor);  // one out either way
}

TEST(MidiImport, ChordsAreSpreadByTheTimerSpacingAndPlaybackKeepsTheirTimes) {
    // Presses of a moment 5 ms apart, releases just before the next presses; 64 at 0 ends when
    // 64 starts again at 200, where two of 64 start together and the longer stays.
    const ImportPlan plan =
        planImport({note(0, 800, 36), note(0, 200, 60), note(0, 250, 64), note(0, 10, 120),
                    note(200, 280, 64), note(200, 300, 64), note(300, 500, 88), note(500, 550, 84)},
                   cMajor);
    EXPECT_EQ(std::tuple(plan.leftOut, plan.merged, plan.shortened, plan.latestMs),
              std::tuple(1u, 1u, 1u, 15u));
    eventLists.playbackList = plan.events;
    ASSERT_TRUE(startPlayback(false));
    std::string heard; // each timer plays the next event
    for (size_t played = 0; played < plan.events.size() && fake.liveTimers() > 0; ++played) {
        fake.fireTimer(fake.nowMs + fake.timers.back().delayMs);
        const PerfEvent& e = plan.events.at(fake.announced.at(played));
        replayKeyEvent(e.message, e.keyData, e.octaveShift);
        heard += std::to_string(fake.nowMs) + " " + sent() + ", ";
    }
    EXPECT_EQ(fake.playbackEnds, 1) << "playback did not end";
    EXPECT_EQ(heard, "5 on 36, 10 on 60, 15 on 64, 190 off 60, 195 off 64, 200 on 64, 295 off 64, "
                     "300 on 88, 495 off 88, 500 on 84, 550 off 84, 800 off 36, ");
}
