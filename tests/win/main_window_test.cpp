// The main window with real messages: menus, mouse, scroll bars, painting, recording, About, help.
#include "app/layout.h"
#include "engine/key_geometry.h"
#include "recording/playback_scheduler.h"
#include "tests/win/window_fixture.h"

#include <imm.h>

#include <algorithm>
#include <filesystem>
#include <string>

using MainWindow = WindowTest;

// Settings chosen while the device is closed go out at the next open, to the play and the bass
// channel; the picture follows the instrument and the drum channel.
TEST_F(MainWindow, DeviceChannelInstrumentAndKeyModeCommandsAndTheInstrumentPicture) {
    fake.devices = 0; // without a device the program does not start
    EXPECT_EQ(create(), nullptr);
    EXPECT_EQ(boxes(), WideTexts{box(L"QV", L"No MIDI output devices!", MB_ICONERROR)});
    fake.devices = 2;
    ASSERT_TRUE(create());
    auto showsPicture = [&](int n) { // a block from its middle
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        const int x = (layout.clientWidth - pictureWidth) / 2 + 40, y = pictureTop + 40;
        return pixels(window, {x, y, x + 90, y + 60}) ==
               pixels(window, {pictureWidth * n + 40, 40, pictureWidth * n + 130, 100},
                      shell.instrumentPicture);
    };
    command(ID_DEVICE_CLOSE, ID_PROGRAM_BASE + 40); // nothing sent while closed
    EXPECT_EQ(sent(), thenSilence("program 0"));
    EXPECT_TRUE(fake.closes == 1 && checked(ID_DEVICE_CLOSE) && checked(ID_DEVICE_MAPPER));
    command(ID_DEVICE_OPEN, ID_CHANNEL_BASE + 14, ID_CHANNEL_BASE + 15); // 15 is the bass's
    EXPECT_EQ(sent(), "program 40, program 40@15, program 40@14, program 40@15");
    command(1315, ID_AUTO_BASS); // c minor
    EXPECT_TRUE(checked(ID_CHANNEL_BASE + 14) && checked(ID_PROGRAM_BASE + 40) && checked(1315));
    EXPECT_TRUE(performance.keyMode == 1315 && performance.autoBass && checked(ID_AUTO_BASS));
    command(ID_PROGRAM_BASE + 80);
    EXPECT_TRUE(showsPicture(10) && !showsPicture(9));
    command(ID_CHANNEL_BASE + 9);
    EXPECT_TRUE(showsPicture(14) && !showsPicture(10));
    fake.openFails = true;
    command(ID_DEVICE_BASE + 1); // closed, and the reopen fails: a warning
    EXPECT_TRUE(!performance.deviceOpen && checked(ID_DEVICE_CLOSE) && !checked(ID_DEVICE_OPEN));
    EXPECT_TRUE(checked(ID_DEVICE_BASE + 1) && !checked(ID_DEVICE_MAPPER));
    EXPECT_EQ(boxes(), WideTexts{warning(L"Cannot open MIDI device")});
}

// Every SoundFont beside the program is a built-in synthesizer listed after the MIDI devices, in
// name order; the first is chosen and opened at start, and when it cannot open the start falls
// back quietly to the MIDI mapper. A SoundFont is device enough for the program to start.
TEST_F(MainWindow, BuiltInSynthesizersAsDevices) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("tonvira-fonts-" + std::to_string(GetTickCount()));
    std::filesystem::create_directories(folder / "d.sf2"); // a folder, not a SoundFont
    for (const char* name : {"b.sf2", "A.SF2", "c.sf2.txt", "e.sf3"})
        CloseHandle(CreateFileW((folder / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                                nullptr));
    fake.soundFontFolder = folder;
    fake.devices = 2;
    ASSERT_TRUE(create());
    auto itemText = [&](UINT id) {
        wchar_t text[80] = L"";
        GetMenuStringW(GetMenu(window), id, text, 80, MF_BYCOMMAND);
        return std::wstring(text);
    };
    EXPECT_EQ(itemText(ID_DEVICE_BASE + 1), L"Test device 1");
    EXPECT_EQ(itemText(ID_DEVICE_BASE + 2), L"内置合成器 (A.SF2)");
    EXPECT_EQ(itemText(ID_DEVICE_BASE + 3), L"内置合成器 (b.sf2)");
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(GetMenu(window), 5)), 5); // the mapper, 2 + 2 devices
    EXPECT_EQ(fake.opened, WideTexts{L"synth A.SF2"});
    EXPECT_TRUE(performance.deviceOpen && performance.deviceIndex == 2 && checked(ID_DEVICE_OPEN));
    EXPECT_TRUE(checked(ID_DEVICE_BASE + 2) && !checked(ID_DEVICE_MAPPER));
    EXPECT_EQ(sent(), "program 0");
    command(ID_DEVICE_BASE + 3, ID_DEVICE_BASE + 0); // the second synthesizer, then a MIDI device
    EXPECT_EQ(fake.opened, (WideTexts{L"synth A.SF2", L"synth b.sf2", L"port 0"}));
    EXPECT_EQ(sent(), thenSilence() + ", program 0, program 0@15, " + thenSilence() +
                          ", program 0, program 0@15");
    EXPECT_TRUE(boxes().empty());
    DestroyWindow(window);

    fake.synthOpenFails = true, fake.opened.clear(), performance = {}; // quietly the mapper
    ASSERT_TRUE(create());
    EXPECT_EQ(fake.opened, WideTexts{L"port -1"});
    EXPECT_TRUE(performance.deviceOpen && checked(ID_DEVICE_MAPPER) && boxes().empty());
    command(ID_DEVICE_BASE + 3); // chosen by hand, it warns
    EXPECT_EQ(boxes(), WideTexts{warning(L"Cannot open MIDI device")});
    EXPECT_TRUE(!performance.deviceOpen && checked(ID_DEVICE_BASE + 3));
    DestroyWindow(window);

    fake.synthOpenFails = false, fake.devices = 0, fake.opened.clear(), performance = {};
    ASSERT_TRUE(create());
    EXPECT_EQ(fake.opened, WideTexts{L"synth A.SF2"});
    EXPECT_TRUE(checked(ID_DEVICE_BASE) && boxes().empty());
    std::filesystem::remove_all(folder);
}

// A focused button hands keys back; a click plays the key under the pointer until the button goes
// up anywhere. The velocity thumb sets the next note's; the bend bar bends while dragged, then
// springs back. Shift shows the key's raised cap (76 in the key picture).
TEST_F(MainWindow, FocusMouseExpressionBarsAndTheKeyCap) {
    ASSERT_TRUE(create());
    sent();
    // No input context, so that an input method never takes the keys.
    EXPECT_TRUE(!ImmGetContext(window) && !ImmGetContext(shell.buttons[0]));
    SetFocus(shell.buttons[0]);
    SendMessageW(shell.buttons[0], WM_KEYDOWN, 'S', 31 << 16);
    EXPECT_EQ(GetFocus(), window);
    key(WM_KEYUP, 31);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELONG(layout.keyboardLeft + 10, layout.keyboardTop + 40));
    EXPECT_EQ(GetCapture(), window);
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELONG(5, 5));
    EXPECT_EQ(GetCapture(), nullptr);
    auto scroll = [&](HWND bar, int code, int thumb) {
        SendMessageW(window, WM_VSCROLL, MAKEWPARAM(code, thumb), reinterpret_cast<LPARAM>(bar));
        return GetScrollPos(bar, SB_CTL);
    };
    EXPECT_EQ(scroll(shell.velocityBar, SB_THUMBTRACK, 123), 123);
    EXPECT_EQ(scroll(shell.pitchBendBar, SB_THUMBTRACK, 1), 1);
    EXPECT_EQ(scroll(shell.pitchBendBar, SB_THUMBPOSITION, 1), 8192);
    fake.shiftDown = true;
    key(WM_KEYDOWN, 30);
    EXPECT_EQ(sent(), "on 62, off 62, on 43, off 43, bend 16382, bend 8191, on 72 v5");
    const PixelRect cell = keyCell(keyTable[30], layout.keyboardLeft, layout.keyboardTop);
    const auto corner = pixels(window, {cell.left, cell.top, cell.left + 6, cell.top + 6});
    EXPECT_EQ(corner, pixels(window, {76, 0, 82, 6}, shell.keyPicture));
    EXPECT_NE(corner, pixels(window, {0, 0, 6, 6}, shell.keyPicture)); // the plain cap
}

// Recording and playing need the device open. A single pass ends by itself with All Notes Off,
// even with a key held when recording stopped; a loop plays until stopped, and an event already
// queued then plays no more. A replayed event is looked up with a bounds check.
TEST_F(MainWindow, RecordingPlayingAndReplayedEvents) {
    ASSERT_TRUE(create());
    EXPECT_EQ(commandStates(), "100000001 10000");
    command(ID_RECORD_START);
    EXPECT_EQ(commandStates(), "010000000 01000");
    command(ID_RECORD_STOP, ID_RECORD_START); // nothing recorded: the document stays unchanged
    EXPECT_FALSE(document.dirty);
    key(WM_KEYDOWN, 30);
    command(ID_RECORD_STOP);
    EXPECT_TRUE(commandStates() == "101101111 10110" && document.dirty);
    sent();
    command(ID_PLAY);
    pumpFor(300);
    EXPECT_EQ(sent(), thenSilence("on 60"));
    command(ID_PLAY_LOOP);
    EXPECT_EQ(commandStates(), "000010000 00001");
    pumpFor(200);
    const std::string passes = sent();
    EXPECT_NE(passes.find("on 60"), passes.rfind("on 60")); // at least twice
    command(ID_PLAY_STOP);
    EXPECT_EQ(sent(), thenSilence());
    pumpFor(100);
    EXPECT_TRUE(sent().empty() && !playbackRunning());
    eventLists.playbackList = {
        {0, 256, 30 << 16, 1}, {0, 257, 30 << 16, 1}, {0, 256, 31 << 16, 7}, {0, 256, 32 << 16, 0}};
    eventLists.playbackList.pop_back(); // its bytes stay behind the end, where 3 would find them
    const WPARAM current = playbackGeneration();
    for (LPARAM index : {0, 1, 2, 3}) // 2 has an impossible shift, 3 is beyond the list
        SendMessageW(window, messageReplayEvent, current, index);
    SendMessageW(window, messageReplayEvent, current + 1, 0); // another playback's: dropped
    EXPECT_EQ(sent(), "on 72, off 72");
    command(ID_DEVICE_CLOSE, ID_RECORD_START, ID_PLAY);
    EXPECT_FALSE(performance.recording || playbackRunning());
    EXPECT_EQ(boxes(), WideTexts(2, box(L"提示", L"请打开开关", MB_OK)));
}

// Help without HTML Help does nothing and looks for it once. The About box's texts, as the
// resource script's code page makes them; points on a link's edge are outside it; the mail link
// opens mailto, turns purple and is purple again when the box reopens, the others not.
TEST_F(MainWindow, HelpWithoutHtmlHelpAndTheAboutBoxTextsLinksAndColours) {
    ASSERT_TRUE(create());
    command(ID_HELP, ID_HELP);
    EXPECT_TRUE(fake.helpLibraryLoads == 1 && boxes().empty());
    auto open = [&] { // as the menu's DialogBox shows it, without its modal loop
        HWND dialog = CreateDialogParamW(shell.instance, L"AboutBox", window, AboutBoxProc, 0);
        ShowWindow(dialog, SW_SHOW);
        UpdateWindow(dialog);
        return dialog;
    };
    auto purple = [](HWND control) { // anywhere in it
        RECT area{};
        GetClientRect(control, &area);
        const std::vector<COLORREF> all = pixels(control, area);
        return std::find(all.begin(), all.end(), RGB(150, 0, 150)) != all.end();
    };
    HWND dialog = open(), mail = GetDlgItem(dialog, IDC_LINK_MAIL);
    std::wstring texts = textOf(dialog); // no title
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        texts += textOf(child).empty() ? L"" : L"|" + textOf(child);
    EXPECT_EQ(texts, L"|确定|BITMAP|把电脑键盘变成乐器。|下载地址一：|下载地址二：|联系：|主页：");
    RECT r{}; // the mail link in the dialog's client coordinates
    GetWindowRect(mail, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    auto cursorAt = [&](int x, int y, UINT message = WM_MOUSEMOVE) {
        SendMessageW(dialog, message, message == WM_MOUSEMOVE ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
        return GetCursor();
    };
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW),
                  hand = LoadCursorW(shell.instance, MAKEINTRESOURCEW(IDC_PLAY_CURSOR));
    const int midX = (r.left + r.right) / 2, midY = (r.top + r.bottom) / 2;
    for (POINT p : {POINT{r.left, midY}, {r.right, midY}, {midX, r.top}, {midX, r.bottom}})
        EXPECT_TRUE(cursorAt(p.x, p.y) == arrow && cursorAt(p.x, p.y, WM_LBUTTONDOWN) == arrow)
            << p.x << "," << p.y;
    EXPECT_FALSE(purple(mail));
    EXPECT_EQ(cursorAt(r.right - 1, r.bottom - 1), hand);
    EXPECT_EQ(cursorAt(r.left + 1, r.top + 1, WM_LBUTTONDOWN), hand); // not the hourglass
    EXPECT_EQ(fake.shellOpened, WideTexts{L"mailto:tonvira@example.org"});
    EXPECT_TRUE(purple(mail));
    DestroyWindow(dialog);
    dialog = open();
    for (int id : {IDC_LINK_MAIL, IDC_LINK_HOME, IDC_LINK_DOWNLOAD1, IDC_LINK_DOWNLOAD2})
        EXPECT_EQ(purple(GetDlgItem(dialog, id)), id == IDC_LINK_MAIL) << id;
    DestroyWindow(dialog);
}
