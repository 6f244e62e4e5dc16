#include "app/system_seam.h"

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
