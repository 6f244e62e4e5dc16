// The recording as a Standard MIDI File: format 0, or format 1 with a bass track on channel 16.
#pragma once

#include "recording/perf_event.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

inline constexpr uint32_t midiTicksPerQuarter = 192;
inline constexpr uint32_t midiTempoMicroseconds = 759494; // per quarter note

// The bytes one track body may need for count events; none when the track length field (32 bits)
// or memory could not describe it.
std::optional<size_t> midiTrackCapacity(size_t count);

using MidiBytes = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

// The file in two pieces of one buffer: the header chunk with the melody track at the start, the
// bass track (none without automatic bass) further on, so that neither has to be moved.
struct MidiFileParts {
    MidiBytes storage;
    size_t headSize;
    size_t bassOffset;
    size_t bassSize;
};

// The file; none when keyMode names no key/mode (and there are events) or memory runs out.
// Each event's time from the start of the track is rounded down to a tick, and the deltas are
// the differences of those times.
// Notes are the played pitch, with 12 x the event's octave shift; events that name no key, or
// carry a shift outside -1..+1, write nothing and hand their delay on to the next event.
std::optional<MidiFileParts> encodeMidiParts(const EventList& list, int keyMode, int program,
                                             bool autoBass);
std::optional<MidiBytes> encodeMidiFile(const EventList& list, int keyMode, int program,
                                        bool autoBass);

// Writes the file at path: null when done, else what went wrong, as the recording file's writer
// says it (a file that cannot be created or replaced; a write that failed, a key/mode that names
// none, or no memory for the file). On failure nothing is left behind and an existing file is
// untouched.
const wchar_t* exportMidiFile(const EventList& list, int keyMode, int program, bool autoBass,
                              const std::filesystem::path& path);
