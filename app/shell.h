// State of the Win32 shell: the instance, the main window and its controls, the pictures.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

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
};

extern ShellState shell;

inline constexpr wchar_t mainWindowClass[] = L"QV";
inline constexpr UINT messageReplayEvent = WM_USER + 1;
inline constexpr UINT_PTR startupPlayTimer = 1; // plays the command-line file once

// Loads bitmaps 110 and 114 and takes the background colour from pixel (0, 0) of 110.
bool loadPictures();
void releasePictures();

bool registerMainWindowClass();
HWND createMainWindow(int showCommand);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Child controls (controls.cpp).
void createControls(HWND window);
void placeControls(int width, int height);
struct CommandStates;
void applyCommandStates(HMENU menu, const CommandStates& states);

// Menu bar (menu_bar.cpp).
HMENU buildMenuBar(unsigned deviceCount);
void moveCheck(HMENU menu, UINT from, UINT to);

// Commands (commands.cpp).
void onCommand(HWND window, WPARAM wParam);
bool openDeviceAtStart(HWND window);

// The document in the window (document_window.cpp).
void updateTitle(HWND window, const std::wstring& name);
void showFileError(HWND window, const wchar_t* format, const std::wstring& name);
int askSaveChanges(HWND window, const std::wstring& name); // IDYES, IDNO or IDCANCEL
void onClose(HWND window);
LRESULT onQueryEndSession(HWND window);

// File commands (file_commands.cpp) and the command-line file (startup_file.cpp).
struct LoadedRecording;
bool isStorableKeyMode(uint32_t keyModeId);
void takeUpLoadedFile(HWND window, const LoadedRecording& loaded, const std::wstring& title,
                      bool fromCommandLine);
void onSave(HWND window);
void onSaveAs(HWND window);
void onLoad(HWND window);
void onExport(HWND window);
void openStartupFile(HWND window);

// Playback commands (playback_commands.cpp).
void onPlay(HWND window, bool loop);
void onPlayStop(HWND window);
void onStartupTimer(HWND window, WPARAM timer);

// Key, character, mouse and replay messages (engine/key_input_win32.cpp).
void onKeyMessage(HWND window, UINT message, LPARAM lParam);
void onChar(HWND window, WPARAM character);
void onMouseDown(HWND window, LPARAM lParam);
void onMouseUp(HWND window);
void onReplayEvent(HWND window, WPARAM generation, LPARAM index);
void reportOutOfMemory();

// Painting of one key (engine/key_drawing_win32.cpp).
void drawKey(HDC window, HDC keyPicture, unsigned scan, bool pressed, int shift);
