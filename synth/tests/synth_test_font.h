// A small SoundFont built in memory for the synthesizer's tests: one sine sample and the zones a
// test asks for.
#pragma once

#include "synth/soundfont.h"

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <numbers>
#include <vector>

inline SfGenerator gen(uint16_t oper, int amount) {
    return {oper, uint16_t(int16_t(amount))};
}
inline SfGenerator range(uint16_t oper, int low, int high) {
    return {oper, uint16_t(low | high << 8)};
}

inline SfSampleHeader sampleHeader(uint32_t start, uint32_t end, uint32_t loopStart,
                                   uint32_t loopEnd, uint8_t pitch) {
    SfSampleHeader h{};
    std::strcpy(h.name, "sine");
    h.start = start, h.end = end, h.loopStart = loopStart, h.loopEnd = loopEnd;
    h.sampleRate = 48000, h.originalPitch = pitch, h.type = 1;
    return h;
}

// Presets and instruments, each a list of zones, each zone a list of generators; the closing
// records are added here.
struct FontPlan {
    struct Preset {
        uint16_t bank, program;
        std::vector<std::vector<SfGenerator>> zones;
    };
    std::vector<Preset> presets;
    std::vector<std::vector<std::vector<SfGenerator>>> instruments;
};

inline SoundFont buildFont(const FontPlan& plan) {
    SoundFont font;
    // A sine of period 100 points (480 Hz at 48 kHz) over 4 800 points, looped whole from 100.
    for (int i = 0; i < 4800; ++i)
        font.samples.push_back(
            int16_t(std::lrint(16000 * std::sin(2 * std::numbers::pi * i / 100))));
    font.samples.resize(4846, 0); // and the zeros a sample ends with
    font.sampleHeaders = {sampleHeader(0, 4800, 100, 4800, 60), sampleHeader(0, 0, 0, 0, 0)};
    for (const FontPlan::Preset& p : plan.presets) {
        SfPresetHeader h{};
        h.bank = p.bank, h.program = p.program, h.firstZone = uint16_t(font.presetZones.size());
        font.presets.push_back(h);
        for (const auto& zone : p.zones) {
            font.presetZones.push_back({uint16_t(font.presetGenerators.size()), 0});
            font.presetGenerators.insert(font.presetGenerators.end(), zone.begin(), zone.end());
        }
    }
    font.presets.push_back({"EOP", 0, 0, uint16_t(font.presetZones.size())});
    font.presetZones.push_back({uint16_t(font.presetGenerators.size()), 0});
    font.presetGenerators.push_back({0, 0});
    for (const auto& instrument : plan.instruments) {
        font.instruments.push_back({"", uint16_t(font.instrumentZones.size())});
        for (const auto& zone : instrument) {
            font.instrumentZones.push_back({uint16_t(font.instrumentGenerators.size()), 0});
            font.instrumentGenerators.insert(font.instrumentGenerators.end(), zone.begin(),
                                             zone.end());
        }
    }
    font.instruments.push_back({"EOI", uint16_t(font.instrumentZones.size())});
    font.instrumentZones.push_back({uint16_t(font.instrumentGenerators.size()), 0});
    font.instrumentGenerators.push_back({0, 0});
    font.presetModulators = font.instrumentModulators = {SfModulator{}};
    return font;
}
