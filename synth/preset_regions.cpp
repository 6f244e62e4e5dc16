#include "synth/preset_regions.h"

#include <algorithm>
#include <optional>

namespace {

// Generators that a preset zone may not change: sample offsets, fixed key and velocity, sample
// modes, exclusive class and root key. Their preset values are ignored.
bool instrumentOnly(unsigned oper) {
    switch (oper) {
    case sfStartAddrsOffset:
    case sfEndAddrsOffset:
    case sfStartloopAddrsOffset:
    case sfEndloopAddrsOffset:
    case sfStartAddrsCoarseOffset:
    case sfEndAddrsCoarseOffset:
    case sfStartloopAddrsCoarseOffset:
    case sfEndloopAddrsCoarseOffset:
    case sfKeynum:
    case sfVelocity:
    case sfSampleModes:
    case sfExclusiveClass:
    case sfOverridingRootKey:
        return true;
    default:
        return false;
    }
}

// One zone's generators as read: each value it sets, its ranges, and the instrument or sample it
// ends with, if any.
struct ZoneValues {
    std::array<std::optional<int32_t>, sfGeneratorCount> set;
    uint8_t keyLow = 0, keyHigh = 127, velocityLow = 0, velocityHigh = 127;
    std::optional<uint16_t> target; // sfInstrument in a preset zone, sfSampleID in an instrument's
};

ZoneValues readZone(const std::vector<SfGenerator>& generators, size_t first, size_t end,
                    uint16_t targetOper) {
    ZoneValues zone;
    for (size_t i = first; i < end; ++i) {
        const SfGenerator& g = generators[i];
        if (g.oper == sfKeyRange) {
            zone.keyLow = g.amount & 0xFF, zone.keyHigh = g.amount >> 8;
        } else if (g.oper == sfVelRange) {
            zone.velocityLow = g.amount & 0xFF, zone.velocityHigh = g.amount >> 8;
        } else if (g.oper == targetOper) {
            zone.target = g.amount;
            break; // the target is a zone's last generator: any after it are ignored
        } else if (g.oper < sfGeneratorCount) {
            zone.set[g.oper] = int16_t(g.amount); // every value generator is a signed word
        }
    }
    return zone;
}

// The zones of one preset or instrument: [first, end) of zones, their generators ending at the
// next zone's first.
std::vector<ZoneValues> readZones(const std::vector<SfZone>& zones,
                                  const std::vector<SfGenerator>& generators, size_t first,
                                  size_t end, uint16_t targetOper) {
    std::vector<ZoneValues> read;
    for (size_t z = first; z < end; ++z)
        read.push_back(
            readZone(generators, zones[z].firstGenerator, zones[z + 1].firstGenerator, targetOper));
    return read;
}

bool overlaps(uint8_t low1, uint8_t high1, uint8_t low2, uint8_t high2) {
    return std::max(low1, low2) <= std::min(high1, high2);
}

} // namespace

int32_t generatorDefault(unsigned oper) {
    switch (oper) {
    case sfInitialFilterFc:
        return 13500;
    case sfDelayModLFO:
    case sfDelayVibLFO:
    case sfDelayModEnv:
    case sfAttackModEnv:
    case sfHoldModEnv:
    case sfDecayModEnv:
    case sfReleaseModEnv:
    case sfDelayVolEnv:
    case sfAttackVolEnv:
    case sfHoldVolEnv:
    case sfDecayVolEnv:
    case sfReleaseVolEnv:
        return -12000;
    case sfKeynum:
    case sfVelocity:
    case sfOverridingRootKey:
        return -1;
    case sfScaleTuning:
        return 100;
    default:
        return 0;
    }
}

std::vector<SfPreset> presetRegions(const SoundFont& font) {
    std::vector<SfPreset> presets;
    for (size_t p = 0; p + 1 < font.presets.size(); ++p) {
        SfPreset preset{font.presets[p].bank, font.presets[p].program, {}};
        std::vector<ZoneValues> presetZones =
            readZones(font.presetZones, font.presetGenerators, font.presets[p].firstZone,
                      font.presets[p + 1].firstZone, sfInstrument);
        ZoneValues presetGlobal;
        if (!presetZones.empty() && !presetZones.front().target)
            presetGlobal = presetZones.front();
        for (const ZoneValues& pz : presetZones) {
            if (!pz.target)
                continue; // the global zone, or one that names no instrument
            const SfInstrumentHeader& inst = font.instruments[*pz.target];
            const std::vector<ZoneValues> instZones =
                readZones(font.instrumentZones, font.instrumentGenerators, inst.firstZone,
                          font.instruments[*pz.target + 1].firstZone, sfSampleID);
            ZoneValues instGlobal;
            if (!instZones.empty() && !instZones.front().target)
                instGlobal = instZones.front();
            for (const ZoneValues& iz : instZones) {
                if (!iz.target || !overlaps(pz.keyLow, pz.keyHigh, iz.keyLow, iz.keyHigh) ||
                    !overlaps(pz.velocityLow, pz.velocityHigh, iz.velocityLow, iz.velocityHigh))
                    continue;
                SfRegion region;
                region.keyLow = std::max(pz.keyLow, iz.keyLow);
                region.keyHigh = std::min(pz.keyHigh, iz.keyHigh);
                region.velocityLow = std::max(pz.velocityLow, iz.velocityLow);
                region.velocityHigh = std::min(pz.velocityHigh, iz.velocityHigh);
                region.sample = *iz.target;
                for (unsigned g = 0; g < sfGeneratorCount; ++g) {
                    int32_t value =
                        iz.set[g].value_or(instGlobal.set[g].value_or(generatorDefault(g)));
                    if (!instrumentOnly(g))
                        value += pz.set[g].value_or(presetGlobal.set[g].value_or(0));
                    region.values[g] = value;
                }
                preset.regions.push_back(region);
            }
        }
        presets.push_back(std::move(preset));
    }
    return presets;
}
