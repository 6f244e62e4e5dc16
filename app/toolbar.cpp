// The toolbar of fourteen favourite instruments along the top of the main window.
#include "app/toolbar.h"
#include "app/instrument_table.h"
#include "app/shell.h"
#include "resources/resource_ids.h"

#include <commctrl.h>

namespace {

// Family and entry (0-based) of each button's instrument, in button order.
const int favourites[14][2] = {{0, 0}, {1, 7}, {2, 3}, {3, 1},  {4, 0},  {5, 0},  {6, 7},
                               {7, 1}, {8, 2}, {9, 1}, {12, 7}, {13, 3}, {14, 2}, {15, 3}};

} // namespace

Toolbar createToolbar(HWND window) {
    Toolbar toolbar{};
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
    toolbar.window =
        CreateWindowExW(WS_EX_TOOLWINDOW, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | TBSTYLE_FLAT, 0, 0,
                        0, 0, window, nullptr, shell.instance, nullptr);
    if (!toolbar.window)
        return toolbar;
    toolbar.images = ImageList_Create(32, 32, ILC_COLOR4, 0, 13);
    toolbar.bitmap = static_cast<HBITMAP>(
        LoadImageW(shell.instance, MAKEINTRESOURCEW(IDB_TOOLBAR), IMAGE_BITMAP, 0, 0, 0));
    ImageList_Add(toolbar.images, toolbar.bitmap, nullptr);
    SendMessageW(toolbar.window, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbar.images));
    TBBUTTON buttons[14]{};
    for (int i = 0; i < 14; ++i) {
        const int program = instrumentTable[favourites[i][0]].entries[favourites[i][1]].program;
        buttons[i].iBitmap = i;
        buttons[i].idCommand = ID_PROGRAM_BASE + program;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = TBSTYLE_BUTTON;
        buttons[i].iString = i;
    }
    SendMessageW(toolbar.window, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar.window, TB_ADDBUTTONSW, 14, reinterpret_cast<LPARAM>(buttons));
    ShowWindow(toolbar.window, SW_SHOWMAXIMIZED);
    return toolbar;
}

void releaseToolbar(Toolbar& toolbar) {
    if (toolbar.images)
        ImageList_Destroy(toolbar.images);
    if (toolbar.bitmap)
        DeleteObject(toolbar.bitmap);
    toolbar = Toolbar{};
}
