// Key, character, mouse and replay messages of the main window.
#pragma once

#include <windows.h>

void onKeyMessage(HWND window, UINT message, LPARAM lParam);
void onChar(HWND window, WPARAM character);
void onMouseDown(HWND window, LPARAM lParam);
void onMouseUp(HWND window);
void onReplayEvent(HWND window, WPARAM generation, LPARAM index);
