// A SoundFont's presets flattened for playing: each preset zone crossed with each zone of its
// instrument gives a region with its own key and velocity ranges, one sample and every generator's
// final value, so that a note-on only has to find the regions it falls in.
#pragma once

#include "synth/soundfont.h"

#include <array>
#include <cstdint>
#include <vector>

struct SfRegion {
    uint8_t keyLow = 0, keyHigh = 127, velocityLow = 0, velocityHigh = 127;
    uint16_t sample = 0;                          // into SoundFont::sampleHeaders
    std::array<int32_t, sfGeneratorCount> values; // instrument value, plus the preset's where added
};

struct SfPreset {
    uint16_t bank;
    uint16_t program;
    std::vector<SfRegion> regions;
};

// The value each generator has when no zone sets it.
int32_t generatorDefault(unsigned oper);

// Every preset of the font but the closing record, with its regions. An instrument's global zone
// (a first zone without a sample) gives the values its other zones start from, and a preset's
// global zone likewise; a zone's own generators replace those. The preset's values are then added
// to the instrument's, except for the generators only an instrument may set; ranges intersect.
std::vector<SfPreset> presetRegions(const SoundFont& font);
