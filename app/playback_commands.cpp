// Start, loop and stop playback, and the window's side of the playback timer.
#include "app/playback_commands.h"
#include "app/command_states.h"
#include "app/controls.h"
#include "app/document.h"
#include "app/shell.h"
#include "app/system_seam.h"
#include "engine/key_events.h"
#include "engine/performance_state.h"
#include "recording/playback_scheduler.h"
#include "resources/resource_ids.h"

void onPlay(HWND window, bool loop) {
    if (!performance.deviceOpen) {
        showMessageBox(window, L"请打开开关", L"提示", MB_OK);
        return;
    }
    cancelStartupPlay(window);
    applyCommandStates(GetMenu(window), statesPlaying());
    startPlayback(loop);
}

void onPlayStop(HWND window) {
    applyCommandStates(GetMenu(window), statesAfterPlayback(document.dirty));
    stopPlayback();
    if (performance.deviceOpen)
        silenceOnEscape(); // forget held keys, All Notes Off on every channel
    else
        forgetHeldKeys(); // a closed device is sent nothing
    InvalidateRect(window, nullptr, TRUE);
}

void onStartupTimer(HWND window, WPARAM timer) {
    if (timer != startupPlayTimer)
        return;
    KillTimer(window, startupPlayTimer);
    if (!shell.startupPlayPending)
        return; // a tick already queued when the user started something else
    shell.startupPlayPending = false;
    SendMessageW(window, WM_COMMAND, ID_PLAY, 0);
}

void cancelStartupPlay(HWND window) {
    KillTimer(window, startupPlayTimer); // a tick it already queued finds nothing pending
    shell.startupPlayPending = false;
}

void onPlaybackEnd(HWND window, WPARAM generation) {
    if (static_cast<uint32_t>(generation) == playbackGeneration())
        SendMessageW(window, WM_COMMAND, ID_PLAY_STOP, 0);
}

// Called on the timer thread: only messages cross to the window.
void notifyReplayEvent(uint32_t index, uint32_t generation) {
    PostMessageW(shell.mainWindow, messageReplayEvent, generation, static_cast<LPARAM>(index));
}

void notifyPlaybackEnd(uint32_t generation) {
    PostMessageW(shell.mainWindow, messagePlaybackEnd, generation, 0);
}
