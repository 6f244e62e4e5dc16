#include "engine/key_table.h"

// Rows 1 and 2 carry the natural degrees; rows 0 and 3 sit half a key to the left, like the black
// keys of a piano, one semitone below the key to their lower right.
const KeySlot keyTable[keySlotCount] = {
    {-1, -1, -1, -1, nullptr}, // 0: none
    {-1, -1, -1, -1, nullptr}, // 1: Esc
    {3, 6, 0, 0, "b5"},        // 2: 1
    {3, 8, 0, 2, "b6"},        // 3: 2
    {3, 10, 0, 4, "b7"},       // 4: 3
    {3, 11, 0, 6, "7"},        // 5: 4
    {4, 1, 0, 8, "b2"},        // 6: 5
    {4, 3, 0, 10, "b3"},       // 7: 6
    {4, 4, 0, 12, "3"},        // 8: 7
    {4, 6, 0, 14, "b5"},       // 9: 8
    {4, 8, 0, 16, "b6"},       // 10: 9
    {4, 10, 0, 18, "b7"},      // 11: 0
    {6, 6, 0, 20, "b5"},       // 12: minus
    {6, 8, 0, 22, "b6"},       // 13: =
    {-1, -1, -1, -1, nullptr}, // 14: Backspace
    {-1, -1, -1, -1, nullptr}, // 15: Tab
    {3, 7, 1, 1, "5"},         // 16: Q
    {3, 9, 1, 3, "6"},         // 17: W
    {3, 11, 1, 5, "7"},        // 18: E
    {4, 0, 1, 7, "1"},         // 19: R
    {4, 2, 1, 9, "2"},         // 20: T
    {4, 4, 1, 11, "3"},        // 21: Y
    {4, 5, 1, 13, "4"},        // 22: U
    {4, 7, 1, 15, "5"},        // 23: I
    {4, 9, 1, 17, "6"},        // 24: O
    {4, 11, 1, 19, "7"},       // 25: P
    {6, 7, 1, 21, "5"},        // 26: [
    {6, 9, 1, 23, "6"},        // 27: ]
    {-1, -1, -1, -1, nullptr}, // 28: Enter
    {-1, -1, -1, -1, nullptr}, // 29: Ctrl
    {5, 0, 2, 2, "1"},         // 30: A (middle C in C major)
    {5, 2, 2, 4, "2"},         // 31: S
    {5, 4, 2, 6, "3"},         // 32: D
    {5, 5, 2, 8, "4"},         // 33: F
    {5, 7, 2, 10, "5"},        // 34: G
    {5, 9, 2, 12, "6"},        // 35: H
    {5, 11, 2, 14, "7"},       // 36: J
    {6, 0, 2, 16, "1"},        // 37: K
    {6, 2, 2, 18, "2"},        // 38: L
    {6, 4, 2, 20, "3"},        // 39: ;
    {6, 5, 2, 22, "4"},        // 40: apostrophe
    {-1, -1, -1, -1, nullptr}, // 41: grave accent
    {-1, -1, -1, -1, nullptr}, // 42: left Shift
    {-1, -1, -1, -1, nullptr}, // 43: backslash
    {5, 1, 3, 3, "b2"},        // 44: Z
    {5, 3, 3, 5, "b3"},        // 45: X
    {5, 4, 3, 7, "3"},         // 46: C
    {5, 6, 3, 9, "b5"},        // 47: V
    {5, 8, 3, 11, "b6"},       // 48: B
    {5, 10, 3, 13, "b7"},      // 49: N
    {5, 11, 3, 15, "7"},       // 50: M
    {6, 1, 3, 17, "b2"},       // 51: comma
    {6, 3, 3, 19, "b3"},       // 52: full stop
    {6, 4, 3, 21, "3"},        // 53: slash
};

namespace {

// Offsets of 1297..1332; absent entries (1306..1311, 1322..1327) name no key/mode. A minor is
// played in the numbering of its relative major and shares its offset.
struct TonicEntry {
    bool present;
    int offset;
};
const TonicEntry tonicTable[keyModeLast - keyModeFirst + 1] = {
    {true, 0},                                                              // 1297 C major
    {true, 2},                                                              // 1298 D major
    {true, 4},                                                              // 1299 E major
    {true, 5},                                                              // 1300 F major
    {true, 7},                                                              // 1301 G major
    {true, 9},                                                              // 1302 A major
    {true, -1},                                                             // 1303 B major
    {true, 6},                                                              // 1304 F sharp major
    {true, 1},                                                              // 1305 C sharp major
    {false, 0}, {false, 0}, {false, 0}, {false, 0}, {false, 0}, {false, 0}, // 1306..1311
    {true, -2},                                                             // 1312 B flat major
    {true, 3},                                                              // 1313 E flat major
    {true, -4},                                                             // 1314 A flat major
    {true, 3},                                                              // 1315 c minor
    {true, 5},                                                              // 1316 d minor
    {true, 7},                                                              // 1317 e minor
    {true, -4},                                                             // 1318 f minor
    {true, -2},                                                             // 1319 g minor
    {true, 0},                                                              // 1320 a minor
    {true, 2},                                                              // 1321 b minor
    {false, 0}, {false, 0}, {false, 0}, {false, 0}, {false, 0}, {false, 0}, // 1322..1327
    {true, 9},                                                              // 1328 f sharp minor
    {true, 4},                                                              // 1329 c sharp minor
    {true, -1},                                                             // 1330 g sharp minor
    {true, 6},                                                              // 1331 d sharp minor
    {true, 1},                                                              // 1332 a sharp minor
};

} // namespace

std::optional<int> tonicOffset(int keyMode) {
    if (keyMode < keyModeFirst || keyMode > keyModeLast)
        return std::nullopt;
    const TonicEntry& entry = tonicTable[keyMode - keyModeFirst];
    if (!entry.present)
        return std::nullopt;
    return entry.offset;
}

std::optional<int> noteNumber(int octave, int semitone, int keyMode) {
    const std::optional<int> offset = tonicOffset(keyMode);
    if (!offset)
        return std::nullopt;
    return 12 * octave + semitone + *offset;
}
