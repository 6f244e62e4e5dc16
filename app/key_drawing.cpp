// One key of the on-screen keyboard: key cap, numbered-notation label, octave dots.
#include "app/key_drawing.h"
#include "app/layout.h"
#include "app/shell.h"
#include "engine/key_geometry.h"

// The caller has selected the label font and the black brush into the window context.
void drawKey(HDC window, HDC keyPicture, unsigned scan, bool pressed, int shift) {
    const KeySlot& slot = keyTable[scan];
    const PixelRect cell = keyCell(slot, layout.keyboardLeft, layout.keyboardTop);
    if (const std::optional<int> source = keyCapSource(pressed, shift))
        BitBlt(window, cell.left, cell.top, keyCellWidth, keyCellHeight, keyPicture, *source, 0,
               SRCCOPY);
    SetBkMode(window, TRANSPARENT);
    const PixelRect text = keyLabelRect(cell);
    RECT textRect{text.left, text.top, text.right, text.bottom};
    DrawTextA(window, slot.label, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    PixelRect dots[2];
    const int dotCount = octaveDots(slot, cell, dots);
    for (int i = 0; i < dotCount; ++i)
        Ellipse(window, dots[i].left, dots[i].top, dots[i].right, dots[i].bottom);
    SetBkMode(window, OPAQUE);
}
