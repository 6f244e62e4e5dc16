// The document as the window shows it: the title, file errors, the save-changes prompt, and
// closing the window or the session.
#include "app/document_window.h"
#include "app/document.h"
#include "app/shell.h"
#include "app/system_seam.h"
#include "recording/file_messages.h"
#include "resources/resource_ids.h"

void updateTitle(HWND window, const std::wstring& name) {
    SetWindowTextW(window, windowTitle(name).c_str());
}

void showFileError(HWND window, const wchar_t* format, const std::wstring& name) {
    MessageBeep(MB_ICONWARNING);
    showMessageBox(window, fillMessage(format, shownName(name)).c_str(), L"QV", MB_ICONWARNING);
}

int askSaveChanges(HWND window, const std::wstring& name) {
    const int answer = showMessageBox(window, saveChangesPrompt(name).c_str(), L"QV",
                                      MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDNO)
        return IDNO;
    if (answer != IDYES)
        return IDCANCEL;
    SendMessageW(window, WM_COMMAND, ID_SAVE, 0);
    return document.dirty ? IDCANCEL
                          : IDYES; // a cancelled dialog or a failed write stops the caller
}

void onClose(HWND window) {
    if (document.dirty && askSaveChanges(window, document.name) == IDCANCEL)
        return;
    DestroyWindow(window);
}

LRESULT onQueryEndSession(HWND window) {
    if (document.dirty && askSaveChanges(window, document.name) == IDCANCEL)
        return 0;
    return 1;
}
