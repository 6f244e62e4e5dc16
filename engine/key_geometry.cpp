#include "engine/key_geometry.h"

PixelRect keyCell(const KeySlot& slot, int keyboardLeft, int keyboardTop) {
    const int left = keyboardLeft + slot.halfColumn * 38 / 2;
    const int top = keyboardTop + slot.row * 39;
    return {left, top, left + 38, top + 39};
}

std::optional<int> keyCapSource(bool pressed, int shift) {
    if (!pressed)
        return 0;
    switch (shift) {
    case 0:
        return 38;
    case 1:
        return 76;
    case -1:
        return 114;
    default:
        return std::nullopt;
    }
}

PixelRect keyLabelRect(const PixelRect& cell) {
    return {cell.left, cell.top - 4, cell.right, cell.bottom - 4};
}

int octaveDots(const KeySlot& slot, const PixelRect& cell, PixelRect dots[2]) {
    const int cx = cell.left + 19;
    const int t = cell.top - 4, b = cell.bottom - 4;
    switch (slot.octave) {
    case 6:
        dots[0] = {cx - 2, t + 7, cx + 2, t + 11};
        return 1;
    case 4:
        dots[0] = {cx - 2, b - 11, cx + 2, b - 7};
        return 1;
    case 3:
        dots[0] = {cx - 2, b - 11, cx + 2, b - 7};
        dots[1] = {cx - 2, b - 5, cx + 2, b - 1};
        return 2;
    default:
        return 0;
    }
}
