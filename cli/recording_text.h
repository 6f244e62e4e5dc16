// A recording described in words: the summary of `info` and the note list of `notation`.
#pragma once

#include "engine/key_table.h"
#include "recording/recording_file.h"

#include <cstdint>
#include <string>

// m:ss.mmm
std::wstring formatTime(uint64_t ms);
// The note's name with middle C (60) as C4: "C4", "F#5".
std::wstring noteName(int note);
// The label on the key with its octave dots: ".." before for octave 3, "." before for octave 4,
// "." after for octave 6 ("..5", ".1", "1", "1.").
std::wstring degreeText(const KeySlot& slot);
// The key's legend on a US keyboard, with "Shift+" or "Ctrl+" for a raised or lowered chord.
std::wstring keyText(unsigned scan, int octaveShift);

// Key/mode, automatic bass, events and notes, duration, lowest and highest note, and whether
// raised or lowered chords occur; one line each.
std::wstring recordingInfo(const LoadedRecording& recording);
// The key/mode, then one line per note: start, length, degree, key, note name.
std::wstring recordingNotation(const LoadedRecording& recording);
