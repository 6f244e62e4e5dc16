// WM_COMMAND, and opening the MIDI device at start.
#pragma once

#include <windows.h>

void onCommand(HWND window, WPARAM wParam);
bool openDeviceAtStart(HWND window);
// The "内存分配错误." box, without owner.
void reportOutOfMemory();
