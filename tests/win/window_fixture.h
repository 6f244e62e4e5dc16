// A fixture for tests of the real main window: the window class and pictures are set up once,
// every test starts from fresh settings, lists and fakes, and its window is destroyed after it.
#pragma once

#include "app/document.h"
#include "app/shell.h"
#include "engine/performance_state.h"
#include "recording/event_lists.h"
#include "tests/win/fake_devices.h"

#include <gtest/gtest.h>

#include <string>

// Dispatches what is queued (and, for a while, what arrives), leaving a quit message aside.
inline void pumpFor(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    MSG message;
    do {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message != WM_QUIT)
                DispatchMessageW(&message);
        if (milliseconds != 0)
            Sleep(1);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

class WindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (shell.instance)
            return; // the class and pictures live for the whole test program
        shell.instance = GetModuleHandleW(nullptr);
        ASSERT_TRUE(loadPictures());
        ASSERT_TRUE(registerMainWindowClass());
    }
    void SetUp() override {
        fake::reset();
        performance = PerformanceState{};
        document = DocumentState{};
        releaseRecordingList();
        releasePlaybackList();
        shell.commandLine = L"";
    }
    void TearDown() override {
        if (window && IsWindow(window)) {
            document.dirty = false; // no prompt on the way out
            DestroyWindow(window);
        }
        pumpFor(0);
        shell.commandLine = L"";
    }

    // Creates the window as the program does, at a fixed size so that layouts are predictable.
    HWND create() {
        window = createMainWindow(SW_SHOWNORMAL);
        if (window) {
            MoveWindow(window, 0, 0, 1024, 768, TRUE);
            pumpFor(0);
        }
        return window;
    }
    void command(UINT id) { SendMessageW(window, WM_COMMAND, id, 0); }
    void key(UINT message, unsigned scan, LPARAM extra = 0) {
        SendMessageW(window, message, 0, static_cast<LPARAM>(scan) << 16 | extra);
    }
    UINT menuState(UINT id) { return GetMenuState(GetMenu(window), id, MF_BYCOMMAND); }
    bool checked(UINT id) { return (menuState(id) & MF_CHECKED) != 0; }
    bool grayed(UINT id) { return (menuState(id) & MF_GRAYED) != 0; }
    bool buttonOn(int i) { return IsWindowEnabled(shell.buttons[i]) != FALSE; }
    std::wstring title() {
        wchar_t text[300] = {};
        GetWindowTextW(window, text, 300);
        return text;
    }

    HWND window = nullptr;
};
