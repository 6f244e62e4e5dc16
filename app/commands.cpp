// WM_COMMAND: every menu item, toolbar button, accelerator and push button arrives here.
#include "app/commands.h"
#include "app/about_box.h"
#include "app/command_states.h"
#include "app/controls.h"
#include "app/document.h"
#include "app/file_commands.h"
#include "app/help_command.h"
#include "app/menu_bar.h"
#include "app/output_devices.h"
#include "app/playback_commands.h"
#include "app/shell.h"
#include "app/system_seam.h"
#include "engine/midi_output.h"
#include "engine/performance_state.h"
#include "engine/platform.h"
#include "recording/event_lists.h"
#include "resources/resource_ids.h"

namespace {

void repaint(HWND window) {
    InvalidateRect(window, nullptr, TRUE);
}

void warnCannotOpen(HWND window) {
    MessageBeep(MB_ICONWARNING);
    showMessageBox(window, L"Cannot open MIDI device", L"QV", MB_ICONWARNING);
}

// The device menu item of a device index: 511 for the mapper.
UINT deviceItem(int deviceIndex) {
    return static_cast<UINT>(ID_DEVICE_BASE + deviceIndex);
}

void onDeviceOpen(HWND window, HMENU menu) {
    if (!performance.deviceOpen) {
        if (!platformMidiOpen(performance.deviceIndex, &performance.midiOut)) {
            warnCannotOpen(window);
        } else {
            moveCheck(menu, ID_DEVICE_CLOSE, ID_DEVICE_OPEN);
            applyProgram();
            performance.deviceOpen = true;
        }
    }
    repaint(window);
}

void onDeviceClose(HWND window, HMENU menu) {
    if (performance.deviceOpen) {
        moveCheck(menu, ID_DEVICE_OPEN, ID_DEVICE_CLOSE);
        silenceAllChannels();
        platformMidiClose(performance.midiOut);
        performance.deviceOpen = false;
    }
    repaint(window);
}

void onDeviceSelect(HWND window, HMENU menu, UINT id) {
    moveCheck(menu, deviceItem(performance.deviceIndex), id);
    performance.deviceIndex = static_cast<int>(id) - ID_DEVICE_BASE;
    if (performance.deviceOpen) {
        SendMessageW(window, WM_COMMAND, ID_DEVICE_CLOSE, 0);
        SendMessageW(window, WM_COMMAND, ID_DEVICE_OPEN, 0);
    }
    repaint(window);
}

// A channel or an instrument: the check mark moves, and an open device gets the program on the
// play channel and the bass channel.
void onSoundSelect(HWND window, HMENU menu, UINT base, int32_t& setting, UINT id) {
    moveCheck(menu, base + setting, id);
    setting = static_cast<int32_t>(id - base);
    if (performance.deviceOpen)
        applyProgram();
    repaint(window);
}

void onKeyModeSelect(HWND window, HMENU menu, UINT id) {
    moveCheck(menu, performance.keyMode, id);
    performance.keyMode = static_cast<int>(id);
    repaint(window);
}

void onAutoBass(HMENU menu) {
    performance.autoBass = !performance.autoBass;
    CheckMenuItem(menu, ID_AUTO_BASS,
                  MF_BYCOMMAND | (performance.autoBass ? MF_CHECKED : MF_UNCHECKED));
}

void onRecordStart(HWND window, HMENU menu) {
    if (!startRecording()) {
        showMessageBox(window, L"请打开开关", L"提示", MB_OK);
        return;
    }
    cancelStartupPlay(window);
    applyCommandStates(menu, statesRecording());
}

void onRecordStop(HMENU menu) {
    const bool published = stopRecording();
    if (eventLists.recordingList.empty())
        document.dirty = false; // nothing was recorded over the document
    applyCommandStates(menu, eventLists.recordingList.empty() ? statesIdleEmpty()
                                                              : statesIdleWithRecording());
    if (!published)
        reportOutOfMemory();
}

} // namespace

void reportOutOfMemory() {
    showMessageBox(nullptr, L"内存分配错误.", L"错误", MB_OK);
}

bool openDeviceAtStart(HWND window) {
    // A SoundFont beside the program: its built-in synthesizer is the device, when it opens;
    // when not, the device the menu chose is opened without a word about the synthesizer.
    const std::optional<int> builtin = firstBuiltinSynthDevice();
    if (builtin && platformMidiOpen(*builtin, &performance.midiOut)) {
        moveCheck(GetMenu(window), deviceItem(performance.deviceIndex), deviceItem(*builtin));
        performance.deviceIndex = *builtin;
    } else if (!platformMidiOpen(performance.deviceIndex, &performance.midiOut)) {
        warnCannotOpen(window);
        return false;
    }
    moveCheck(GetMenu(window), ID_DEVICE_CLOSE, ID_DEVICE_OPEN);
    // Only the play channel here; the bass channel gets its program at the next open.
    sendProgramChange(performance.midiOut, performance.channel, performance.program);
    performance.deviceOpen = true;
    return true;
}

void onCommand(HWND window, WPARAM wParam) {
    const UINT id = LOWORD(wParam);
    HMENU menu = GetMenu(window);
    if (id == ID_HELP) {
        showHelp();
        return;
    }
    if (id == ID_ABOUT) {
        showAboutBox(window);
        return;
    }
    if (id >= ID_KEY_FIRST && id <= ID_KEY_LAST) {
        onKeyModeSelect(window, menu, id);
        return;
    }
    switch (id) {
    case ID_RECORD_START:
        onRecordStart(window, menu);
        return;
    case ID_RECORD_STOP:
        onRecordStop(menu);
        return;
    case ID_PLAY:
        onPlay(window, false);
        return;
    case ID_PLAY_LOOP:
        onPlay(window, true);
        return;
    case ID_PLAY_STOP:
        onPlayStop(window);
        return;
    case ID_SAVE:
        onSave(window);
        return;
    case ID_SAVE_AS:
        onSaveAs(window);
        return;
    case ID_LOAD:
        onLoad(window);
        return;
    case ID_EXPORT_MIDI:
        onExport(window);
        return;
    case ID_AUTO_BASS:
        onAutoBass(menu);
        return;
    case ID_DEVICE_OPEN:
        onDeviceOpen(window, menu);
        return;
    case ID_DEVICE_CLOSE:
        onDeviceClose(window, menu);
        return;
    default:
        break;
    }
    if (id >= ID_DEVICE_MAPPER && id < ID_CHANNEL_BASE)
        onDeviceSelect(window, menu, id);
    else if (id >= ID_CHANNEL_BASE && id < ID_CHANNEL_BASE + 15) // the bass channel is never chosen
        onSoundSelect(window, menu, ID_CHANNEL_BASE, performance.channel, id);
    else if (id >= ID_PROGRAM_BASE && id < ID_PROGRAM_BASE + 128)
        onSoundSelect(window, menu, ID_PROGRAM_BASE, performance.program, id);
    else
        repaint(window);
}
