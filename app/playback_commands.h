// Start, loop and stop playback, and timer 1.
#pragma once

#include <windows.h>

void onPlay(HWND window, bool loop);
void onPlayStop(HWND window);
void onStartupTimer(HWND window, WPARAM timer);
// A single pass has ended: stop, unless playback was stopped or started again since.
void onPlaybackEnd(HWND window, WPARAM generation);
// Recording, playback or a load started by the user: the command-line file is not played after
// all.
void cancelStartupPlay(HWND window);
