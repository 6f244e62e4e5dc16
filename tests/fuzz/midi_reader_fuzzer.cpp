// Feeds arbitrary bytes to the MIDI file reader and what it reads to the import: the reader must
// fail cleanly or hand back notes that make sense, and the import must press and release each
// key it plays, never closer together than playback can keep.
#include "cli/midi_import.h"
#include "cli/midi_reader.h"
#include "recording/playback_scheduler.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MidiSong song;
    if (decodeMidiSong(data, size, song).format != nullptr)
        return 0;
    for (size_t i = 0; i < song.notes.size(); ++i) {
        const MidiNote& n = song.notes[i];
        if (n.endUs < n.startUs || n.note > 127 || n.channel > 15 || n.track >= song.trackCount ||
            (i > 0 && n.startUs < song.notes[i - 1].startUs))
            std::abort();
    }
    const ImportPlan plan = planImport(song.notes, chooseKeyMode(song.notes));
    if (plan.tooLong)
        return 0;
    long held = 0;
    for (const PerfEvent& event : plan.events) {
        held += event.message == messageKeyDown ? 1 : -1;
        if (held < 0 || event.delayMs < playbackSpacingMs)
            std::abort();
    }
    if (held != 0 || plan.events.size() != 2 * plan.notes)
        std::abort();
    return 0;
}
