#include "engine/key_events.h"

#include "engine/midi_output.h"
#include "engine/performance_state.h"
#include "recording/event_lists.h"
#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr uint32_t down = 256, up = 257;
constexpr uint32_t repeat = 1u << 30;
uint32_t key(unsigned scan) {
    return scan << 16;
}
constexpr unsigned A = 30, S = 31, D = 32, K = 37;
constexpr Modifiers none{false, false}, shift{true, false}, ctrl{false, true}, both{true, true};

// "on 60" / "off 60@15" etc. for the messages sent since the last call.
std::vector<std::string> sent() {
    std::vector<std::string> out;
    for (uint32_t m : fake::sentMessages) {
        const uint32_t status = m & 0xF0, channel = m & 0x0F;
        std::string text = status == 0x90 ? "on " : status == 0x80 ? "off " : "other ";
        text += std::to_string(m >> 8 & 0xFF);
        if (channel != 0)
            text += "@" + std::to_string(channel);
        out.push_back(text);
    }
    fake::sentMessages.clear();
    return out;
}

using Texts = std::vector<std::string>;

class KeyEvents : public ::testing::Test {
  protected:
    void SetUp() override {
        fake::reset();
        performance = PerformanceState{};
        performance.deviceOpen = true;
        releaseRecordingList();
        releasePlaybackList();
    }
};

TEST_F(KeyEvents, HeldKeySoundsOnceAndStopsOnce) {
    const KeyOutcome pressed = handleKeyEvent(down, key(A) | 1, none);
    EXPECT_TRUE(pressed.draw && pressed.pressed);
    EXPECT_EQ(pressed.scan, A);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(handleKeyEvent(down, key(A) | repeat | 1, none).draw);
    EXPECT_EQ(sent(), Texts({"on 60"}));
    const KeyOutcome released = handleKeyEvent(up, key(A) | 0xC0000001u, none);
    EXPECT_TRUE(released.draw);
    EXPECT_FALSE(released.pressed);
    EXPECT_EQ(sent(), Texts({"off 60"}));
    EXPECT_EQ(performance.heldNormal, 0);
}

TEST_F(KeyEvents, TheFirstKeyOfAChordDecidesItsShift) {
    EXPECT_EQ(handleKeyEvent(down, key(A), shift).drawShift, 1);
    EXPECT_EQ(handleKeyEvent(down, key(S), none).drawShift, 1); // Shift let go: still raised
    handleKeyEvent(up, key(A), none);
    handleKeyEvent(up, key(S), none);
    EXPECT_EQ(sent(), Texts({"on 72", "on 74", "off 72", "off 74"}));
    EXPECT_EQ(performance.octaveShift, 0);
    EXPECT_EQ(handleKeyEvent(down, key(D), none).drawShift, 0);
    EXPECT_EQ(sent(), Texts({"on 64"}));
    handleKeyEvent(down, key(S), ctrl); // joins the unshifted chord
    EXPECT_EQ(sent(), Texts({"on 62"}));
}

TEST_F(KeyEvents, ShiftWinsOverCtrlAndCtrlLowers) {
    EXPECT_EQ(handleKeyEvent(down, key(A), both).drawShift, 1);
    handleKeyEvent(up, key(A), none);
    EXPECT_EQ(handleKeyEvent(down, key(A), ctrl).drawShift, -1);
    handleKeyEvent(up, key(A), none);
    EXPECT_EQ(sent(), Texts({"on 72", "off 72", "on 48", "off 48"}));
}

TEST_F(KeyEvents, AutomaticBassFollowsEachNoteOnChannelSixteen) {
    performance.autoBass = true;
    performance.channel = 3;
    handleKeyEvent(down, key(K), none);
    handleKeyEvent(up, key(K), none);
    EXPECT_EQ(sent(), Texts({"on 72@3", "on 60@15", "off 72@3", "off 60@15"}));
}

TEST_F(KeyEvents, EscapeWhileHoldingLeavesAStaleChordUntilTheNextEscape) {
    handleKeyEvent(down, key(A), none);
    silenceOnEscape();
    EXPECT_EQ(sent().size(), 17u); // the note, then All Notes Off on 16 channels
    handleKeyEvent(up, key(A), none);
    EXPECT_EQ(sent(), Texts({"off 60"}));
    EXPECT_EQ(performance.heldNormal, -1);
    handleKeyEvent(down, key(S), shift); // joins the stale chord: not raised
    handleKeyEvent(up, key(S), none);
    EXPECT_EQ(sent(), Texts({"on 62", "off 62"}));
    silenceOnEscape();
    sent();
    handleKeyEvent(down, key(S), shift);
    EXPECT_EQ(sent(), Texts({"on 74"}));
}

TEST_F(KeyEvents, EscapeInARaisedChordKeepsItsShiftForTheRemainingReleases) {
    handleKeyEvent(down, key(A), shift);
    handleKeyEvent(down, key(S), none);
    silenceOnEscape();
    sent();
    handleKeyEvent(up, key(A), none);
    handleKeyEvent(up, key(S), none);
    EXPECT_EQ(sent(), Texts({"off 72", "off 74"}));
    EXPECT_EQ(performance.octaveShift, 1);
}

// Played, bass and replayed notes carry the bar's velocity; every note-off carries 0.
TEST_F(KeyEvents, VelocityOfPlayedBassAndReplayedNotes) {
    performance.velocity = 77;
    performance.autoBass = true;
    handleKeyEvent(down, key(A), none);
    handleKeyEvent(up, key(A), none);
    replayKeyEvent(down, key(S), -1);
    replayKeyEvent(up, key(S), -1);
    EXPECT_EQ(fake::sentMessages, (std::vector<uint32_t>{
                                      0x4D3C90, 0x4D309F, 0x003C80, 0x00308F, // A and its bass
                                      0x4D3290, 0x4D269F, 0x003280, 0x00268F, // S lowered, replayed
                                  }));
}

TEST_F(KeyEvents, ClosedDeviceAndKeylessCodesChangeNothing) {
    performance.deviceOpen = false;
    performance.recording = true;
    EXPECT_FALSE(handleKeyEvent(down, key(A), shift).draw);
    EXPECT_EQ(performance.heldRaised, 0);
    performance.deviceOpen = true;
    for (unsigned scan : {0u, 1u, 14u, 28u, 42u, 54u, 99u})
        EXPECT_FALSE(handleKeyEvent(down, key(scan), none).draw) << scan;
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(eventLists.recordingList.empty());
}

TEST_F(KeyEvents, RecordingSeesTheShiftOfEachChord) {
    startRecording();
    fake::nowMs = 100;
    EXPECT_TRUE(handleKeyEvent(down, key(A), shift).recordingChanged); // the first event
    handleKeyEvent(down, key(A) | repeat, shift);
    fake::nowMs = 250;
    EXPECT_FALSE(handleKeyEvent(up, key(A), none).recordingChanged);
    ASSERT_EQ(eventLists.recordingList.size(), 2u);
    EXPECT_EQ(eventLists.recordingList[0].octaveShift, 1);
    EXPECT_EQ(eventLists.recordingList[1].octaveShift, 1); // the shift it was sounding with
    EXPECT_EQ(eventLists.recordingList[1].delayMs, 150u);
}

TEST_F(KeyEvents, ReplayUsesTheStoredShiftAndCurrentSettings) {
    performance.keyMode = 1302; // A major
    performance.autoBass = true;
    performance.velocity = 90;
    KeyOutcome o = replayKeyEvent(down, key(A), 1);
    EXPECT_TRUE(o.draw && o.pressed);
    EXPECT_EQ(o.drawShift, 1);
    replayKeyEvent(up, key(A), 1);
    EXPECT_EQ(sent(), Texts({"on 81", "on 69@15", "off 81", "off 69@15"}));
    EXPECT_EQ(performance.heldRaised, 0);               // replay never touches the live chord
    EXPECT_FALSE(replayKeyEvent(down, key(A), 2).draw); // impossible shift: skipped
    EXPECT_FALSE(replayKeyEvent(down, key(60), 0).draw);
    EXPECT_TRUE(sent().empty());
}

TEST(KeyHitTest, RowsEdgesAndGaps) {
    const int left = 100, top = 200;
    EXPECT_EQ(keyAtPoint(left + 10, top + 39 + 5, left, top), 16u);     // row 1, first pixels: Q
    EXPECT_FALSE(keyAtPoint(left + 10, top + 2 * 39 + 5, left, top));   // row 2 starts at A
    EXPECT_EQ(keyAtPoint(left + 40, top + 2 * 39 + 5, left, top), 30u); // A
    EXPECT_EQ(keyAtPoint(left + 5, top + 5, left, top), 2u);            // number-row 1
    EXPECT_EQ(keyAtPoint(left + 140, top + 156, left, top), 46u);       // bottom edge is row 3: C
    EXPECT_EQ(keyAtPoint(left + 475, top + 39 + 1, left, top), 27u);    // right edge, row 1: ]
    EXPECT_FALSE(keyAtPoint(left - 1, top + 5, left, top));
    EXPECT_FALSE(keyAtPoint(left + 5, top + 157, left, top));
    EXPECT_FALSE(keyAtPoint(left + 470, top + 2 * 39 + 5, left, top)); // end of row 2
}

} // namespace
