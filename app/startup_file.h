// The recording file named on the command line.
#pragma once

#include <windows.h>

// Loads it while the window is created and sets the title; starts timer 1 to play it.
void openStartupFile(HWND window);
