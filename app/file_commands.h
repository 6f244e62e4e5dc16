// Save, save as, load and export, and taking up a loaded recording file.
#pragma once

#include <windows.h>

#include <string>

struct LoadedRecording;

// The settings, menus, buttons and title after a recording file was read into the recording list.
void takeUpLoadedFile(HWND window, const LoadedRecording& loaded, const std::wstring& title,
                      bool fromCommandLine);
void onSave(HWND window);
void onSaveAs(HWND window);
void onLoad(HWND window);
void onExport(HWND window);
