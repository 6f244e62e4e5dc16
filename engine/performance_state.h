// The live settings and input state of the instrument.
#pragma once

#include "engine/key_table.h"
#include "engine/platform.h"

#include <cstdint>

// User-interface thread only: the playback timer never reads or writes it.
struct PerformanceState {
    int32_t deviceIndex = -1; // -1 = the MIDI mapper, else the 0-based output device
    MidiOutHandle midiOut = nullptr;
    bool deviceOpen = false;
    int32_t channel = 0; // play channel 0..14; 15 carries only the automatic bass
    int32_t program = 0; // General MIDI program 0..127
    int32_t velocity = 127;
    int32_t keyMode = 1297; // C major
    bool autoBass = false;
    int32_t octaveShift = 0; // shift of the chord in progress: -1, 0, +1
    int32_t heldNormal = 0;  // held keys per octave shift; plain counters, may go negative
    int32_t heldRaised = 0;
    int32_t heldLowered = 0;
    int32_t capturedKey = 255; // key held with the mouse, 255 = none
    // Presses of each key that were counted and not yet released. A release of a key with none
    // (its press went to an Alt shortcut or a menu) is not the window's and changes nothing.
    uint32_t pressesDown[keySlotCount] = {};
    bool recording = false;
};

extern PerformanceState performance;

inline constexpr int bassChannel = 15;
