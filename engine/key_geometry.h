// Where one key of the on-screen keyboard is drawn, and with which key-cap image.
#pragma once

#include "engine/key_table.h"

#include <optional>

struct PixelRect {
    int left, top, right, bottom;
};

// The 38 x 39 cell of a key, for the keyboard's top-left corner (left, top).
PixelRect keyCell(const KeySlot& slot, int keyboardLeft, int keyboardTop);

// x of the key-cap image in the key picture: grey when up; blue, red or green when down with
// shift 0, +1 or -1; none for any other shift (nothing is copied then).
std::optional<int> keyCapSource(bool pressed, int shift);

// The label is centred in the cell moved up by 4 pixels.
PixelRect keyLabelRect(const PixelRect& cell);

// The octave dots (bounding boxes of 4 x 4 ellipses): one above for octave 6, one below for
// octave 4, two below for octave 3, none for octave 5. Returns how many were written.
int octaveDots(const KeySlot& slot, const PixelRect& cell, PixelRect dots[2]);
