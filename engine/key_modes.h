// The 24 key/modes in the order and with the texts of the 调式 menu.
#pragma once

#include <string>

struct KeyModeItem {
    int id;                  // the key/mode identifier, also the menu command
    const wchar_t* menuText; // the key's name, 大调 or 小调, a tab and the accelerator
};
inline constexpr int keyModeCount = 24;
extern const KeyModeItem keyModeItems[keyModeCount];

// The key/mode as its menu item names it ("C大调", "#F大调", "bB大调", "a小调"); empty for an
// identifier that names no key/mode.
std::wstring keyModeName(int keyMode);
