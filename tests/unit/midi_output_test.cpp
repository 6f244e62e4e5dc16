#include "engine/midi_output.h"

#include "engine/performance_state.h"
#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

namespace {

class MidiOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        fake::reset();
        performance = PerformanceState{};
    }
};

std::vector<uint8_t> bytesOf(uint32_t packed) {
    return {uint8_t(packed), uint8_t(packed >> 8), uint8_t(packed >> 16), uint8_t(packed >> 24)};
}

TEST_F(MidiOutput, NoteOnIsTransposedIntoTheKeyMode) {
    performance.keyMode = 1298;        // D major
    sendNoteOn(nullptr, 2, 5, 0, 100); // key A
    ASSERT_EQ(fake::sentMessages.size(), 1u);
    EXPECT_EQ(bytesOf(fake::sentMessages[0]), (std::vector<uint8_t>{0x92, 62, 100, 0}));
    sendNoteOff(nullptr, 15, 4, 0, 0); // its bass
    EXPECT_EQ(bytesOf(fake::sentMessages[1]), (std::vector<uint8_t>{0x8F, 50, 0, 0}));
}

TEST_F(MidiOutput, PitchBendSplitsSevenBitHalves) {
    sendPitchBend(nullptr, 0, 8191);
    sendPitchBend(nullptr, 3, 16382);
    sendPitchBend(nullptr, 0, 0);
    ASSERT_EQ(fake::sentMessages.size(), 3u);
    EXPECT_EQ(bytesOf(fake::sentMessages[0]), (std::vector<uint8_t>{0xE0, 0x7F, 0x3F, 0}));
    EXPECT_EQ(bytesOf(fake::sentMessages[1]), (std::vector<uint8_t>{0xE3, 0x7E, 0x7F, 0}));
    EXPECT_EQ(bytesOf(fake::sentMessages[2]), (std::vector<uint8_t>{0xE0, 0, 0, 0}));
}

TEST_F(MidiOutput, SilenceSendsAllNotesOffOnSixteenChannelsInOrder) {
    silenceAllChannels();
    ASSERT_EQ(fake::sentMessages.size(), 16u);
    for (int channel = 0; channel < 16; ++channel)
        EXPECT_EQ(fake::sentMessages[channel], uint32_t(0xB0 + channel) | 123u << 8) << channel;
}

TEST_F(MidiOutput, ApplyProgramGoesToPlayChannelThenBass) {
    performance.channel = 4;
    performance.program = 40;
    applyProgram();
    ASSERT_EQ(fake::sentMessages.size(), 2u);
    EXPECT_EQ(fake::sentMessages[0], 0xC4u | 40u << 8);
    EXPECT_EQ(fake::sentMessages[1], 0xCFu | 40u << 8);
}

TEST_F(MidiOutput, WithoutKeyModeNotesAreSilentButOtherMessagesGo) {
    performance.keyMode = 1306;
    EXPECT_EQ(sendNoteOn(nullptr, 0, 5, 0, 127), 0u);
    sendNoteOff(nullptr, 0, 5, 0, 0);
    EXPECT_TRUE(fake::sentMessages.empty());
    sendProgramChange(nullptr, 0, 5);
    sendPitchBend(nullptr, 0, 100);
    silenceAllChannels();
    EXPECT_EQ(fake::sentMessages.size(), 18u);
}

TEST(VelocityBar, ScrollCodesAndClamping) {
    EXPECT_EQ(velocityAfterScroll(125, scrollPageUp, 0), 127);
    EXPECT_EQ(velocityAfterScroll(127, scrollLineUp, 0), 127);
    EXPECT_EQ(velocityAfterScroll(5, scrollPageDown, 0), 1);
    EXPECT_EQ(velocityAfterScroll(1, scrollLineDown, 0), 1);
    EXPECT_EQ(velocityAfterScroll(64, scrollLineUp, 0), 65);
    EXPECT_EQ(velocityAfterScroll(64, scrollLineDown, 0), 63);
    EXPECT_EQ(velocityAfterScroll(64, scrollPageUp, 0), 72);
    EXPECT_EQ(velocityAfterScroll(64, scrollPageDown, 0), 56);
    EXPECT_EQ(velocityAfterScroll(64, scrollThumbTrack, 1), 127);
    EXPECT_EQ(velocityAfterScroll(64, scrollThumbPosition, 127), 1);
    EXPECT_EQ(velocityAfterScroll(64, scrollThumbTrack, 0), 127); // beyond the range: clamped
    for (int code : {6, 7, 8})
        EXPECT_FALSE(velocityAfterScroll(64, code, 50).has_value()) << code;
    EXPECT_EQ(velocityThumb(127), 1);
}

TEST(PitchBendBar, SpringsBackAndIgnoresClicks) {
    EXPECT_EQ(pitchBendAfterScroll(scrollThumbTrack, 1), 16382);
    EXPECT_EQ(pitchBendAfterScroll(scrollThumbTrack, 16383), 0);
    EXPECT_EQ(pitchBendAfterScroll(scrollThumbTrack, 8192), 8191);
    EXPECT_EQ(pitchBendAfterScroll(scrollThumbTrack, 20000), 0);
    EXPECT_EQ(pitchBendAfterScroll(scrollThumbPosition, 100), 8191);
    EXPECT_EQ(pitchBendThumb(8191), pitchBendThumbStart);
    for (int code : {scrollLineUp, scrollLineDown, scrollPageUp, scrollPageDown, 8})
        EXPECT_FALSE(pitchBendAfterScroll(code, 100).has_value()) << code;
}

} // namespace
