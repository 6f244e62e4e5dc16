// The help menu: the About box, run modally as the program does, and help without HTML Help.
#include "tests/win/window_fixture.h"

#include <functional>

namespace {

// The modal box runs its own message loop, so a thread timer drives it: once the box shows, the
// test looks at it and types Esc; a box still open 40 ticks later is ended by force.
struct {
    std::function<void(HWND)> whileOpen;
    HWND dialog;
    int ticks;
} run;

void CALLBACK onBoxTimer(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = FindWindowW(L"#32770", nullptr);
    if (dialog && !run.dialog) {
        run.dialog = dialog;
        UpdateWindow(dialog);
        run.whileOpen(dialog);
        PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    } else if (dialog && ++run.ticks == 40) {
        EndDialog(dialog, 0);
    }
}

bool paints(HWND control, COLORREF colour) {
    RECT area{};
    GetClientRect(control, &area);
    HDC dc = GetDC(control);
    bool seen = false;
    for (int y = 0; y < area.bottom; ++y)
        for (int x = 0; x < area.right; ++x)
            seen |= GetPixel(dc, x, y) == colour;
    ReleaseDC(control, dc);
    return seen;
}

HCURSOR cursorAt(HWND dialog, int x, int y, UINT message = WM_MOUSEMOVE) {
    SendMessageW(dialog, message, message == WM_MOUSEMOVE ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
    return GetCursor();
}

bool openAbout(HWND window, std::function<void(HWND)> whileOpen) {
    run = {std::move(whileOpen), nullptr, 0};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, onBoxTimer);
    SendMessageW(window, WM_COMMAND, ID_ABOUT, 0);
    KillTimer(nullptr, timer);
    return run.dialog && run.ticks < 40 && !IsWindow(run.dialog) && IsWindowEnabled(window);
}

using AboutBox = WindowTest;

// Help without HTML Help does nothing and looks for it once. The About box's texts, as the
// resource script's code page makes them; points on a link's edge are outside it; the mail link
// opens mailto, turns purple and is purple again when the box reopens, the others not.
TEST_F(AboutBox, HelpWithoutHtmlHelpAndTheAboutBoxTextsLinksAndColours) {
    ASSERT_TRUE(create());
    command(ID_HELP, ID_HELP);
    EXPECT_TRUE(fake.helpLibraryLoads == 1 && boxes().empty());
    const HCURSOR hand = LoadCursorW(shell.instance, MAKEINTRESOURCEW(IDC_PLAY_CURSOR));
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const COLORREF purple = RGB(150, 0, 150);
    EXPECT_TRUE(openAbout(window, [&](HWND dialog) {
        std::wstring texts = textOf(dialog); // no title
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            texts += textOf(child).empty() ? L"" : L"|" + textOf(child);
        EXPECT_EQ(texts,
                  L"|确定|BITMAP|把电脑键盘变成乐器。|下载地址一：|下载地址二：|联系：|主页：");
        RECT r{}; // the mail link in the dialog's client coordinates
        GetWindowRect(GetDlgItem(dialog, IDC_LINK_MAIL), &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        const int midX = (r.left + r.right) / 2, midY = (r.top + r.bottom) / 2;
        for (POINT p : {POINT{r.left, midY}, {r.right, midY}, {midX, r.top}, {midX, r.bottom}}) {
            EXPECT_EQ(cursorAt(dialog, p.x, p.y), arrow) << p.x << "," << p.y;
            cursorAt(dialog, p.x, p.y, WM_LBUTTONDOWN);
        }
        EXPECT_EQ(cursorAt(dialog, r.right - 1, r.bottom - 1), hand);
        EXPECT_FALSE(paints(GetDlgItem(dialog, IDC_LINK_MAIL), purple));
        EXPECT_EQ(cursorAt(dialog, r.left + 1, r.top + 1, WM_LBUTTONDOWN), hand); // not hourglass
        EXPECT_TRUE(paints(GetDlgItem(dialog, IDC_LINK_MAIL), purple));
    }));
    EXPECT_EQ(fake.shellOpened, WideTexts{L"mailto:tonvira@example.org"});
    EXPECT_TRUE(openAbout(window, [&](HWND dialog) { // reopened
        for (int id : {IDC_LINK_MAIL, IDC_LINK_HOME, IDC_LINK_DOWNLOAD1, IDC_LINK_DOWNLOAD2})
            EXPECT_EQ(paints(GetDlgItem(dialog, id), purple), id == IDC_LINK_MAIL) << id;
    }));
}

} // namespace
