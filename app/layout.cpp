#include "app/layout.h"

#include "app/instrument_table.h"

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

const KeyModeItem keyModeItems[keyModeCount] = {
    {1297, L" C大调\t  Alt+C"}, {1298, L" D大调\t  Alt+D"}, {1299, L" E大调\t  Alt+E"},
    {1300, L" F大调\t  Alt+F"}, {1301, L" G大调\t  Alt+G"}, {1302, L" A大调\t  Alt+A"},
    {1303, L" B大调\t  Alt+B"}, {1304, L"#F大调\t  Alt+H"}, {1305, L"#C大调\t  Alt+I"},
    {1312, L"bB大调\t  Alt+J"}, {1313, L"bE大调\t  Alt+K"}, {1314, L"bA大调\t  Alt+L"},
    {1315, L" c小调\t  Alt+M"}, {1316, L" d小调\t  Alt+N"}, {1317, L" e小调\t  Alt+P"},
    {1318, L" f小调\t  Alt+Q"}, {1319, L" g小调\t  Alt+R"}, {1320, L" a小调\t  Alt+T"},
    {1321, L" b小调\t  Alt+U"}, {1328, L"#f小调\t  Alt+V"}, {1329, L"#c小调\t  Alt+W"},
    {1330, L"#g小调\t  Alt+X"}, {1331, L"#d小调\t  Alt+Y"}, {1332, L"#a小调\t  Alt+Z"},
};

std::wstring keyModeLabel(int keyMode) {
    for (const KeyModeItem& item : keyModeItems) {
        if (item.id != keyMode)
            continue;
        // The menu text begins with the key's name: " C", "#F", "bB", " c", "#f"...
        std::wstring name(item.menuText, 2);
        if (name[0] == L' ')
            name.erase(0, 1);
        const bool minor = item.menuText[2] == L'小';
        return (minor ? L"6=" : L"1=") + name;
    }
    return L"";
}

std::wstring instrumentLabel(int program, int keyMode) {
    return std::wstring(instrumentName(program)) + L"    " + keyModeLabel(keyMode);
}
