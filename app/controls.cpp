// The scroll bars and push buttons of the main window: creation, placement, enable sets, and
// keeping the playing keys on the main window after a button was clicked.
#include "app/controls.h"
#include "app/command_states.h"
#include "app/layout.h"
#include "app/shell.h"
#include "engine/midi_output.h"
#include "engine/performance_state.h"
#include "resources/resource_ids.h"

namespace {

const wchar_t* const buttonCaptions[5] = {L"开始录制", L"停止录制", L"开始播放", L"循环播放",
                                          L"停止播放"};

// Button messages go on to the button; a key press also goes to the main window, which plays it.
LRESULT CALLBACK ButtonForwardProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    const int index = GetWindowLongW(button, GWL_ID) - ID_RECORD_START;
    if (message == WM_KILLFOCUS) {
        SetFocus(GetParent(button));
    } else if (message == WM_KEYDOWN) {
        SetFocus(GetParent(button));
        SendMessageW(GetParent(button), WM_KEYDOWN, wParam, lParam);
    }
    return CallWindowProcW(shell.savedButtonProcs[index], button, message, wParam, lParam);
}

HWND createChild(HWND parent, const wchar_t* className, const wchar_t* caption, DWORD style,
                 int id) {
    return CreateWindowExW(0, className, caption, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), shell.instance,
                           nullptr);
}

void move(HWND control, const ControlRect& r) {
    MoveWindow(control, r.x, r.y, r.width, r.height, TRUE);
}

void enable(HMENU menu, UINT id, bool on) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

} // namespace

void createControls(HWND window) {
    HDC dc = GetDC(window);
    SIZE extent{};
    GetTextExtentPoint32W(dc, L"M", 1, &extent);
    ReleaseDC(window, dc);
    layout.cellWidth = extent.cx;
    layout.cellHeight = extent.cy;

    shell.velocityBar = createChild(window, L"scrollbar", nullptr, SBS_VERT, ID_VELOCITY_BAR);
    shell.pitchBendBar = createChild(window, L"scrollbar", nullptr, SBS_VERT, ID_PITCH_BEND_BAR);
    SetScrollRange(shell.velocityBar, SB_CTL, velocityBarMin, velocityBarMax, FALSE);
    SetScrollPos(shell.velocityBar, SB_CTL, velocityThumb(performance.velocity), FALSE);
    SetScrollRange(shell.pitchBendBar, SB_CTL, pitchBendBarMin, pitchBendBarMax, FALSE);
    SetScrollPos(shell.pitchBendBar, SB_CTL, pitchBendThumbStart, FALSE);

    for (int i = 0; i < 5; ++i)
        shell.buttons[i] =
            createChild(window, L"button", buttonCaptions[i], BS_PUSHBUTTON, ID_RECORD_START + i);
    applyCommandStates(nullptr, statesIdleEmpty());
    for (int i = 0; i < 5; ++i)
        shell.savedButtonProcs[i] = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            shell.buttons[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ButtonForwardProc)));
}

void placeControls(int width, int height) {
    layoutForSize(layout, width, height);
    move(shell.velocityBar, scrollBarRect(layout, 0));
    move(shell.pitchBendBar, scrollBarRect(layout, 1));
    for (int i = 0; i < 5; ++i)
        move(shell.buttons[i], buttonRect(layout, i));
}

void applyCommandStates(HMENU menu, const CommandStates& s) {
    const bool buttons[5] = {s.recordStart, s.recordStop, s.play, s.playLoop, s.playStop};
    for (int i = 0; i < 5; ++i)
        EnableWindow(shell.buttons[i], buttons[i]);
    if (!menu)
        return;
    enable(menu, ID_RECORD_START, s.recordStart);
    enable(menu, ID_RECORD_STOP, s.recordStop);
    enable(menu, ID_PLAY, s.play);
    enable(menu, ID_PLAY_LOOP, s.playLoop);
    enable(menu, ID_PLAY_STOP, s.playStop);
    enable(menu, ID_SAVE, s.save);
    enable(menu, ID_SAVE_AS, s.saveAs);
    enable(menu, ID_EXPORT_MIDI, s.exportMidi);
    enable(menu, ID_LOAD, s.load);
}
