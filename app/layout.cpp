#include "app/layout.h"

#include "app/instrument_table.h"
#include "engine/key_modes.h"

Layout layout;

void layoutForSize(Layout& values, int width, int height) {
    values.clientWidth = width;
    values.clientHeight = height;
    values.keyboardLeft = (width - keyboardWidth) / 2;
    values.keyboardTop = values.cellHeight + (height - keyboardHeight) / 2;
}

ControlRect scrollBarRect(const Layout& values, int bar) {
    const int w = values.clientWidth, h = values.clientHeight;
    return {w * (17 + bar) / 20, h * 3 / 10, w / 40, h * 4 / 10};
}

ControlRect buttonRect(const Layout& values, int button) {
    const int w = values.clientWidth, h = values.clientHeight;
    // A row centred on the middle: six cells wide each, two cells apart.
    return {w / 2 + (8 * button - 19) * values.cellWidth, h * 8 / 10, 6 * values.cellWidth,
            7 * values.cellHeight / 4};
}

int instrumentPictureIndex(int program, int channel) {
    if (channel == 9)
        return 14; // the General MIDI drum channel
    if (program < 80)
        return program / 8;
    if (program < 104)
        return 10;
    return program / 8 - 2;
}

std::wstring keyModeLabel(int keyMode) {
    std::wstring name = keyModeName(keyMode); // "C大调", "#f小调"...
    if (name.empty())
        return name;
    const bool minor = name[name.size() - 2] == L'小';
    name.resize(name.size() - 2);
    return (minor ? L"6=" : L"1=") + name;
}

std::wstring instrumentLabel(int program, int keyMode) {
    return std::wstring(instrumentName(program)) + L"    " + keyModeLabel(keyMode);
}
