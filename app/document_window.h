// The document in the window: title, file errors, the save-changes prompt, closing.
#pragma once

#include <windows.h>

#include <string>

void updateTitle(HWND window, const std::wstring& name);
void showFileError(HWND window, const wchar_t* format, const std::wstring& name);
int askSaveChanges(HWND window, const std::wstring& name); // IDYES, IDNO or IDCANCEL
void onClose(HWND window);
LRESULT onQueryEndSession(HWND window);
