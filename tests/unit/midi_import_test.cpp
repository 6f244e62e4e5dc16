#include "cli/midi_import.h"

#include "engine/key_events.h"
#include "engine/midi_output.h"
#include "engine/performance_state.h"
#include "recording/event_lists.h"
#include "recording/midi_export.h"
#include "recording/playback_scheduler.h"
#include "recording/recording_file.h"
#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

constexpr int cMajor = 1297, gMajor = 1301, bMajor = 1303, aFlatMajor = 1314;

MidiNote note(uint64_t startMs, uint64_t endMs, int pitch) {
    return {startMs * 1000, endMs * 1000, uint8_t(pitch), 0, 0};
}

TEST(MidiImport, EachNoteGetsItsKeyUnshiftedWhereOneReachesIt) {
    // A; D, not C (both "3"); E, not the 4 key (both "7" of octave 3); ;, not /; the 1 key and ],
    // lowest and highest without a shift; Ctrl+U, Ctrl+1, Shift+N, Shift+]; then in A flat major.
    const std::tuple<int, int, unsigned, int> cases[] = {
        {60, cMajor, 30, 0}, {64, cMajor, 32, 0}, {47, cMajor, 18, 0},     {76, cMajor, 39, 0},
        {42, cMajor, 2, 0},  {81, cMajor, 27, 0}, {41, cMajor, 22, -1},    {30, cMajor, 2, -1},
        {82, cMajor, 49, 1}, {93, cMajor, 27, 1}, {56, aFlatMajor, 30, 0}, {26, aFlatMajor, 2, -1},
    };
    for (const auto& [note, keyMode, scan, shift] : cases) {
        const std::optional<KeyChoice> key = keyForNote(note, keyMode);
        ASSERT_TRUE(key) << note;
        EXPECT_EQ(std::tie(key->scan, key->octaveShift), std::tie(scan, shift)) << note;
    }
    EXPECT_FALSE(keyForNote(29, cMajor));
    EXPECT_FALSE(keyForNote(94, cMajor));
    EXPECT_FALSE(keyForNote(60, 1306));
}

TEST(MidiImport, TheKeyThatLeavesFewestNotesOutCMajorOnATie) {
    EXPECT_EQ(chooseKeyMode({note(0, 1, 40), note(0, 1, 90)}), cMajor);
    EXPECT_EQ(chooseKeyMode({note(0, 1, 60), note(0, 1, 100)}), gMajor); // first to reach 100
    EXPECT_EQ(chooseKeyMode({note(0, 1, 29), note(0, 1, 60)}), bMajor);  // first to reach 29
    EXPECT_EQ(chooseKeyMode({note(0, 1, 29), note(0, 1, 93)}), cMajor);  // one out either way
}

// Plays events through the real scheduler on the fake timer and the real replay; returns each
// note message with the time it went out.
using Heard = std::vector<std::tuple<uint32_t, int, int>>;
Heard playBack(const EventList& events, int keyMode) {
    fake.reset();
    performance = PerformanceState{};
    performance.deviceOpen = true;
    performance.keyMode = keyMode;
    eventLists.playbackList = events;
    Heard heard;
    EXPECT_TRUE(startPlayback(false));
    // One timer per event: a chain still running after that many has gone wrong.
    for (size_t step = 0; fake.playbackEnds == 0 && !fake.timers.empty(); ++step) {
        if (step > events.size()) {
            ADD_FAILURE() << "playback did not end";
            break;
        }
        const size_t before = fake.announced.size();
        fake.fireTimer(fake.nowMs + fake.timers.back().delayMs);
        for (size_t i = before; i < fake.announced.size(); ++i) {
            const PerfEvent& e = eventLists.playbackList.at(fake.announced[i]);
            replayKeyEvent(e.message, e.keyData, e.octaveShift);
        }
        for (uint32_t m : fake.sentMessages)
            heard.emplace_back(fake.nowMs, static_cast<int>(m & 0xF0),
                               static_cast<int>(m >> 8 & 0xFF));
        fake.sentMessages.clear();
    }
    return heard;
}

TEST(MidiImport, ChordsAreSpreadByTheTimerSpacingAndPlaybackKeepsTheirTimes) {
    // A Ctrl-lowered note held under a chord, a Shift-raised note, a note out of reach: presses of
    // one moment lowest first, the timer's spacing apart and none before 5 ms, releases just
    // before the presses that follow them, no spreading carried on (the low note ends on time).
    // A second 64 ends the first where it starts; a third starting with it is a double, and the
    // longer of the two stays.
    const ImportPlan plan =
        planImport({note(0, 800, 36), note(0, 200, 60), note(0, 250, 64), note(0, 10, 120),
                    note(200, 280, 64), note(200, 300, 64), note(300, 500, 88), note(500, 550, 84)},
                   cMajor);
    EXPECT_EQ(plan.leftOut, 1u);
    EXPECT_EQ(plan.shortened, 2u);
    EXPECT_EQ(plan.latestMs, 15u);
    EXPECT_EQ(plan.notes, 6u);
    const Heard expected{
        {5, 0x90, 36},   {10, 0x90, 60},  {15, 0x90, 64},  {190, 0x80, 60},
        {195, 0x80, 64}, {200, 0x90, 64}, {295, 0x80, 64}, {300, 0x90, 88},
        {495, 0x80, 88}, {500, 0x90, 84}, {550, 0x80, 84}, {800, 0x80, 36},
    };
    EXPECT_EQ(playBack(plan.events, cMajor), expected);
}

TEST(MidiImport, RoundTripThroughMidiKeepsTheNotes) {
    // A recording with a raised and a lowered chord, exported, imported into a file the window
    // program takes up, and exported again: the same notes in the same order, on time.
    const EventList recording{{1000, 256, 30 << 16, 0}, {120, 256, 31 << 16, 1},
                              {40, 256, 32 << 16, 1},   {300, 257, 31 << 16, 1},
                              {10, 257, 32 << 16, 1},   {5, 257, 30 << 16, 0},
                              {250, 256, 16 << 16, -1}, {400, 257, 16 << 16, -1}};
    auto exported = [](const EventList& events, int keyMode) { // and read back
        MidiSong song;
        const auto bytes = encodeMidiFile(events, keyMode, 0, false);
        EXPECT_TRUE(bytes && decodeMidiSong(bytes->data(), bytes->size(), song).format == nullptr);
        return song.notes;
    };
    const std::vector<MidiNote> first = exported(recording, cMajor);
    const ImportPlan plan = planImport(first, cMajor);
    const ScratchFolder folder;
    ASSERT_EQ(writeRecordingFile(plan.events, cMajor, false, folder.path / "song.qvi"), nullptr);
    LoadedRecording loaded;
    ASSERT_EQ(readRecordingToTakeUp(folder.path / "song.qvi", loaded), nullptr);
    const std::vector<MidiNote> second = exported(loaded.events, int(loaded.keyModeId));
    ASSERT_EQ(first.size(), 4u); // the closing silent note-on has velocity 0
    ASSERT_EQ(second.size(), 4u);
    // The export rounds every delay down to whole ticks, so its errors add up: a tick per event.
    const double bound = 759494.0 / 192 * double(recording.size());
    for (size_t i = 0; i < first.size(); ++i) {
        const MidiNote &a = first[i], &b = second[i];
        EXPECT_EQ(a.note, b.note) << i;
        EXPECT_NEAR(double(a.startUs), double(b.startUs), bound) << i;
        EXPECT_NEAR(double(a.endUs), double(b.endUs), bound) << i;
    }
}

} // namespace
