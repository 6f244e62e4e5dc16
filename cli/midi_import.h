// A song's notes turned into the key presses and releases of a recording: the key that plays each
// note, its octave shift, and delays that the playback timer keeps.
#pragma once

#include "cli/midi_reader.h"
#include "recording/perf_event.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

struct KeyChoice {
    unsigned scan;
    int octaveShift;
};

// The key that plays note in keyMode: without an octave shift where a key reaches it (the key of
// the two middle rows where two keys play it), else with Shift or Ctrl; none when no key does.
std::optional<KeyChoice> keyForNote(int note, int keyMode);

// The key/mode of the 24 that leaves the fewest notes without a key; C major on a tie.
int chooseKeyMode(const std::vector<MidiNote>& notes);

struct ImportPlan {
    EventList events;
    size_t notes = 0;      // notes in the recording
    size_t leftOut = 0;    // notes no key reaches, even with a shift
    size_t merged = 0;     // notes that start with another of the same pitch, played as one
    size_t shortened = 0;  // notes ended early because the same pitch started again
    uint64_t latestMs = 0; // the most a note starts after its time in the song
    bool tooLong = false;  // a delay does not fit the event's 32 bits
};

// Each note a press and a release of its key. Events of one moment go releases first, then
// presses, lowest note first, spread the playback timer's spacing apart: the releases just before
// the moment when presses follow them, the presses from the moment on. The delays are written
// already spread, so that playback does not add the spreading up over the song.
ImportPlan planImport(const std::vector<MidiNote>& notes, int keyMode);
