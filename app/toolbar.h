#pragma once

#include <windows.h>

#include <commctrl.h>

struct Toolbar {
    HWND window;
    HIMAGELIST images;
    HBITMAP bitmap;
};

// Creates the toolbar as a child of the main window; its buttons send instrument commands.
Toolbar createToolbar(HWND window);
// The image list and its bitmap; the window goes with its parent.
void releaseToolbar(Toolbar& toolbar);
