// The real main window with fresh settings, lists and fakes for each test, and what tests read.
#pragma once

#include "app/about_box.h"
#include "app/document.h"
#include "app/help_command.h"
#include "app/shell.h"
#include "engine/performance_state.h"
#include "recording/event_lists.h"
#include "resources/resource_ids.h"
#include "tests/midi_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

using WideTexts = std::vector<std::wstring>;

// The doubles behind the platform and system seams (fake_devices.cpp); there is no HTML Help.
struct Fakes {
    unsigned devices = 1, closes = 0, helpLibraryLoads = 0;
    bool openFails = false, synthOpenFails = false, shiftDown = false;
    std::filesystem::path soundFontFolder; // none there: no built-in synthesizer
    WideTexts opened;                      // "port N" or "synth FILE" of each open
    std::vector<uint32_t> sent;            // every short message, in order
    WideTexts boxes;                       // "caption | text | type" of each message box
    std::vector<int> boxAnswers;           // taken in order; IDOK once they run out
    // Chosen paths ("" or none left: Cancel); each dialog shown as "save|open FILTER FLAGS EXT",
    // the filter's parts joined by '|', " incomplete" unless filled as a plain dialog needs.
    WideTexts dialogAnswers, dialogs;
    WideTexts shellOpened; // targets given to the shell to open
};
inline Fakes fake;

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!shell.instance) { // the class and pictures live for the whole test program
            shell.instance = GetModuleHandleW(nullptr);
            ASSERT_TRUE(loadPictures() && registerMainWindowClass());
        }
        fake = {}, performance = {}, document = {}, aboutBox = {}, helpBinding = {};
        releaseRecordingList();
        releasePlaybackList();
        shell.commandLine = L"";
    }
    void TearDown() override {
        document.dirty = false; // no prompt on the way out
        DestroyWindow(window);
        pumpFor(0);
    }

    HWND create() {
        window = createMainWindow(SW_SHOWNORMAL);
        MoveWindow(window, 0, 0, 1024, 768, TRUE);
        pumpFor(0);
        return window;
    }
    // Dispatches what is queued and, for the given time, what arrives.
    static void pumpFor(DWORD milliseconds) {
        MSG message;
        for (const DWORD start = GetTickCount();; Sleep(1)) {
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
            if (GetTickCount() - start >= milliseconds)
                return;
        }
    }
    template <typename... Ids> void command(Ids... ids) {
        (SendMessageW(window, WM_COMMAND, ids, 0), ...);
    }
    void key(UINT message, unsigned scan) { SendMessageW(window, message, 0, LPARAM(scan) << 16); }
    bool checked(UINT id) { return GetMenuState(GetMenu(window), id, 0) & MF_CHECKED; }
    // The recording menu's items in menu order, then the five buttons: 1 enabled, 0 grayed.
    std::string commandStates() {
        std::string out;
        for (UINT id : {ID_RECORD_START, ID_RECORD_STOP, ID_PLAY, ID_PLAY_LOOP, ID_PLAY_STOP,
                        ID_SAVE, ID_SAVE_AS, ID_EXPORT_MIDI, ID_LOAD})
            out += (GetMenuState(GetMenu(window), id, 0) & MF_GRAYED) ? '0' : '1';
        out += ' ';
        for (HWND button : shell.buttons)
            out += IsWindowEnabled(button) ? '1' : '0';
        return out;
    }
    static std::wstring textOf(HWND window) {
        wchar_t text[300] = {};
        return std::wstring(text, GetWindowTextW(window, text, 300));
    }
    // The colours in a rectangle of the window's client area or, when one is given, of the bitmap.
    static std::vector<COLORREF> pixels(HWND window, RECT r, HBITMAP bitmap = nullptr) {
        HDC dc = GetDC(window), memory = CreateCompatibleDC(dc);
        const HGDIOBJ previous = bitmap ? SelectObject(memory, bitmap) : nullptr;
        std::vector<COLORREF> out;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                out.push_back(GetPixel(bitmap ? memory : dc, x, y));
        if (previous)
            SelectObject(memory, previous);
        DeleteDC(memory);
        ReleaseDC(window, dc);
        return out;
    }

    static std::string sent() { return describeMidi(std::exchange(fake.sent, {})); }
    // The given messages, then All Notes Off on the sixteen channels.
    static std::string thenSilence(std::string before = "") {
        for (uint32_t channel = 0; channel < 16; ++channel)
            before += (before.empty() ? "" : ", ") + describeMidi({0x7BB0 | channel});
        return before;
    }
    static WideTexts boxes() { return std::exchange(fake.boxes, {}); }
    static std::wstring box(const std::wstring& caption, const std::wstring& text, unsigned type) {
        return caption + L" | " + text + L" | " + std::to_wstring(type);
    }
    static std::wstring warning(const std::wstring& t) { return box(L"QV", t, MB_ICONWARNING); }

    HWND window = nullptr;
};
