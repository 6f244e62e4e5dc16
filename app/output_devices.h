// The devices of the device menu: the system's MIDI output devices, then one built-in synthesizer
// for every SoundFont (*.sf2) beside the program, in name order. This file's functions carry out
// the core's MIDI device functions (engine/platform.h) over both kinds: a device index below the
// number of MIDI devices names one of those, the indexes after them the built-in synthesizers.
// The list is taken when the device count is asked for, once as the main window is created.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The device index of the first built-in synthesizer, none when no SoundFont is beside the program.
std::optional<int> firstBuiltinSynthDevice();

// The SoundFont files of a folder, in name order (letter case aside); none when it cannot be read.
std::vector<std::filesystem::path> soundFontsIn(const std::filesystem::path& folder);

// The two kinds of device underneath. The system's MIDI output devices (midi_ports_win32.cpp):
// index -1 is the MIDI mapper.
unsigned midiPortCount();
bool midiPortName(int index, std::wstring& name);
void* midiPortOpen(int index); // null when it cannot be opened
uint32_t midiPortSend(void* port, uint32_t packedMessage);
void midiPortClose(void* port);

// The built-in synthesizer on the system's audio output (builtin_synth_win32.cpp). Open reads the
// SoundFont and starts the sound; null when either fails. Close never waits for the sound to end.
struct BuiltinSynth;
std::filesystem::path soundFontFolder(); // the program's own folder
BuiltinSynth* builtinSynthOpen(const std::filesystem::path& soundFont);
void builtinSynthSend(BuiltinSynth* synth, uint32_t packedMessage);
void builtinSynthClose(BuiltinSynth* synth);
// At the end of the program: waits, a bounded time, for closed synthesizers to let go of the
// audio output, so that none is cut off in the middle of releasing it.
void builtinSynthFinish();
