// A recording described in words: the summary of `info` and the note list of `notation`.
#pragma once

#include "engine/key_table.h"
#include "recording/recording_file.h"

#include <cstdint>
#include <functional>
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
// Takes the text a piece at a time; false when it could not take it all.
using TextWriter = std::function<bool(const std::wstring&)>;

// The key/mode, then one line per note in order of start: start, length, degree, key, note name,
// each column followed by at least one blank. Handed to write as it is made, so that a long
// recording's text is never all in memory; false as soon as write fails.
bool writeRecordingNotation(const LoadedRecording& recording, const TextWriter& write);
