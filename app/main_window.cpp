// The main window: creation, layout, painting, the expression bars, and the message switch.
#include "app/commands.h"
#include "app/controls.h"
#include "app/document_window.h"
#include "app/instrument_table.h"
#include "app/key_drawing.h"
#include "app/key_input.h"
#include "app/layout.h"
#include "app/menu_bar.h"
#include "app/playback_commands.h"
#include "app/scaled_font.h"
#include "app/shell.h"
#include "app/startup_file.h"
#include "app/system_seam.h"
#include "engine/key_table.h"
#include "engine/midi_output.h"
#include "engine/performance_state.h"
#include "engine/platform.h"
#include "recording/event_lists.h"
#include "resources/resource_ids.h"

#include <imm.h>

#include <string>

ShellState shell;

namespace {

constexpr wchar_t helpLine[] =
    L"1 演奏的同时按Shift键(或Ctrl键)升高(或降低)一个8级音阶。 2 出现声音异常请按 Esc";

LRESULT onCreate(HWND window) {
    shell.mainWindow = window;
    createControls(window);
    // No input context here or in the buttons, which pass keys on: an input method that is on
    // would take the letters for a composition and Esc to cancel it.
    ImmAssociateContext(window, nullptr);
    ImmAssociateContextEx(window, nullptr, IACE_CHILDREN); // under Wine, the children only
    const unsigned devices = platformMidiDeviceCount();
    if (devices == 0) {
        MessageBeep(MB_ICONERROR);
        showMessageBox(window, L"No MIDI output devices!", L"QV", MB_ICONERROR);
        return -1;
    }
    SetMenu(window, buildMenuBar(devices));
    openDeviceAtStart(window);
    openStartupFile(window);
    return 0;
}

void textAt(HDC dc, int x, int y, const std::wstring& text) {
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void paintKeyboard(HDC dc) {
    HFONT font = makeScaledFont(dc, L"Times New Roman", 0, 0, 0, true);
    SelectObject(dc, font);
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    HDC picture = CreateCompatibleDC(dc);
    SelectObject(picture, shell.keyPicture);
    for (unsigned scan = 0; scan < keySlotCount; ++scan)
        if (keyTable[scan].halfColumn != -1)
            drawKey(dc, picture, scan, false, 0);
    DeleteDC(picture);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

// Step by step in this order: where a short window makes them overlap, the instrument picture
// covers the status lines and the label and captions cover the picture.
void paintStatusLines(HDC dc) {
    const Layout& l = layout;
    const int statusTop = l.clientHeight - 4 * l.cellHeight;
    std::wstring deviceName;
    if (!platformMidiDeviceName(performance.deviceIndex, deviceName))
        deviceName.clear();
    textAt(dc, l.cellWidth, statusTop, performance.deviceOpen ? L"开启" : L"关闭");
    textAt(dc, 5 * l.cellWidth, statusTop, deviceName);
    textAt(dc, 20 * l.cellWidth, statusTop, L"声道 " + std::to_wstring(performance.channel + 1));
    textAt(dc, l.cellWidth, l.clientHeight - 3 * l.cellHeight, helpLine);
}

void paintInstrument(HDC dc, int clientRight) {
    const int n = instrumentPictureIndex(performance.program, performance.channel);
    HDC picture = CreateCompatibleDC(dc);
    SelectObject(picture, shell.instrumentPicture);
    BitBlt(dc, (clientRight - pictureWidth) / 2, pictureTop, pictureWidth, pictureHeight, picture,
           pictureWidth * n, 0, SRCCOPY);
    DeleteDC(picture);
}

void paintLabelAndCaptions(HDC dc, int clientRight) {
    const Layout& l = layout;
    const int pictureLeft = (clientRight - pictureWidth) / 2;
    textAt(dc, pictureLeft + pictureWidth, labelTop,
           instrumentLabel(performance.program, performance.keyMode));
    textAt(dc, l.clientWidth * 135 / 160, l.clientHeight * 7 / 10, L"力度");
    textAt(dc, l.clientWidth * 143 / 160, l.clientHeight * 7 / 10, L"频率");
}

void onPaint(HWND window) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    const int clientRight = client.right - client.left;
    paintKeyboard(dc);
    SetTextColor(dc, RGB(255, 0, 0));
    SetBkColor(dc, shell.backgroundColor);
    paintStatusLines(dc);
    paintInstrument(dc, clientRight);
    paintLabelAndCaptions(dc, clientRight);
    EndPaint(window, &paint);
}

void onVScroll(HWND bar, WPARAM wParam) {
    const int code = LOWORD(wParam), thumb = HIWORD(wParam);
    if (bar == shell.velocityBar) {
        if (const std::optional<int> velocity =
                velocityAfterScroll(performance.velocity, code, thumb)) {
            performance.velocity = *velocity;
            SetScrollPos(bar, SB_CTL, velocityThumb(*velocity), TRUE);
        }
    } else if (bar == shell.pitchBendBar) {
        if (const std::optional<int> bend = pitchBendAfterScroll(code, thumb)) {
            SetScrollPos(bar, SB_CTL, pitchBendThumb(*bend), TRUE);
            if (performance.deviceOpen)
                sendPitchBend(performance.midiOut, performance.channel, *bend);
        }
    }
}

void onDestroy(HWND window) {
    cancelStartupPlay(window);
    SendMessageW(window, WM_COMMAND, ID_DEVICE_CLOSE, 0);
    releasePlaybackList(); // stops playback first
    releaseRecordingList();
    shell.mainWindow = nullptr;
    PostQuitMessage(0);
}

} // namespace

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return onCreate(window);
    case WM_SIZE:
        placeControls(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_PAINT:
        onPaint(window);
        return 0;
    case WM_COMMAND:
        onCommand(window, wParam);
        return 0;
    case WM_VSCROLL:
        onVScroll(reinterpret_cast<HWND>(lParam), wParam);
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        onKeyMessage(window, message, lParam);
        return 0;
    case WM_CHAR:
        onChar(window, wParam);
        return 0;
    case WM_LBUTTONDOWN:
        onMouseDown(window, lParam);
        return 0;
    case WM_LBUTTONUP:
        onMouseUp(window);
        return 0;
    case messageReplayEvent:
        onReplayEvent(window, wParam, lParam);
        return 0;
    case messagePlaybackEnd:
        onPlaybackEnd(window, wParam);
        return 0;
    case WM_TIMER:
        onStartupTimer(window, wParam);
        return 0;
    case WM_CLOSE:
        onClose(window);
        return 0;
    case WM_QUERYENDSESSION:
        return onQueryEndSession(window);
    case WM_DESTROY:
        onDestroy(window);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool loadPictures() {
    shell.instrumentPicture = static_cast<HBITMAP>(
        LoadImageW(shell.instance, MAKEINTRESOURCEW(IDB_INSTRUMENTS), IMAGE_BITMAP, 0, 0, 0));
    shell.keyPicture = static_cast<HBITMAP>(
        LoadImageW(shell.instance, MAKEINTRESOURCEW(IDB_KEYS), IMAGE_BITMAP, 0, 0, 0));
    if (!shell.instrumentPicture || !shell.keyPicture)
        return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, shell.instrumentPicture);
    shell.backgroundColor = GetPixel(memory, 0, 0) & 0x00FFFFFF;
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return true;
}

void releasePictures() {
    if (shell.instrumentPicture)
        DeleteObject(shell.instrumentPicture);
    if (shell.keyPicture)
        DeleteObject(shell.keyPicture);
    shell.instrumentPicture = nullptr;
    shell.keyPicture = nullptr;
}

bool registerMainWindowClass() {
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = shell.instance;
    windowClass.hIcon = LoadIconW(shell.instance, L"QV");
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(shell.backgroundColor);
    windowClass.lpszClassName = mainWindowClass;
    if (RegisterClassW(&windowClass))
        return true;
    DeleteObject(windowClass.hbrBackground);
    return false;
}

HWND createMainWindow(int showCommand) {
    HWND window = CreateWindowExW(0, mainWindowClass, L"Tonvira", WS_OVERLAPPEDWINDOW, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  nullptr, nullptr, shell.instance, nullptr);
    if (window) {
        ShowWindow(window, showCommand);
        UpdateWindow(window);
    }
    return window;
}
