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

#include <filesystem>
#include <tuple>
#include <unistd.h>

namespace {

constexpr int cMajor = 1297, gMajor = 1301, bMajor = 1303, aFlatMajor = 1314;

MidiNote note(uint64_t startMs, uint64_t endMs, int pitch) {
    return {startMs * 1000, endMs * 1000, uint8_t(pitch), 0, 0};
}

TEST(MidiImport, EachNoteGetsItsKeyUnshiftedWhereOneReachesIt) {
    struct Case {
        int note, keyMode;
        unsigned scan;
        int shift;
    };
    const Case cases[] = {
        {60, cMajor, 30, 0},  // A
        {64, cMajor, 32, 0},  // D, not C (both "3")
        {47, cMajor, 18, 0},  // E, not the 4 key (both "7" of octave 3)
        {76, cMajor, 39, 0},  // ;, not /
        {42, cMajor, 2, 0},   // the 1 key, lowest without a shift
        {81, cMajor, 27, 0},  // ], highest without a shift
        {41, cMajor, 22, -1}, // Ctrl+U
        {30, cMajor, 2, -1},  // Ctrl+1
        {82, cMajor, 49, 1},  // Shift+N
        {93, cMajor, 27, 1},  // Shift+]
        {56, aFlatMajor, 30, 0}, {26, aFlatMajor, 2, -1},
    };
    for (const Case& c : cases) {
        const std::optional<KeyChoice> key = keyForNote(c.note, c.keyMode);
        ASSERT_TRUE(key) << c.note;
        EXPECT_EQ(std::tie(key->scan, key->octaveShift), std::tie(c.scan, c.shift)) << c.note;
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

TEST(MidiImport, ChordsAreSpreadByTheTimerSpacingWithoutDriftReleasesFirst) {
    // C E G at 0 ms for 500 ms, then F A C at 500 ms: the first presses cannot come before 5 ms,
    // the releases move to just before the second chord, the last ones stay on time, and the
    // delays carry no spreading on.
    const ImportPlan plan =
        planImport({note(0, 500, 60), note(0, 500, 64), note(0, 500, 67), note(500, 1000, 65),
                    note(500, 1000, 69), note(500, 1000, 72)},
                   cMajor);
    const EventList expected{
        {5, 256, 30 << 16, 0},   {5, 256, 32 << 16, 0}, {5, 256, 34 << 16, 0},
        {470, 257, 30 << 16, 0}, {5, 257, 32 << 16, 0}, {5, 257, 34 << 16, 0},
        {5, 256, 33 << 16, 0},   {5, 256, 35 << 16, 0}, {5, 256, 37 << 16, 0},
        {490, 257, 33 << 16, 0}, {5, 257, 35 << 16, 0}, {5, 257, 37 << 16, 0},
    };
    ASSERT_EQ(plan.events.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::tie(plan.events[i].delayMs, plan.events[i].message, plan.events[i].keyData,
                           plan.events[i].octaveShift),
                  std::tie(expected[i].delayMs, expected[i].message, expected[i].keyData,
                           expected[i].octaveShift))
            << i;
    EXPECT_EQ(plan.latestMs, 15u);
    EXPECT_EQ(plan.notes, 6u);
}

TEST(MidiImport, OnePitchSoundsOnceAndNotesBeyondTheKeysAreCounted) {
    // A second 60 ends the first where it starts; a third starting with the second is a double.
    const ImportPlan plan = planImport(
        {note(0, 1000, 60), note(300, 800, 60), note(300, 400, 60), note(0, 10, 120)}, cMajor);
    EXPECT_EQ(plan.leftOut, 1u);
    EXPECT_EQ(plan.shortened, 2u);
    ASSERT_EQ(plan.events.size(), 4u);
    EXPECT_EQ(plan.events[1].delayMs, 290u); // the first 60 let go just before 300
    EXPECT_EQ(plan.events[1].message, 257u);
    EXPECT_EQ(plan.events[2].message, 256u); // and struck again
    EXPECT_EQ(plan.events[3].delayMs, 500u); // the longer of the doubles stays
}

// Plays events through the real scheduler on the fake timer and the real replay; returns each
// note message with the time it went out.
std::vector<std::tuple<uint32_t, int, int>> playBack(const EventList& events, int keyMode) {
    fake.reset();
    performance = PerformanceState{};
    performance.deviceOpen = true;
    performance.keyMode = keyMode;
    eventLists.playbackList = events;
    std::vector<std::tuple<uint32_t, int, int>> heard;
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

TEST(MidiImport, PlaybackSoundsTheSongsNotesAtItsTimes) {
    // A shifted low note held under a chord, a high note, and a note repeated at once.
    const std::vector<MidiNote> song{note(100, 900, 36), note(100, 300, 60), note(100, 300, 64),
                                     note(300, 400, 64), note(400, 600, 88), note(600, 650, 84)};
    const ImportPlan plan = planImport(song, cMajor);
    const std::vector<std::tuple<uint32_t, int, int>> heard = playBack(plan.events, cMajor);
    const std::vector<std::tuple<uint32_t, int, int>> expected{
        {100, 0x90, 36}, {105, 0x90, 60}, {110, 0x90, 64}, {290, 0x80, 60},
        {295, 0x80, 64}, {300, 0x90, 64}, {395, 0x80, 64}, {400, 0x90, 88},
        {595, 0x80, 88}, {600, 0x90, 84}, {650, 0x80, 84}, {900, 0x80, 36}};
    EXPECT_EQ(heard, expected);
}

TEST(MidiImport, RoundTripThroughMidiKeepsTheNotes) {
    // A recording with a raised and a lowered chord, exported, imported into a file the window
    // program takes up, and exported again: the same notes in the same order, on time.
    const EventList recording{{1000, 256, 30 << 16, 0}, {120, 256, 31 << 16, 1},
                              {40, 256, 32 << 16, 1},   {300, 257, 31 << 16, 1},
                              {10, 257, 32 << 16, 1},   {5, 257, 30 << 16, 0},
                              {250, 256, 16 << 16, -1}, {400, 257, 16 << 16, -1}};
    const auto first = encodeMidiFile(recording, cMajor, 0, false);
    ASSERT_TRUE(first);
    MidiSong firstSong;
    ASSERT_EQ(decodeMidiSong(first->data(), first->size(), firstSong).format, nullptr);
    const ImportPlan plan = planImport(firstSong.notes, cMajor);
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tonvira-import-" + std::to_string(getpid()));
    ASSERT_EQ(writeRecordingFile(plan.events, cMajor, false, path), nullptr);
    LoadedRecording loaded;
    ASSERT_EQ(readRecordingToTakeUp(path, loaded), nullptr);
    std::filesystem::remove(path);
    const auto second = encodeMidiFile(loaded.events, int(loaded.keyModeId), 0, false);
    ASSERT_TRUE(second);
    MidiSong secondSong;
    ASSERT_EQ(decodeMidiSong(second->data(), second->size(), secondSong).format, nullptr);
    ASSERT_EQ(secondSong.notes.size(), 4u); // the closing silent note-on has velocity 0
    ASSERT_EQ(firstSong.notes.size(), secondSong.notes.size());
    // The export rounds every delay down to whole ticks, so its errors add up: a tick per event.
    const double bound = 759494.0 / 192 * double(recording.size());
    for (size_t i = 0; i < firstSong.notes.size(); ++i) {
        const MidiNote &a = firstSong.notes[i], &b = secondSong.notes[i];
        EXPECT_EQ(a.note, b.note) << i;
        EXPECT_NEAR(double(a.startUs), double(b.startUs), bound) << i;
        EXPECT_NEAR(double(a.endUs), double(b.endUs), bound) << i;
    }
}

} // namespace
