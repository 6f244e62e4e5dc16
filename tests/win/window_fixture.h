// The real main window with fresh settings, lists and fakes for each test, and what tests read
// back: the MIDI messages sent, the message boxes, the command states, the title.
#pragma once

#include "app/document.h"
#include "app/shell.h"
#include "engine/performance_state.h"
#include "recording/event_lists.h"
#include "resources/resource_ids.h"
#include "tests/midi_text.h"
#include "tests/win/fake_devices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

using WideTexts = std::vector<std::wstring>;

// The MIDI messages sent since the last call.
inline std::string sent() {
    return describeMidi(std::exchange(fake.sent, {}));
}

// The given messages, then All Notes Off on the sixteen channels.
inline std::string thenSilence(const std::string& before = "") {
    std::vector<uint32_t> silence;
    for (uint32_t channel = 0; channel < 16; ++channel)
        silence.push_back(0x7BB0 | channel);
    return before + (before.empty() ? "" : ", ") + describeMidi(silence);
}

inline std::wstring box(const std::wstring& caption, const std::wstring& text, unsigned type) {
    return caption + L" | " + text + L" | " + std::to_wstring(type);
}
inline std::wstring warning(const std::wstring& text) {
    return box(L"QV", text, MB_ICONWARNING);
}
inline WideTexts boxes() {
    return std::exchange(fake.boxes, {});
}

// Dispatches what is queued and, for the given time, what arrives; a quit message is dropped.
inline void pumpFor(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    MSG message;
    do {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message != WM_QUIT)
                DispatchMessageW(&message);
        Sleep(milliseconds ? 1 : 0);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

// A fresh folder under %TEMP%, removed afterwards with all it holds.
struct TempFolder {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 (L"tonvira-" + std::to_wstring(GetCurrentProcessId()));
    TempFolder() { std::filesystem::create_directories(path); }
    ~TempFolder() {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(path);
    }
};

class WindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (shell.instance)
            return; // the class and pictures live for the whole test program
        shell.instance = GetModuleHandleW(nullptr);
        ASSERT_TRUE(loadPictures() && registerMainWindowClass());
    }
    void SetUp() override {
        fake = Fakes{};
        performance = PerformanceState{};
        document = DocumentState{};
        releaseRecordingList();
        releasePlaybackList();
        shell.commandLine = L"";
    }
    void TearDown() override {
        document.dirty = false; // no prompt on the way out
        DestroyWindow(window);
        pumpFor(0);
    }

    // Creates the window as the program does, at a fixed size.
    HWND create() {
        window = createMainWindow(SW_SHOWNORMAL);
        MoveWindow(window, 0, 0, 1024, 768, TRUE);
        pumpFor(0);
        return window;
    }
    void command(UINT id) { SendMessageW(window, WM_COMMAND, id, 0); }
    void key(UINT message, unsigned scan) { SendMessageW(window, message, 0, LPARAM(scan) << 16); }
    void recordOneNote() {
        command(ID_RECORD_START);
        key(WM_KEYDOWN, 30);
        key(WM_KEYUP, 30);
        command(ID_RECORD_STOP);
    }
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
    std::wstring title() {
        wchar_t text[300] = {};
        return std::wstring(text, GetWindowTextW(window, text, 300));
    }

    HWND window = nullptr;
};
