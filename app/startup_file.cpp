// The recording file named on the command line: loaded while the window is created, played
// once half a second later.
#include "app/startup_file.h"
#include "app/document.h"
#include "app/document_window.h"
#include "app/file_commands.h"
#include "app/shell.h"
#include "engine/performance_state.h"
#include "recording/event_lists.h"
#include "recording/file_messages.h"
#include "recording/recording_file.h"

#include <filesystem>
#include <string>
#include <system_error>

void openStartupFile(HWND window) {
    const std::wstring commandLine = shell.commandLine;
    if (commandLine.empty()) {
        updateTitle(window, document.name);
        return;
    }
    if (commandLine.size() > documentPathLimit) {
        // No file has such a name here; refuse it rather than cut it to another name.
        showFileError(window, msgCannotOpenFile, commandLine.substr(0, documentPathLimit));
        updateTitle(window, L"");
        return;
    }
    document.name = commandLine; // the text as given, quotes and all
    // A relative name is taken in the current folder now: the file dialogs never change it, but
    // a later save must not depend on that.
    std::error_code unresolved;
    document.path = std::filesystem::absolute(commandLine, unresolved);
    if (unresolved)
        document.path = commandLine;
    LoadedRecording loaded;
    if (const wchar_t* error = readRecordingToTakeUp(document.path, loaded)) {
        showFileError(window, error, commandLine);
        document.name.clear();
        updateTitle(window, document.name);
        return;
    }
    eventLists.recordingList = std::move(loaded.events);
    takeUpLoadedFile(window, loaded, commandLine, true);
    if (performance.deviceOpen) {
        shell.startupPlayPending = true;
        SetTimer(window, startupPlayTimer, 500, nullptr);
    }
}
