#include "engine/midi_output.h"

#include "engine/key_table.h"
#include "engine/performance_state.h"

#include <algorithm>

uint32_t packShortMessage(int status, int channel, int data1, int data2) {
    return static_cast<uint32_t>(status | channel | data1 << 8 | data2 << 16);
}

uint32_t sendShortMessage(MidiOutHandle handle, int status, int channel, int data1, int data2) {
    return platformMidiSend(handle, packShortMessage(status, channel, data1, data2));
}

namespace {

uint32_t sendNote(MidiOutHandle handle, int status, int channel, int octave, int semitone,
                  int velocity) {
    const std::optional<int> note = noteNumber(octave, semitone, performance.keyMode);
    if (!note)
        return 0;
    return sendShortMessage(handle, status, channel, *note, velocity);
}

} // namespace

uint32_t sendNoteOn(MidiOutHandle handle, int channel, int octave, int semitone, int velocity) {
    return sendNote(handle, statusNoteOn, channel, octave, semitone, velocity);
}

uint32_t sendNoteOff(MidiOutHandle handle, int channel, int octave, int semitone, int velocity) {
    return sendNote(handle, statusNoteOff, channel, octave, semitone, velocity);
}

uint32_t sendProgramChange(MidiOutHandle handle, int channel, int program) {
    return sendShortMessage(handle, statusProgramChange, channel, program, 0);
}

uint32_t sendPitchBend(MidiOutHandle handle, int channel, int value) {
    return sendShortMessage(handle, statusPitchBend, channel, value & 0x7F, value >> 7);
}

void silenceAllChannels() {
    for (int channel = 0; channel < 16; ++channel)
        sendShortMessage(performance.midiOut, statusControlChange, channel, controllerAllNotesOff,
                         0);
}

void applyProgram() {
    sendProgramChange(performance.midiOut, performance.channel, performance.program);
    sendProgramChange(performance.midiOut, bassChannel, performance.program);
}

std::optional<int> velocityAfterScroll(int velocity, int scrollCode, int thumbPosition) {
    int next;
    switch (scrollCode) {
    case scrollLineUp:
        next = velocity + 1;
        break;
    case scrollLineDown:
        next = velocity - 1;
        break;
    case scrollPageUp:
        next = velocity + 8;
        break;
    case scrollPageDown:
        next = velocity - 8;
        break;
    case scrollThumbPosition:
    case scrollThumbTrack:
        next = 128 - thumbPosition;
        break;
    default:
        return std::nullopt;
    }
    return std::clamp(next, 1, 127);
}

std::optional<int> pitchBendAfterScroll(int scrollCode, int thumbPosition) {
    switch (scrollCode) {
    case scrollThumbTrack:
        return std::clamp(16383 - thumbPosition, 0, 16383);
    case scrollThumbPosition:
        return 8191; // not the MIDI centre 8192: what letting go has always sent
    default:
        return std::nullopt;
    }
}
