// Any bytes to the MIDI reader, its notes to the import: both hold to their rules.
#include "cli/midi_import.h"
#include "cli/midi_reader.h"
#include "recording/playback_scheduler.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MidiSong song;
    if (decodeMidiSong(data, size, song).format != nullptr)
        return 0;
    for (size_t i = 0; i < song.notes.size(); ++i)
        if (const MidiNote& n = song.notes[i]; n.endUs < n.startUs || n.note > 127 ||
                                               n.channel > 15 || n.track >= song.trackCount ||
                                               (i > 0 && n.startUs < song.notes[i - 1].startUs))
            std::abort();
    const ImportPlan plan = planImport(song.notes, chooseKeyMode(song.notes));
    long held = 0;
    for (const PerfEvent& event : plan.events)
        if ((held += event.message == messageKeyDown ? 1 : -1) < 0 ||
            event.delayMs < playbackSpacingMs)
            std::abort();
    if (!plan.tooLong && (held != 0 || plan.events.size() != 2 * plan.notes)) // unless cut short
        std::abort();
    if (plan.notes + plan.merged + plan.leftOut != song.notes.size()) // every note accounted for
        std::abort();
    return 0;
}
