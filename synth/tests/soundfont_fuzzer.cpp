// Any bytes to the SoundFont reader: it refuses them, or every index and range it promises holds.
#include "synth/soundfont.h"

#include <cstdlib>

namespace {

// Entry i's items run from its first index to entry i + 1's, all inside the next table.
template <typename Entry, typename Index>
bool itemsInside(const std::vector<Entry>& entries, Index index, size_t count) {
    for (size_t i = 0; i + 1 < entries.size(); ++i)
        if (entries[i].*index > entries[i + 1].*index)
            return false;
    return entries.back().*index < count;
}

template <typename Header> bool namesEnd(const std::vector<Header>& headers) {
    for (const Header& h : headers)
        if (h.name[20] != 0)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SoundFont font;
    if (!decodeSoundFont(data, size, font).empty()) {
        if (!font.presets.empty() || !font.samples.empty()) // a refused file leaves the font alone
            std::abort();
        return 0;
    }
    if (font.presets.size() < 2 || font.instruments.size() < 2 || font.sampleHeaders.empty() ||
        font.presetZones.empty() || font.instrumentZones.empty() || font.presetGenerators.empty() ||
        font.instrumentGenerators.empty() || font.presetModulators.empty() ||
        font.instrumentModulators.empty())
        std::abort();
    if (!itemsInside(font.presets, &SfPresetHeader::firstZone, font.presetZones.size()) ||
        !itemsInside(font.presetZones, &SfZone::firstGenerator, font.presetGenerators.size()) ||
        !itemsInside(font.presetZones, &SfZone::firstModulator, font.presetModulators.size()) ||
        !itemsInside(font.instruments, &SfInstrumentHeader::firstZone,
                     font.instrumentZones.size()) ||
        !itemsInside(font.instrumentZones, &SfZone::firstGenerator,
                     font.instrumentGenerators.size()) ||
        !itemsInside(font.instrumentZones, &SfZone::firstModulator,
                     font.instrumentModulators.size()))
        std::abort();
    for (const SfGenerator& g : font.presetGenerators)
        if (g.oper == sfInstrument && g.amount + size_t{1} >= font.instruments.size())
            std::abort();
    for (const SfGenerator& g : font.instrumentGenerators)
        if (g.oper == sfSampleID && g.amount + size_t{1} >= font.sampleHeaders.size())
            std::abort();
    for (size_t i = 0; i + 1 < font.sampleHeaders.size(); ++i)
        if (const SfSampleHeader& s = font.sampleHeaders[i];
            s.start > s.end || s.end > font.samples.size() || (s.type & 0x10) != 0)
            std::abort();
    if (!namesEnd(font.presets) || !namesEnd(font.instruments) || !namesEnd(font.sampleHeaders))
        std::abort();
    if (font.samples.size() * 2 > size) // the samples are the file's own
        std::abort();
    return 0;
}
