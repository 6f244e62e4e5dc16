// The About box, run modally from the main window's command as the program does, and the help
// command without HTML Help.
#include "app/about_box.h"
#include "app/help_command.h"
#include "resources/resource_ids.h"
#include "tests/win/fake_devices.h"
#include "tests/win/window_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// While the modal box runs its own loop, a thread timer finds it, hands it to the test and
// then types the closing key; a box still open two seconds later is ended by force.
struct BoxRun {
    HWND owner = nullptr;
    std::function<void(HWND)> whileOpen;
    WPARAM closingKey = VK_ESCAPE;
    HWND dialog = nullptr;
    DWORD keyTime = 0;
    bool forced = false;
};
BoxRun* run = nullptr;

// The dialog box owned by the main window, if one is open.
HWND openDialog(HWND owner) {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, L"#32770", nullptr)))
        if (GetWindow(found, GW_OWNER) == owner && IsWindowVisible(found))
            return found;
    return nullptr;
}

void CALLBACK onBoxTimer(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = openDialog(run->owner);
    if (!dialog)
        return;
    if (!run->dialog) {
        run->dialog = dialog;
        UpdateWindow(dialog);
        run->whileOpen(dialog);
        HWND focus = GetFocus();
        PostMessageW(focus && IsChild(dialog, focus) ? focus : dialog, WM_KEYDOWN, run->closingKey,
                     0);
        run->keyTime = GetTickCount();
    } else if (GetTickCount() - run->keyTime > 2000) {
        run->forced = true;
        EndDialog(dialog, 0);
    }
}

struct Pixels {
    bool purple = false; // RGB 150, 0, 150
    bool black = false;
};

// What is on screen over a control.
Pixels pixelsOf(HWND control) {
    RECT area{};
    GetClientRect(control, &area);
    HDC dc = GetDC(control);
    Pixels seen;
    for (int y = 0; y < area.bottom; ++y)
        for (int x = 0; x < area.right; ++x) {
            const COLORREF colour = GetPixel(dc, x, y);
            seen.purple |= colour == RGB(150, 0, 150);
            seen.black |= colour == RGB(0, 0, 0);
        }
    ReleaseDC(control, dc);
    return seen;
}

class AboutBox : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        aboutBox = AboutBoxState{};
        helpBinding = HelpBinding{};
        ASSERT_TRUE(create());
    }
    // Opens the box with the About command and closes it with the key; true when it closed so.
    bool openAbout(std::function<void(HWND)> whileOpen, WPARAM closingKey = VK_ESCAPE) {
        BoxRun box{window, std::move(whileOpen), closingKey};
        run = &box;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, onBoxTimer);
        command(ID_ABOUT);
        KillTimer(nullptr, timer);
        run = nullptr;
        return box.dialog && !box.forced && !IsWindow(box.dialog) && IsWindowEnabled(window);
    }
};

// A link's rectangle in the dialog's client coordinates, from the control itself.
RECT linkArea(HWND dialog, int id) {
    RECT r{};
    HWND control = GetDlgItem(dialog, id);
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HCURSOR cursorAt(HWND dialog, int x, int y) {
    SendMessageW(dialog, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    return GetCursor();
}

void click(HWND dialog, int x, int y) {
    SendMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}

TEST_F(AboutBox, PointsOnALinkEdgeAreOutsideAndTheMailLinkOpensMailto) {
    const HCURSOR hand = LoadCursorW(shell.instance, MAKEINTRESOURCEW(IDC_PLAY_CURSOR));
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    EXPECT_TRUE(openAbout([&](HWND dialog) {
        EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & WS_CAPTION, 0);
        const RECT r = linkArea(dialog, IDC_LINK_MAIL);
        const int midX = (r.left + r.right) / 2, midY = (r.top + r.bottom) / 2;
        const POINT edges[] = {{r.left, midY}, {r.right, midY}, {midX, r.top}, {midX, r.bottom}};
        for (const POINT& p : edges) {
            EXPECT_EQ(cursorAt(dialog, p.x, p.y), arrow) << p.x << "," << p.y;
            click(dialog, p.x, p.y);
        }
        EXPECT_TRUE(fake::shellOpened.empty());
        EXPECT_EQ(cursorAt(dialog, r.left + 1, r.top + 1), hand);
        EXPECT_EQ(cursorAt(dialog, r.right - 1, r.bottom - 1), hand);
        click(dialog, r.left + 1, r.top + 1);
        EXPECT_EQ(GetCursor(), hand); // back from the hourglass
    }));
    EXPECT_EQ(fake::shellOpened, std::vector<std::wstring>{L"mailto:tonvira@example.org"});
}

TEST_F(AboutBox, AVisitedLinkIsPurpleAgainWhenTheBoxReopens) {
    EXPECT_TRUE(openAbout([](HWND dialog) {
        EXPECT_FALSE(pixelsOf(GetDlgItem(dialog, IDC_LINK_HOME)).purple);
        const RECT r = linkArea(dialog, IDC_LINK_HOME);
        click(dialog, r.left + 2, (r.top + r.bottom) / 2);
        EXPECT_TRUE(pixelsOf(GetDlgItem(dialog, IDC_LINK_HOME)).purple);
    }));
    EXPECT_EQ(fake::shellOpened, std::vector<std::wstring>{L"https://tonvira.example.org/"});
    EXPECT_TRUE(openAbout(
        [](HWND dialog) {
            EXPECT_TRUE(pixelsOf(GetDlgItem(dialog, IDC_LINK_HOME)).purple);
            for (int id : {IDC_LINK_MAIL, IDC_LINK_DOWNLOAD1, IDC_LINK_DOWNLOAD2}) {
                const Pixels seen = pixelsOf(GetDlgItem(dialog, id));
                EXPECT_TRUE(seen.black && !seen.purple) << id;
            }
        },
        VK_RETURN));
}

TEST_F(AboutBox, EscAndEnterCloseTheBox) {
    EXPECT_TRUE(openAbout([](HWND) {}, VK_ESCAPE));
    EXPECT_TRUE(openAbout([](HWND) {}, VK_RETURN));
    EXPECT_TRUE(fake::shellOpened.empty());
}

BOOL CALLBACK countWindow(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

int threadWindowCount() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST_F(AboutBox, HelpWithoutHtmlHelpDoesNothingAndLooksForItOnce) {
    const int windows = threadWindowCount();
    command(ID_HELP);
    command(ID_HELP);
    EXPECT_EQ(fake::helpLibraryLoads, 1);
    EXPECT_TRUE(fake::boxes.empty());
    EXPECT_EQ(threadWindowCount(), windows);
    // The topic names the help file that the build puts beside the program.
    const std::wstring topic = helpTopicPath();
    const size_t separator = topic.find(L"::/default.htm");
    ASSERT_NE(separator, std::wstring::npos);
    EXPECT_NE(GetFileAttributesW(topic.substr(0, separator).c_str()), INVALID_FILE_ATTRIBUTES)
        << std::string(topic.begin(), topic.end());
}

} // namespace
