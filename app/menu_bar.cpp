// The menu bar: eight menus whose titles use the digit access keys 1 to 8.
#include "app/menu_bar.h"
#include "app/instrument_table.h"
#include "app/layout.h"
#include "app/shell.h"
#include "engine/key_modes.h"
#include "engine/performance_state.h"
#include "engine/platform.h"
#include "resources/resource_ids.h"

#include <string>

namespace {

constexpr unsigned maxListedDevices = 256; // identifiers 512..767

void append(HMENU menu, UINT id, const std::wstring& text, bool checked = false,
            bool grayed = false) {
    UINT flags = MF_STRING;
    if (checked)
        flags |= MF_CHECKED;
    if (grayed)
        flags |= MF_GRAYED;
    AppendMenuW(menu, flags, id, text.c_str());
}

void appendPopup(HMENU bar, HMENU popup, const wchar_t* title) {
    AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), title);
}

HMENU switchMenu() {
    HMENU menu = CreatePopupMenu();
    append(menu, ID_DEVICE_OPEN, L"打开(&O)\tAlt+O");
    // Alt+C selects C major; the device closes with Alt+S.
    append(menu, ID_DEVICE_CLOSE, L"关闭(&C)\tAlt+S", true);
    return menu;
}

HMENU instrumentMenu() {
    HMENU menu = CreatePopupMenu();
    for (int family = 0; family < instrumentFamilyCount; ++family) {
        HMENU sub = CreatePopupMenu();
        for (int j = 0; j < 8; ++j) {
            const InstrumentEntry& entry = instrumentTable[family].entries[j];
            append(sub, ID_PROGRAM_BASE + entry.program,
                   L"&" + std::to_wstring(j + 1) + L".\t" + entry.name, entry.program == 0);
        }
        const std::wstring title =
            std::wstring(L"&") + wchar_t(L'A' + family) + L".\t" + instrumentTable[family].name;
        appendPopup(menu, sub, title.c_str());
    }
    return menu;
}

HMENU keyModeMenu() {
    HMENU menu = CreatePopupMenu();
    for (const KeyModeItem& item : keyModeItems)
        append(menu, item.id, item.menuText, item.id == ID_KEY_FIRST);
    return menu;
}

HMENU recordingMenu() {
    HMENU menu = CreatePopupMenu();
    append(menu, ID_RECORD_START, L"开始录制(&R)");
    append(menu, ID_RECORD_STOP, L"停止录制(&E)", false, true);
    append(menu, ID_PLAY, L"开始播放(&P)", false, true);
    append(menu, ID_PLAY_LOOP, L"循环播放(&L)", false, true);
    append(menu, ID_PLAY_STOP, L"停止播放(&O)", false, true);
    append(menu, ID_SAVE, L"保存录音文件(&S)", false, true);
    append(menu, ID_SAVE_AS, L"录音文件另存为(&A)", false, true);
    append(menu, ID_EXPORT_MIDI, L"导出为Midi格式文件(&C)", false, true);
    append(menu, ID_LOAD, L"载入录音文件(&L)");
    return menu;
}

HMENU functionsMenu() {
    HMENU menu = CreatePopupMenu();
    append(menu, ID_AUTO_BASS, L"自动增加低音(&C)");
    return menu;
}

// The mapper first when it exists, then every device; the first item is the selected one.
HMENU deviceMenu(unsigned deviceCount) {
    HMENU menu = CreatePopupMenu();
    std::wstring name;
    if (platformMidiDeviceName(-1, name)) {
        append(menu, ID_DEVICE_MAPPER, name);
    } else {
        performance.deviceIndex = 0;
    }
    for (unsigned n = 0; n < deviceCount && n < maxListedDevices; ++n) {
        if (!platformMidiDeviceName(static_cast<int>(n), name))
            name = L"设备 " + std::to_wstring(n + 1);
        append(menu, ID_DEVICE_BASE + n, name);
    }
    CheckMenuItem(menu, 0, MF_BYPOSITION | MF_CHECKED);
    return menu;
}

HMENU channelMenu() {
    HMENU menu = CreatePopupMenu();
    for (int c = 0; c < 15; ++c)
        append(menu, ID_CHANNEL_BASE + c, std::to_wstring(c + 1), c == 0);
    return menu;
}

HMENU helpMenu() {
    HMENU menu = CreatePopupMenu();
    append(menu, ID_HELP, L"帮助(&H)");
    append(menu, ID_ABOUT, L"关于(&A)");
    return menu;
}

} // namespace

HMENU buildMenuBar(unsigned deviceCount) {
    HMENU bar = CreateMenu();
    appendPopup(bar, switchMenu(), L"开关(&1)");
    appendPopup(bar, instrumentMenu(), L"乐器(&2)");
    appendPopup(bar, keyModeMenu(), L"调式(&3)");
    appendPopup(bar, recordingMenu(), L"录音(&4)");
    appendPopup(bar, functionsMenu(), L"功能(&5)");
    appendPopup(bar, deviceMenu(deviceCount), L"设备(&6)");
    appendPopup(bar, channelMenu(), L"声道(&7)");
    appendPopup(bar, helpMenu(), L"帮助(&8)");
    return bar;
}

void moveCheck(HMENU menu, UINT from, UINT to) {
    CheckMenuItem(menu, from, MF_BYCOMMAND | MF_UNCHECKED);
    CheckMenuItem(menu, to, MF_BYCOMMAND | MF_CHECKED);
}
