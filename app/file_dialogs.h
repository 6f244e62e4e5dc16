// The three common file dialogs of the recording menu.
#pragma once

#include <windows.h>

#include <string>

// path and name (without folder) come in as the dialog's starting values and hold the user's
// choice when it returns true; a cancelled or failed dialog changes neither.
enum class FileDialog { openRecording, saveRecording, exportMidi };
bool chooseFile(FileDialog kind, HWND owner, std::wstring& path, std::wstring& name);
