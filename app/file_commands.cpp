// Save, save as, load and export through the common file dialogs, and taking up a loaded file.
#include "app/file_commands.h"
#include "app/command_states.h"
#include "app/commands.h"
#include "app/controls.h"
#include "app/document.h"
#include "app/document_window.h"
#include "app/file_dialogs.h"
#include "app/menu_bar.h"
#include "app/playback_commands.h"
#include "app/shell.h"
#include "app/system_seam.h"
#include "engine/key_table.h"
#include "engine/performance_state.h"
#include "recording/event_lists.h"
#include "recording/file_messages.h"
#include "recording/midi_export.h"
#include "recording/playback_scheduler.h"
#include "recording/recording_file.h"
#include "resources/resource_ids.h"

#include <string>

namespace {

// The export dialog's own path and name, apart from the document's. User-interface thread only.
struct ExportTarget {
    std::wstring path;
    std::wstring name;
};
ExportTarget exportTarget;

void writeDocument(HWND window) {
    const wchar_t* error = writeRecordingFile(eventLists.recordingList, performance.keyMode,
                                              performance.autoBass, document.path);
    if (error) {
        showFileError(window, error, document.name);
        document.name.clear();
    } else {
        document.dirty = false;
        EnableMenuItem(GetMenu(window), ID_SAVE, MF_BYCOMMAND | MF_GRAYED);
    }
    updateTitle(window, document.name);
}

bool chooseDocument(HWND window, FileDialog kind) {
    std::wstring path = document.path.wstring();
    if (!chooseFile(kind, window, path, document.name))
        return false;
    document.path = path;
    return true;
}

} // namespace

void takeUpLoadedFile(HWND window, const LoadedRecording& loaded, const std::wstring& title,
                      bool fromCommandLine) {
    if (!publishPlayback(eventLists.recordingList))
        reportOutOfMemory();
    if (!fromCommandLine)
        InvalidateRect(window, nullptr, TRUE);
    HMENU menu = GetMenu(window);
    document.dirty = false;
    moveCheck(menu, performance.keyMode, loaded.keyModeId);
    performance.keyMode = static_cast<int>(loaded.keyModeId);
    performance.autoBass = loaded.autoBassWord == 1;
    CheckMenuItem(menu, ID_AUTO_BASS,
                  MF_BYCOMMAND | (performance.autoBass ? MF_CHECKED : MF_UNCHECKED));
    updateTitle(window, title);
    applyCommandStates(menu, statesAfterLoad(fromCommandLine));
}

void onSave(HWND window) {
    if (document.name.empty())
        onSaveAs(window);
    else
        writeDocument(window);
}

void onSaveAs(HWND window) {
    if (chooseDocument(window, FileDialog::saveRecording))
        writeDocument(window);
}

void onLoad(HWND window) {
    cancelStartupPlay(window); // it would start inside the dialog, under the load
    if (document.dirty && askSaveChanges(window, document.name) == IDCANCEL)
        return;
    if (!chooseDocument(window, FileDialog::openRecording))
        return;
    LoadedRecording loaded;
    if (const wchar_t* error = readRecordingToTakeUp(document.path, loaded)) {
        showFileError(window, error, document.name);
        document.name.clear();
        return;
    }
    if (playbackRunning()) // it began while the dialog was open: stopped and silenced first
        SendMessageW(window, WM_COMMAND, ID_PLAY_STOP, 0);
    eventLists.recordingList = std::move(loaded.events);
    takeUpLoadedFile(window, loaded, document.name, false);
}

void onExport(HWND window) {
    if (!chooseFile(FileDialog::exportMidi, window, exportTarget.path, exportTarget.name))
        return;
    // The window reports any failed export as a failed write.
    if (exportMidiFile(eventLists.recordingList, performance.keyMode, performance.program,
                       performance.autoBass, exportTarget.path))
        showFileError(window, msgCannotWriteFile, exportTarget.name);
}
