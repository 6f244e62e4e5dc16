#include "engine/midi_output.h"

#include "engine/performance_state.h"
#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(MidiOutput, MessagesGoOutWithTheirBytesInPlace) {
    performance.keyMode = 1298; // D major
    // Key A and its bass; each send hands back the device's answer, 0 for sent.
    EXPECT_EQ(sendNoteOn(nullptr, 2, 5, 0, 100) + sendNoteOff(nullptr, 15, 4, 0, 0), 0u);
    performance.keyMode = 1306; // no key/mode: notes are silent, nothing else is
    EXPECT_EQ(sendNoteOn(nullptr, 0, 5, 0, 127), 0u);
    sendNoteOff(nullptr, 0, 5, 0, 0);
    EXPECT_EQ(sendPitchBend(nullptr, 0, 8191) + sendProgramChange(nullptr, 9, 0), 0u);
    sendPitchBend(nullptr, 3, 16383);
    sendPitchBend(nullptr, 0, 0);
    performance.channel = 4;
    performance.program = 40;
    applyProgram();
    EXPECT_EQ(sent(), "on 62 v100@2, off 50@15, bend 8191, program 0@9, bend 16383@3, bend 0, "
                      "program 40@4, program 40@15");
    silenceAllChannels();
    EXPECT_EQ(sent(), "notes off, notes off@1, notes off@2, notes off@3, notes off@4, notes off@5, "
                      "notes off@6, notes off@7, notes off@8, notes off@9, notes off@10, "
                      "notes off@11, notes off@12, notes off@13, notes off@14, notes off@15");
}

// The value after a scroll code and thumb position, -1 for none: the velocity bar steps and clamps
// to 1..127 (its thumb at 128 - velocity); the bend bar follows a drag only, and springs back.
TEST(ExpressionBars, ScrollCodesClampingAndTheBendSpringingBack) {
    const std::tuple<int, int, int, int> velocity[] = {// clang-format off
        {64, scrollLineUp, 0, 65},      {127, scrollLineUp, 0, 127},  {64, scrollLineDown, 0, 63},
        {1, scrollLineDown, 0, 1},      {64, scrollPageUp, 0, 72},    {125, scrollPageUp, 0, 127},
        {64, scrollPageDown, 0, 56},    {5, scrollPageDown, 0, 1},    {64, scrollThumbTrack, 1, 127},
        {64, scrollThumbTrack, 0, 127}, {64, scrollThumbPosition, 127, 1},
        {64, scrollThumbPosition, 28, 100}, {64, 6, 50, -1},          {64, 8, 50, -1}};
    for (const auto& [before, code, thumb, after] : velocity)
        EXPECT_EQ(velocityAfterScroll(before, code, thumb).value_or(-1), after)
            << before << " " << code << " " << thumb;
    const std::tuple<int, int, int> bend[] = {
        {scrollThumbTrack, 1, 16382}, {scrollThumbTrack, 16383, 0}, {scrollThumbTrack, 8192, 8191},
        {scrollThumbTrack, 20000, 0}, {scrollThumbTrack, -5, 16383}, {scrollThumbPosition, 100, 8191},
        {scrollLineUp, 100, -1},      {scrollLineDown, 100, -1},    {scrollPageUp, 100, -1},
        {scrollPageDown, 100, -1},    {8, 100, -1}}; // clang-format on
    for (const auto& [code, thumb, after] : bend)
        EXPECT_EQ(pitchBendAfterScroll(code, thumb).value_or(-1), after) << code << " " << thumb;
    EXPECT_EQ(velocityThumb(127), 1);
    EXPECT_EQ(pitchBendThumb(8191), pitchBendThumbStart);
}
