// State of the Win32 shell: the instance, the main window and its controls, the pictures.
#pragma once

#include <windows.h>

// User-interface thread only.
struct ShellState {
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    HWND velocityBar = nullptr;
    HWND pitchBendBar = nullptr;
    HWND buttons[5] = {};                // ID_RECORD_START .. ID_PLAY_STOP
    WNDPROC savedButtonProcs[5] = {};    // their procedures before ButtonForwardProc
    HBITMAP instrumentPicture = nullptr; // bitmap 110
    HBITMAP keyPicture = nullptr;        // bitmap 114
    COLORREF backgroundColor = RGB(255, 255, 255);
    const wchar_t* commandLine = L"";
    bool startupPlayPending = false; // timer 1 is set and has neither fired nor been cancelled
};

extern ShellState shell;

inline constexpr wchar_t mainWindowClass[] = L"QV";
inline constexpr UINT messageReplayEvent = WM_USER + 1;
inline constexpr UINT messagePlaybackEnd = WM_USER + 2; // wParam: the generation of the pass
inline constexpr UINT_PTR startupPlayTimer = 1;         // plays the command-line file once

// Loads bitmaps 110 and 114 and takes the background colour from pixel (0, 0) of 110.
bool loadPictures();
void releasePictures();

bool registerMainWindowClass();
HWND createMainWindow(int showCommand);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
