#include "synth/preset_regions.h"
#include "synth/tests/synth_test_font.h"

#include <gtest/gtest.h>

#include <tuple>

// Instrument 0: a global zone (attenuation 100, pan -200), keys 0-59 with pan 100, keys 60-127.
// Instrument 1: one zone. Preset 0: a global zone (attenuation 50), instrument 0 on keys 50-70 at
// velocities 0-100 a whole tone up, instrument 1 with a sample mode a preset may not set.
// Preset 128:0: instrument 1 alone.
TEST(PresetRegions, InstrumentValuesSetPresetValuesAddRangesIntersect) {
    const SoundFont font =
        buildFont({{{0,
                     0,
                     {{gen(sfInitialAttenuation, 50)},
                      {range(sfKeyRange, 50, 70), range(sfVelRange, 0, 100), gen(sfCoarseTune, 2),
                       gen(sfInstrument, 0)},
                      {gen(sfSampleModes, 1), gen(sfInstrument, 1)}}},
                    {128, 0, {{gen(sfInstrument, 1)}}}},
                   {{{gen(sfInitialAttenuation, 100), gen(sfPan, -200)},
                     {range(sfKeyRange, 0, 59), gen(sfPan, 100), gen(sfSampleID, 0)},
                     {range(sfKeyRange, 60, 127), gen(sfSampleID, 0)}},
                    {{gen(sfSampleID, 0)}}}});
    const std::vector<SfPreset> presets = presetRegions(font);
    ASSERT_EQ(presets.size(), 2u);
    EXPECT_TRUE(presets[1].bank == 128 && presets[1].program == 0);
    // keys, velocities, attenuation, pan, coarse tune, sample mode
    using Row = std::tuple<int, int, int, int, int, int, int, int>;
    std::vector<Row> regions;
    for (const SfPreset& p : presets)
        for (const SfRegion& r : p.regions)
            regions.emplace_back(r.keyLow, r.keyHigh, r.velocityLow, r.velocityHigh,
                                 r.values[sfInitialAttenuation], r.values[sfPan],
                                 r.values[sfCoarseTune], r.values[sfSampleModes]);
    EXPECT_EQ(regions, (std::vector<Row>{{50, 59, 0, 100, 150, 100, 2, 0},
                                         {60, 70, 0, 100, 150, -200, 2, 0},
                                         {0, 127, 0, 127, 50, 0, 0, 0},
                                         {0, 127, 0, 127, 0, 0, 0, 0}}));
    // Values no zone sets: the format's defaults.
    const SfRegion& r = presets[1].regions[0];
    EXPECT_EQ(std::tuple(r.values[sfInitialFilterFc], r.values[sfScaleTuning],
                         r.values[sfOverridingRootKey], r.values[sfAttackVolEnv]),
              std::tuple(13500, 100, -1, -12000));
}
