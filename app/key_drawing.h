// Painting of one key of the on-screen keyboard.
#pragma once

#include <windows.h>

// The caller has selected the label font and the black brush into the window context.
void drawKey(HDC window, HDC keyPicture, unsigned scan, bool pressed, int shift);
