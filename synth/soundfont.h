// A SoundFont 2 file as read: its 16-bit sample data and its preset, instrument and sample tables,
// every count, index and range checked against what the file holds. No Windows headers here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Generator operators the synthesizer reads (SoundFont 2.01, section 8.1.2).
enum SfGeneratorOperator : uint16_t {
    sfStartAddrsOffset = 0,
    sfEndAddrsOffset = 1,
    sfStartloopAddrsOffset = 2,
    sfEndloopAddrsOffset = 3,
    sfStartAddrsCoarseOffset = 4,
    sfModLfoToPitch = 5,
    sfVibLfoToPitch = 6,
    sfModEnvToPitch = 7,
    sfInitialFilterFc = 8,
    sfInitialFilterQ = 9,
    sfModLfoToFilterFc = 10,
    sfModEnvToFilterFc = 11,
    sfEndAddrsCoarseOffset = 12,
    sfModLfoToVolume = 13,
    sfChorusEffectsSend = 15,
    sfReverbEffectsSend = 16,
    sfPan = 17,
    sfDelayModLFO = 21,
    sfFreqModLFO = 22,
    sfDelayVibLFO = 23,
    sfFreqVibLFO = 24,
    sfDelayModEnv = 25,
    sfAttackModEnv = 26,
    sfHoldModEnv = 27,
    sfDecayModEnv = 28,
    sfSustainModEnv = 29,
    sfReleaseModEnv = 30,
    sfKeynumToModEnvHold = 31,
    sfKeynumToModEnvDecay = 32,
    sfDelayVolEnv = 33,
    sfAttackVolEnv = 34,
    sfHoldVolEnv = 35,
    sfDecayVolEnv = 36,
    sfSustainVolEnv = 37,
    sfReleaseVolEnv = 38,
    sfKeynumToVolEnvHold = 39,
    sfKeynumToVolEnvDecay = 40,
    sfInstrument = 41,
    sfKeyRange = 43,
    sfVelRange = 44,
    sfStartloopAddrsCoarseOffset = 45,
    sfKeynum = 46,
    sfVelocity = 47,
    sfInitialAttenuation = 48,
    sfEndloopAddrsCoarseOffset = 50,
    sfCoarseTune = 51,
    sfFineTune = 52,
    sfSampleID = 53,
    sfSampleModes = 54,
    sfScaleTuning = 56,
    sfExclusiveClass = 57,
    sfOverridingRootKey = 58,
    sfGeneratorCount = 61, // operators from here on are unused and skipped
};

struct SfGenerator {
    uint16_t oper;
    uint16_t amount; // as stored: a signed value, an unsigned one, or a range (low byte low)
};

struct SfModulator {
    uint16_t source;
    uint16_t destination;
    int16_t amount;
    uint16_t amountSource;
    uint16_t transform;
};

struct SfPresetHeader {
    char name[21]; // always ends in a 0
    uint16_t program;
    uint16_t bank;
    uint16_t firstZone; // into presetZones; its zones end where the next header's begin
};

struct SfInstrumentHeader {
    char name[21];
    uint16_t firstZone; // into instrumentZones
};

struct SfZone {
    uint16_t firstGenerator; // its generators end where the next zone's begin
    uint16_t firstModulator;
};

struct SfSampleHeader {
    char name[21];
    uint32_t start; // sample points into SoundFont::samples; start <= end <= samples.size()
    uint32_t end;
    uint32_t loopStart; // as stored: a voice keeps its loop inside start..end itself
    uint32_t loopEnd;
    uint32_t sampleRate;
    uint8_t originalPitch;
    int8_t pitchCorrection; // cents
    uint16_t link;
    uint16_t type; // 1 mono, 2 right, 4 left, 8 linked; 0x8000 ROM
};

// Each table keeps the file's closing record ("EOP", "EOI", "EOS" and the last zone, generator and
// modulator), so that the items of entry i run from its first index to entry i + 1's. Checked on
// reading: every table has its closing record; the first indices never go down and the last ones
// lie inside the next table; every sfInstrument generator names an instrument and every
// sfSampleID generator a sample before the closing records; every sample's start and end lie in
// the sample data with start <= end.
struct SoundFont {
    std::vector<int16_t> samples;
    std::vector<SfPresetHeader> presets;
    std::vector<SfZone> presetZones;
    std::vector<SfModulator> presetModulators;
    std::vector<SfGenerator> presetGenerators;
    std::vector<SfInstrumentHeader> instruments;
    std::vector<SfZone> instrumentZones;
    std::vector<SfModulator> instrumentModulators;
    std::vector<SfGenerator> instrumentGenerators;
    std::vector<SfSampleHeader> sampleHeaders;
};

// Reads the file at data; fills out only on success. Returns an empty text on success, else a
// message with one "%s" for the file's name that says what is wrong ("文件%s不是SoundFont文件.",
// a compressed SoundFont, or which table is broken and how).
std::wstring decodeSoundFont(const uint8_t* data, size_t size, SoundFont& out);
std::wstring readSoundFont(const std::filesystem::path& path, SoundFont& out);
