// Save, save as, load and export, and taking up a loaded recording file.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

struct LoadedRecording;

// Reads a recording file for loading: besides the reader's errors, a key/mode identifier outside
// 1297..1332 is refused as unsupported. loaded is filled only on success.
const wchar_t* readRecordingToTakeUp(const std::filesystem::path& path, LoadedRecording& loaded);
// The settings, menus, buttons and title after a recording file was read into the recording list.
void takeUpLoadedFile(HWND window, const LoadedRecording& loaded, const std::wstring& title,
                      bool fromCommandLine);
void onSave(HWND window);
void onSaveAs(HWND window);
void onLoad(HWND window);
void onExport(HWND window);
