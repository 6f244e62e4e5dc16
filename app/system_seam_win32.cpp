#include "app/system_seam.h"

#include <shellapi.h>

#include <cwchar>

int showMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    return MessageBoxW(owner, text, caption, type);
}

Modifiers readModifiers() {
    return {(GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0,
            (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0};
}

bool runFileDialog(OPENFILENAMEW& dialog, bool save) {
    return (save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog)) != FALSE;
}

void openWithShell(const wchar_t* target) {
    ShellExecuteW(nullptr, nullptr, target, nullptr, nullptr, SW_SHOWNORMAL);
}

HMODULE loadHtmlHelpLibrary() {
    // The HTML Help ActiveX control's class; its in-process server is the library.
    const wchar_t* key = L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof path;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr,
                     path, &size) == ERROR_SUCCESS &&
        path[0] != L'\0') {
        if (HMODULE library = LoadLibraryW(path))
            return library;
    }
    // From the system folder, not by the search order, which starts in the program's folder.
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 12 > MAX_PATH)
        return nullptr;
    wcscat(path, L"\\hhctrl.ocx");
    return LoadLibraryW(path);
}
