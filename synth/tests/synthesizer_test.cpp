#include "synth/synthesizer.h"
#include "synth/tests/synth_test_font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr uint32_t noteOn(int channel, int key, int velocity) {
    return 0x90 | channel | key << 8 | velocity << 16;
}
constexpr uint32_t noteOff(int channel, int key) {
    return 0x80 | channel | key << 8;
}
constexpr uint32_t control(int channel, int controller, int value) {
    return 0xB0 | channel | controller << 8 | value << 16;
}

// The sine, looped, on every key of bank 0 program 0; held notes sound until released, and a
// release lasts about 10 ms (-6 600 timecents). Program 1: the sine unlooped through a low-pass
// filter at 262 Hz (6 000 cents). Exclusive class 1 on the drum bank.
SoundFont testFont() {
    const std::vector<SfGenerator> hat = {gen(sfSampleModes, 1), gen(sfExclusiveClass, 1),
                                          gen(sfSampleID, 0)};
    return buildFont({{{0, 0, {{gen(sfInstrument, 0)}}},
                       {0, 1, {{gen(sfInstrument, 2)}}},
                       {128, 0, {{gen(sfInstrument, 1)}}}},
                      {{{gen(sfSampleModes, 1), gen(sfReleaseVolEnv, -6600), gen(sfSampleID, 0)}},
                       {hat, hat}, // a hi-hat of two samples, as stereo ones are
                       {{gen(sfInitialFilterFc, 6000), gen(sfSampleID, 0)}}}});
}

struct Rendered {
    std::vector<float> left;
    float peak(size_t from, size_t to) const {
        float p = 0;
        for (size_t i = from; i < std::min(to, left.size()); ++i)
            p = std::max(p, std::abs(left[i]));
        return p;
    }
    // Upward zero crossings a second, over [from, to).
    double frequency(size_t from, size_t to) const {
        int crossings = 0;
        for (size_t i = from + 1; i < to; ++i)
            crossings += left[i - 1] < 0 && left[i] >= 0;
        return crossings * 48000.0 / double(to - from);
    }
};

Rendered render(Synthesizer* synth, size_t frames) {
    std::vector<float> out(2 * frames);
    synthRender(synth, out.data(), frames);
    Rendered r;
    for (size_t i = 0; i < frames; ++i)
        r.left.push_back(out[2 * i]);
    return r;
}

struct SynthTest : ::testing::Test {
    SoundFont font = testFont();
    Synthesizer* synth = synthCreate(font, SynthSettings{48000, 4});
    ~SynthTest() override { synthDestroy(synth); }
};

} // namespace

// Key 72 an octave over the sample's root, and a whole tone higher with the wheel at its top;
// velocity 64 sounds 11.9 dB below 127 (-40 log10(64/127)); released, the note falls silent.
TEST_F(SynthTest, PitchVelocityAndRelease) {
    synthSend(synth, noteOn(0, 72, 127));
    Rendered loud = render(synth, 9600);
    EXPECT_NEAR(loud.frequency(4800, 9600), 960, 12);
    synthSend(synth, 0xE0 | 0x7F << 8 | 0x7F << 16);
    EXPECT_NEAR(render(synth, 9600).frequency(4800, 9600), 960 * std::exp2(2 / 12.0), 12);
    synthSend(synth, noteOff(0, 72));
    synthSend(synth, noteOn(0, 60, 64));
    const Rendered soft = render(synth, 9600);
    EXPECT_NEAR(soft.frequency(4800, 9600), 480 * std::exp2(2 / 12.0), 12); // the wheel stays
    EXPECT_NEAR(20 * std::log10(soft.peak(4800, 9600) / loud.peak(4800, 9600)), -11.9, 0.3);
    synthSend(synth, noteOff(0, 60));
    render(synth, 4800);
    EXPECT_EQ(synthActiveVoices(synth), 0u);
    EXPECT_EQ(render(synth, 480).peak(0, 480), 0.0f);
}

// The first sound comes with the block after the message, never before; the pedal holds a
// released note until it goes up; all notes off releases even held ones; all sound off cuts.
TEST_F(SynthTest, PedalAllNotesOffAndAllSoundOff) {
    EXPECT_EQ(render(synth, 480).peak(0, 480), 0.0f);
    synthSend(synth, control(0, 64, 127));
    synthSend(synth, noteOn(0, 60, 100));
    synthSend(synth, noteOff(0, 60));
    EXPECT_GT(render(synth, 4800).peak(0, 4800), 0.01f);
    EXPECT_GT(render(synth, 4800).peak(2400, 4800), 0.01f) << "the pedal lets it ring";
    synthSend(synth, control(0, 64, 0));
    render(synth, 4800);
    EXPECT_EQ(synthActiveVoices(synth), 0u);

    synthSend(synth, control(0, 64, 127));
    synthSend(synth, noteOn(0, 62, 100));
    synthSend(synth, noteOff(0, 62));
    render(synth, 480);
    synthSend(synth, control(0, 123, 0));
    render(synth, 4800);
    EXPECT_EQ(synthActiveVoices(synth), 0u) << "all notes off releases a held note";

    synthSend(synth, noteOn(1, 64, 100));
    render(synth, 480);
    synthSend(synth, control(1, 120, 0));
    EXPECT_LT(render(synth, 240).peak(200, 240), 1e-6f) << "all sound off: gone in 2 ms";
    EXPECT_EQ(synthActiveVoices(synth), 0u);
}

// Four voices: a fifth note takes the quietest released one (faded, not cut), so four sound;
// a drum of the same exclusive class cuts the one before, but not its own other sample.
TEST_F(SynthTest, VoiceLimitAndExclusiveClass) {
    for (int key : {60, 62, 64, 65})
        synthSend(synth, noteOn(0, key, 127));
    render(synth, 480);
    synthSend(synth, noteOff(0, 62));
    synthSend(synth, noteOn(0, 67, 127));
    render(synth, 48); // the taken voice is still fading
    EXPECT_EQ(synthActiveVoices(synth), 5u);
    render(synth, 480);
    EXPECT_EQ(synthActiveVoices(synth), 4u);
    synthSend(synth, control(0, 120, 0));
    synthSend(synth, noteOn(9, 42, 127));
    render(synth, 480);
    synthSend(synth, noteOn(9, 46, 127));
    render(synth, 480);
    EXPECT_EQ(synthActiveVoices(synth), 2u) << "the second hi-hat cuts the first";
}

// Expression 64 takes 11.9 dB off as velocity 64 does; a note 2 octaves over a low-pass filter's
// cutoff loses more than 20 dB; an unlooped sample ends by itself.
TEST_F(SynthTest, ExpressionFilterAndAnUnloopedSample) {
    synthSend(synth, noteOn(0, 72, 127));
    const float full = render(synth, 4800).peak(2400, 4800);
    synthSend(synth, control(0, 11, 64));
    EXPECT_NEAR(20 * std::log10(render(synth, 4800).peak(2400, 4800) / full), -11.9, 0.3);
    synthSend(synth, control(0, 121, 0));
    synthSend(synth, noteOff(0, 72));
    synthSend(synth, 0xC1 | 1 << 8); // program 1 on channel 2
    synthSend(synth, noteOn(1, 72, 127));
    EXPECT_LT(20 * std::log10(render(synth, 1200).peak(600, 1200) / full), -20);
    render(synth, 2400); // the 4 800 points at twice their speed
    EXPECT_EQ(synthActiveVoices(synth), 0u);
}

// At 44.1 kHz the same note has the same pitch: the 48 kHz sample is stepped through more slowly.
TEST(Synth, TheOutputRateKeepsThePitch) {
    const SoundFont font = testFont();
    Synthesizer* synth = synthCreate(font, SynthSettings{44100, 4});
    synthSend(synth, noteOn(0, 72, 127));
    const Rendered r = render(synth, 8820);
    synthDestroy(synth);
    EXPECT_NEAR(r.frequency(4410, 8820) * 44100 / 48000, 960, 12); // crossings counted at 48 kHz
}

// The queue holds 4 096 messages between two blocks; a full one refuses more until a block
// takes them up.
// The queue holds 4096 messages; the next block takes all of them and counts them as taken.
TEST_F(SynthTest, AFullQueueRefusesMessages) {
    for (int i = 0; i < 4096; ++i)
        ASSERT_TRUE(synthSend(synth, control(0, 7, 100)));
    EXPECT_FALSE(synthSend(synth, control(0, 7, 100)));
    EXPECT_EQ(synthMessagesTaken(synth), 0u);
    render(synth, 1);
    EXPECT_EQ(synthMessagesTaken(synth), 4096u);
    EXPECT_TRUE(synthSend(synth, control(0, 7, 100)));
    render(synth, 1);
    EXPECT_EQ(synthMessagesTaken(synth), 4097u);
}
