// Start, loop and stop playback, and timer 1.
#pragma once

#include <windows.h>

void onPlay(HWND window, bool loop);
void onPlayStop(HWND window);
void onStartupTimer(HWND window, WPARAM timer);
