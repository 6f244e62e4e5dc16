// Short MIDI messages to the output device, and the rules of the velocity and pitch-bend bars.
#pragma once

#include "engine/platform.h"

#include <cstdint>
#include <optional>

inline constexpr int statusNoteOff = 0x80;
inline constexpr int statusNoteOn = 0x90;
inline constexpr int statusControlChange = 0xB0;
inline constexpr int statusProgramChange = 0xC0;
inline constexpr int statusPitchBend = 0xE0;
inline constexpr int controllerAllNotesOff = 123;

// status | channel | data1 << 8 | data2 << 16. Callers pass channel 0..15 and data bytes 0..127.
uint32_t packShortMessage(int status, int channel, int data1, int data2);

uint32_t sendShortMessage(MidiOutHandle handle, int status, int channel, int data1, int data2);

// The note is noteNumber(octave, semitone, performance.keyMode); nothing is sent (result 0) when
// keyMode names no key/mode. The octave already includes any shift.
uint32_t sendNoteOn(MidiOutHandle handle, int channel, int octave, int semitone, int velocity);
uint32_t sendNoteOff(MidiOutHandle handle, int channel, int octave, int semitone, int velocity);
uint32_t sendProgramChange(MidiOutHandle handle, int channel, int program);
uint32_t sendPitchBend(MidiOutHandle handle, int channel, int value); // value 0..16383

// All Notes Off on channels 0..15 in ascending order, on performance.midiOut.
void silenceAllChannels();

// The current program on the play channel, then on the bass channel.
void applyProgram();

// Scroll codes of WM_VSCROLL.
inline constexpr int scrollLineUp = 0;
inline constexpr int scrollLineDown = 1;
inline constexpr int scrollPageUp = 2;
inline constexpr int scrollPageDown = 3;
inline constexpr int scrollThumbPosition = 4;
inline constexpr int scrollThumbTrack = 5;

// The velocity bar's range is 1..127 with the loudest at the top: thumb = 128 - velocity.
inline constexpr int velocityBarMin = 1;
inline constexpr int velocityBarMax = 127;
inline int velocityThumb(int velocity) {
    return 128 - velocity;
}
// The new velocity for a scroll code, clamped to 1..127; none for codes that change nothing.
std::optional<int> velocityAfterScroll(int velocity, int scrollCode, int thumbPosition);

// The pitch-bend bar is a spring-loaded wheel over 1..16383: thumb = 16383 - bend value.
inline constexpr int pitchBendBarMin = 1;
inline constexpr int pitchBendBarMax = 16383;
inline constexpr int pitchBendThumbStart = 8192;
inline int pitchBendThumb(int value) {
    return 16383 - value;
}
// The bend to send for a scroll code: dragging follows the thumb, letting go returns to 8191;
// none for arrows, page clicks and end scroll.
std::optional<int> pitchBendAfterScroll(int scrollCode, int thumbPosition);
