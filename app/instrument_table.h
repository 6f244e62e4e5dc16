// The 128 General MIDI instruments in 16 families of 8, with their display names.
#pragma once

struct InstrumentEntry {
    const wchar_t* name;
    int program;
};

struct InstrumentFamily {
    const wchar_t* name;
    InstrumentEntry entries[8];
};

inline constexpr int instrumentFamilyCount = 16;
extern const InstrumentFamily instrumentTable[instrumentFamilyCount];

// The display name of a program 0..127.
inline const wchar_t* instrumentName(int program) {
    return instrumentTable[program / 8].entries[program % 8].name;
}
