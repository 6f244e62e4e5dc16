#include "engine/key_modes.h"

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

std::wstring keyModeName(int keyMode) {
    for (const KeyModeItem& item : keyModeItems) {
        if (item.id != keyMode)
            continue;
        // Up to the tab, without the space that lines up keys without a sharp or flat.
        std::wstring name = item.menuText;
        name.erase(name.find(L'\t'));
        if (name[0] == L' ')
            name.erase(0, 1);
        return name;
    }
    return L"";
}
