#include "engine/key_events.h"

#include "engine/performance_state.h"
#include "recording/event_lists.h"
#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <tuple>

constexpr uint32_t down = 256, up = 257, repeat = 1u << 30;
constexpr unsigned A = 30, S = 31, D = 32, K = 37;

// Steps: a key letter with "+" (press), "*" (auto-repeat) or "-" (release), then "s" for Shift
// and "c" for Ctrl held; "E" is Esc. What is expected: the notes, then the shift left in force.
TEST(KeyEvents, ChordsTakeTheShiftOfTheirFirstKey) {
    const std::tuple<const char*, std::string, int> scenarios[] = {
        {"A+ A* A*s A-", "on 60, off 60", 0},                           // a held key sounds once
        {"A+s S+ A- S- D+", "on 72, on 74, off 72, off 74, on 64", 0},  // Shift let go in a chord
        {"A+sc", "on 72", 1},                                           // Shift wins over Ctrl
        {"A+c S+s A- S- D+", "on 48, on 50, off 48, off 50, on 64", 0}, // a key joins Ctrl's
        {"A+c A-", "on 48, off 48", 0}, // the shift returns to 0 after a lowered chord
        {"A+ S+c A- D+s S- D- K+s", "on 60, on 62, off 60, on 64, off 62, off 64, on 84", 1},
        {"A+s E S+ S- A-", "on 72, on 62, off 62, off 60", 0},              // Esc, then a plain key
        {"A+s S+ E A- S- D+", "on 72, on 74, off 72, off 74, on 76", 1},    // keeps its shift
        {"A+ E A- S+s S- E S+s", "on 60, off 60, on 62, off 62, on 74", 1}, // stale until Esc
        {"A+c E S+s", "on 48, on 74", 1},   // Esc ends a lowered chord too
        {"A+ E A* S+s", "on 60, on 62", 0}, // a key held through Esc repeats silently, counts
        // The release of a key pressed for an Alt shortcut or a menu, held on into a chord or
        // not, changes nothing; one key pressed twice (keyboard and mouse) is released twice.
        {"S- A+s S+ A- S-", "on 72, on 74, off 72, off 74", 0},
        {"A+ S* A- S- D+s", "on 60, off 60, on 76", 1},
        {"A+ A+ A- A- S+s", "on 60, on 60, off 60, off 60, on 74", 1}};
    for (const auto& [script, notes, shiftAfter] : scenarios) {
        freshStart();
        std::istringstream steps(script);
        for (std::string step; steps >> step;) {
            if (step == "E") { // and All Notes Off, which the MidiOutput test reads
                silenceOnEscape();
                fake.sentMessages.resize(fake.sentMessages.size() - 16);
                continue;
            }
            const unsigned scan = std::array{A, S, D, K}[std::string("ASDK").find(step[0])];
            handleKeyEvent(step[1] == '-' ? up : down, scan << 16 | (step[1] == '*' ? repeat : 0),
                           {step.find('s') != step.npos, step.find('c') != step.npos});
        }
        EXPECT_EQ(std::pair(sent(), performance.octaveShift), std::pair(notes, shiftAfter))
            << script;
    }
}

// What the window is told to draw: nothing, or the key, up or down, and the shift of its cap.
static std::string drawn(const KeyOutcome& o) {
    return o.draw ? std::to_string(o.scan) + (o.pressed ? " down " : " up ") +
                        std::to_string(o.drawShift) + (o.outOfMemory ? " out of memory" : "")
                  : "";
}

TEST(KeyEvents, OutcomeTellsTheWindowWhatToDraw) {
    EXPECT_EQ(drawn(handleKeyEvent(down, A << 16, {false, true})), "30 down -1");
    EXPECT_EQ(drawn(handleKeyEvent(down, A << 16 | repeat, {})), "");
    EXPECT_EQ(drawn(handleKeyEvent(up, A << 16, {})), "30 up 0");
    performance.deviceOpen = false; // a closed device: nothing changes
    performance.recording = true;
    EXPECT_EQ(drawn(handleKeyEvent(down, A << 16, {true, false})), "");
    EXPECT_EQ(performance.heldRaised, 0);
    performance.deviceOpen = true;
    for (unsigned scan : {0u, 1u, 14u, 28u, 42u, 54u, 99u}) // no key there
        EXPECT_EQ(drawn(handleKeyEvent(down, scan << 16, {})), "") << scan;
    EXPECT_EQ(sent(), "on 48, off 48");
    EXPECT_TRUE(eventLists.recordingList.empty());
}

TEST(KeyEvents, RecordingTakesTheShiftTheKeySoundedWithAndReportsMemoryOnce) {
    ASSERT_TRUE(startRecording());
    const KeyOutcome first = handleKeyEvent(down, A << 16, {true, false});
    EXPECT_TRUE(first.recordingChanged && !first.outOfMemory); // the window marks the document
    const KeyOutcome release = handleKeyEvent(up, A << 16, {});
    EXPECT_FALSE(release.recordingChanged || release.outOfMemory);
    ASSERT_EQ(eventLists.recordingList.size(), 2u);
    EXPECT_EQ(eventLists.recordingList[1].octaveShift, 1); // the shift it was sounding with
    EXPECT_EQ(drawn(handleKeyEvent(up, A << 16, {})), ""); // released again: not recorded
    EXPECT_EQ(eventLists.recordingList.size(), 2u);
    sent();
    fake.sentMessages.reserve(64); // the MIDI device keeps working
    fake.failFromBytes = 1;
    bool reported = false;
    for (int i = 0; i < 20 && !reported; ++i)
        reported = handleKeyEvent(i % 2 ? up : down, S << 16, {}).outOfMemory;
    EXPECT_TRUE(reported);
    EXPECT_FALSE(handleKeyEvent(up, S << 16, {}).outOfMemory); // told once
    fake.failFromBytes = SIZE_MAX;
}

// Live keys and replayed ones sound alike: channel, velocity and the bass an octave lower.
TEST(KeyEvents, ReplayUsesTheStoredShiftAndTheCurrentSettings) {
    performance.keyMode = 1302; // A major
    performance.autoBass = true;
    performance.velocity = 90;
    performance.channel = 3;
    EXPECT_EQ(drawn(replayKeyEvent(down, A << 16, 1)), "30 down 1");
    EXPECT_EQ(drawn(replayKeyEvent(up, S << 16, -1)), "31 up -1");
    replayKeyEvent(300, S << 16, 0); // any other message presses
    EXPECT_EQ(sent(), "on 81 v90@3, on 69 v90@15, off 59@3, off 47@15, on 71 v90@3, on 59 v90@15");
    EXPECT_EQ(performance.heldRaised + performance.heldNormal + performance.heldLowered, 0);
    for (int shift : {-2, 2}) // impossible shifts are skipped
        EXPECT_EQ(drawn(replayKeyEvent(down, A << 16, shift)), "") << shift;
    EXPECT_EQ(drawn(replayKeyEvent(down, 54 << 16, 0)), "");
    performance.deviceOpen = false;
    EXPECT_EQ(drawn(replayKeyEvent(down, A << 16, 0)), "");
    EXPECT_EQ(sent(), "");
}

// Points in the 475 x 156 picture and the key there (-1: none): both far edges count as inside;
// rows 1 and 3 start half a key in.
TEST(KeyHitTest, EdgesRowsAndGaps) {
    const int left = 100, top = 200;
    const std::tuple<int, int, int> points[] = {
        {0, 0, 2},    {38, 0, 3},   {-1, 5, -1},    {5, -1, -1},    {10, 38, 2},   {10, 39, 16},
        {10, 78, -1}, {40, 78, 30}, {140, 156, 46}, {140, 157, -1}, {475, 40, 27}, {476, 40, -1},
        {474, 0, -1}, {436, 0, 13}, {437, 117, -1}, {57, 118, 44}};
    for (const auto& [x, y, scan] : points)
        EXPECT_EQ(int(keyAtPoint(left + x, top + y, left, top).value_or(-1)), scan)
            << x << "," << y;
}
