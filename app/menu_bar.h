// The menu bar and its check marks.
#pragma once

#include <windows.h>

// Builds the eight menus; without a MIDI mapper, device 0 becomes the selected device.
HMENU buildMenuBar(unsigned deviceCount);
// Unchecks item `from` and checks item `to`.
void moveCheck(HMENU menu, UINT from, UINT to);
