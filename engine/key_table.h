// The playable keys of the PC keyboard, indexed by set-1 scan code, and the 24 key/modes.
#pragma once

#include <cstdint>
#include <optional>

struct KeySlot {
    int32_t octave;     // 3..6; -1 marks a slot with no key
    int32_t semitone;   // 0..11 within the octave; -1 in an empty slot
    int32_t row;        // on-screen row, 0 (top) .. 3; -1 in an empty slot
    int32_t halfColumn; // left edge in half-key steps, 0..23; -1 in an empty slot
    const char* label;  // numbered-notation degree drawn on the key; null in an empty slot
};

inline constexpr int keySlotCount = 54;
extern const KeySlot keyTable[keySlotCount];

// Key/mode identifiers are the menu command numbers that select them.
inline constexpr int keyModeFirst = 1297; // C major, the initial key/mode
inline constexpr int keyModeLast = 1332;

// Semitones from C to the degree "1" of a key/mode; none for an identifier that names no key/mode.
std::optional<int> tonicOffset(int keyMode);

// The scan code carried in bits 16..23 of a key message's lParam.
inline unsigned scanCodeOf(uint32_t keyData) {
    return (keyData >> 16) & 0xFF;
}

// The slot of a scan code that plays a note, or null for codes of 54 and above and empty slots.
inline const KeySlot* playableSlot(unsigned scanCode) {
    if (scanCode >= static_cast<unsigned>(keySlotCount) || keyTable[scanCode].octave == -1)
        return nullptr;
    return &keyTable[scanCode];
}

// The note a key sounds: 12 x octave + semitone + the tonic offset of keyMode, where octave
// already holds the chord's shift (and the bass's -1). None when keyMode names no key/mode.
// Live playing, replay and the MIDI export all take their notes from here.
std::optional<int> noteNumber(int octave, int semitone, int keyMode);
