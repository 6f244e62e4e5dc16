// The few calls that wait for a person or read the physical keyboard. The program uses the
// Win32 versions; tests put their own in place so that nothing blocks.
#pragma once

#include "engine/key_events.h"

#include <windows.h>

#include <commdlg.h>

int showMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
Modifiers readModifiers();

// The open (save false) or save common dialog, run with the record as the caller set it up.
bool runFileDialog(OPENFILENAMEW& dialog, bool save);

// The shell and the HTML Help library, used by the About box and the help command.
// Opens a document or an address with the program the system associates with it; the result
// is not reported (a missing mail program or browser is not the program's error).
void openWithShell(const wchar_t* target);
// Loads the HTML Help control library: the one the registry names for the HTML Help control,
// else hhctrl.ocx. Null when it cannot be loaded.
HMODULE loadHtmlHelpLibrary();
