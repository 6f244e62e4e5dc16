#include "app/file_dialogs.h"
#include "app/system_seam.h"

#include <cwchar>

bool chooseFile(FileDialog kind, HWND owner, std::wstring& path, std::wstring& name) {
    wchar_t pathBuffer[MAX_PATH] = {};
    wchar_t nameBuffer[MAX_PATH] = {};
    wcsncpy(pathBuffer, path.c_str(), MAX_PATH - 1);
    wcsncpy(nameBuffer, name.c_str(), MAX_PATH - 1);
    const bool midi = kind == FileDialog::exportMidi;
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    // One filter each: description, pattern, and the empty string that ends the list.
    dialog.lpstrFilter = midi ? L"Midi Files(*.MID)\0*.mid\0" : L"QVI Files(*.QVI)\0*.qvi\0";
    dialog.lpstrFile = pathBuffer;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrFileTitle = nameBuffer;
    dialog.nMaxFileTitle = MAX_PATH;
    dialog.lpstrDefExt = midi ? L"mid" : L"qvi";
    // The current folder stays where it was: a name taken relative to it keeps its meaning.
    dialog.Flags = OFN_NOCHANGEDIR |
                   (kind == FileDialog::openRecording ? OFN_CREATEPROMPT : OFN_OVERWRITEPROMPT);
    if (!runFileDialog(dialog, kind != FileDialog::openRecording))
        return false;
    path = pathBuffer;
    name = nameBuffer;
    return true;
}
