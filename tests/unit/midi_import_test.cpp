#include "cli/midi_import.h"

#include "engine/key_events.h"
#include "engine/performance_state.h"
#include "recording/event_lists.h"
#include "recording/playback_scheduler.h"
#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

constexpr int cMajor = 1297, gMajor = 1301, bMajor = 1303, aFlatMajor = 1314;

MidiNote note(uint64_t startMs, uint64_t endMs, int pitch) {
    return {startMs * 1000, endMs * 1000, uint8_t(pitch), 0, 0};
}

TEST(MidiImport, EachNoteGetsItsKeyUnshiftedWhereOneReachesItAndTheKeyLeavesFewestOut) {
    // A; D, not C (both "3"); E, not the 4 key (both "7" of octave 3); ;, not /; the 1 key and ],
    // lowest and highest without a shift; Ctrl+U, Ctrl+1, Shift+N, Shift+]; then in A flat major;
    // scan 0: out of reach, or no such key/mode.
    const std::tuple<int, int, unsigned, int> cases[] = {
        {60, cMajor, 30, 0}, {64, cMajor, 32, 0}, {47, cMajor, 18, 0},     {76, cMajor, 39, 0},
        {42, cMajor, 2, 0},  {81, cMajor, 27, 0}, {41, cMajor, 22, -1},    {30, cMajor, 2, -1},
        {82, cMajor, 49, 1}, {93, cMajor, 27, 1}, {56, aFlatMajor, 30, 0}, {26, aFlatMajor, 2, -1},
        {29, cMajor, 0, 0},  {94, cMajor, 0, 0},  {60, 1306, 0, 0},
    };
    for (const auto& [note, keyMode, scan, shift] : cases) {
        const KeyChoice key = keyForNote(note, keyMode).value_or(KeyChoice{0, 0});
        EXPECT_EQ(std::pair(key.scan, key.octaveShift), std::pair(scan, shift)) << note;
    }
    EXPECT_EQ(chooseKeyMode({note(0, 1, 40), note(0, 1, 90)}), cMajor);
    EXPECT_EQ(chooseKeyMode({note(0, 1, 60), note(0, 1, 100)}), gMajor); // first to reach 100
    EXPECT_EQ(chooseKeyMode({note(0, 1, 29), note(0, 1, 60)}), bMajor);  // first to reach 29
    EXPECT_EQ(chooseKeyMode({note(0, 1, 29), note(0, 1, 93)}), cMajor);  // one out either way
}

TEST(MidiImport, ChordsAreSpreadByTheTimerSpacingAndPlaybackKeepsTheirTimes) {
    // A Ctrl-lowered note under a chord, a Shift-raised note, one out of reach: presses of a moment
    // lowest first, the timer's spacing apart from 5 ms, releases just before the presses after
    // them, no spreading carried on (36 ends on time). A second 64 ends the first where it starts;
    // a third starting with it is a double, and the longer of the two stays.
    const ImportPlan plan =
        planImport({note(0, 800, 36), note(0, 200, 60), note(0, 250, 64), note(0, 10, 120),
                    note(200, 280, 64), note(200, 300, 64), note(300, 500, 88), note(500, 550, 84)},
                   cMajor);
    EXPECT_EQ(std::tuple(plan.leftOut, plan.shortened, plan.latestMs, plan.notes),
              std::tuple(1u, 2u, 15u, 6u));
    // Through the real scheduler on the fake timer and the real replay, one timer per event at
    // most: the time of each timer that sent something, and what it sent.
    performance.keyMode = cMajor;
    eventLists.playbackList = plan.events;
    std::string heard;
    ASSERT_TRUE(startPlayback(false));
    for (size_t step = 0;
         fake.playbackEnds == 0 && !fake.timers.empty() && step <= plan.events.size(); ++step) {
        const size_t before = fake.announced.size();
        fake.fireTimer(fake.nowMs + fake.timers.back().delayMs);
        for (size_t i = before; i < fake.announced.size(); ++i) {
            const PerfEvent& e = eventLists.playbackList.at(fake.announced[i]);
            replayKeyEvent(e.message, e.keyData, e.octaveShift);
        }
        if (const std::string now = sent(); !now.empty())
            heard += (heard.empty() ? "" : ", ") + std::to_string(fake.nowMs) + " " + now;
    }
    EXPECT_EQ(fake.playbackEnds, 1) << "playback did not end";
    EXPECT_EQ(heard, "5 on 36, 10 on 60, 15 on 64, 190 off 60, 195 off 64, 200 on 64, 295 off 64, "
                     "300 on 88, 495 off 88, 500 on 84, 550 off 84, 800 off 36");
}

} // namespace
