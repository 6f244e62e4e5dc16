// The main window with real messages: menus, keys, mouse, scroll bars, painting, recording.
#include "app/layout.h"
#include "engine/key_geometry.h"
#include "recording/playback_scheduler.h"
#include "tests/win/window_fixture.h"

namespace {

using MainWindow = WindowTest;

bool shows(HWND window, int x, int y, HBITMAP bitmap, int sourceX, int sourceY) {
    HDC dc = GetDC(window), memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool same = GetPixel(dc, x, y) == GetPixel(memory, sourceX, sourceY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(window, dc);
    return same;
}

// Without a device the program refuses to start. Settings chosen while closed go out at the next
// open, to the play and the bass channel; the picture follows the instrument and the drum channel;
// a device that fails to open warns and is left closed.
TEST_F(MainWindow, DeviceChannelInstrumentAndKeyModeCommandsAndTheInstrumentPicture) {
    fake.devices = 0;
    EXPECT_EQ(create(), nullptr);
    EXPECT_EQ(boxes(), WideTexts{box(L"QV", L"No MIDI output devices!", MB_ICONERROR)});
    fake.devices = 2;
    ASSERT_TRUE(create());
    auto showsPicture = [&](int n) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        const int left = (layout.clientWidth - pictureWidth) / 2;
        bool same = true;
        for (POINT p : {POINT{85, 70}, {40, 40}, {120, 100}, {60, 110}, {100, 30}, {30, 90}})
            same = same && shows(window, left + p.x, pictureTop + p.y, shell.instrumentPicture,
                                 pictureWidth * n + p.x, p.y);
        return same;
    };
    command(ID_DEVICE_CLOSE, ID_PROGRAM_BASE + 40); // nothing sent while closed
    EXPECT_EQ(sent(), thenSilence("program 0"));
    EXPECT_TRUE(fake.closes == 1 && checked(ID_DEVICE_CLOSE) && checked(ID_DEVICE_MAPPER));
    // A second open does nothing, nor do channel 15 (the bass channel's), no instrument and a
    // number between the file and key commands.
    command(ID_DEVICE_OPEN, ID_DEVICE_OPEN, ID_CHANNEL_BASE + 14, ID_CHANNEL_BASE + 15,
            ID_PROGRAM_BASE + 128, 1290);
    EXPECT_EQ(sent(), "program 40, program 40@15, program 40@14, program 40@15");
    command(1315, ID_AUTO_BASS); // c minor
    EXPECT_TRUE(checked(ID_CHANNEL_BASE + 14) && checked(ID_PROGRAM_BASE + 40) && checked(1315));
    EXPECT_TRUE(performance.keyMode == 1315 && performance.autoBass && checked(ID_AUTO_BASS));
    command(ID_PROGRAM_BASE + 80);
    EXPECT_TRUE(showsPicture(10) && !showsPicture(9));
    command(ID_CHANNEL_BASE + 9);
    EXPECT_TRUE(showsPicture(14));
    fake.openFails = true;
    command(ID_DEVICE_BASE + 1); // closed, and the reopen fails
    EXPECT_TRUE(!performance.deviceOpen && checked(ID_DEVICE_CLOSE) && !checked(ID_DEVICE_OPEN));
    EXPECT_TRUE(checked(ID_DEVICE_BASE + 1) && !checked(ID_DEVICE_MAPPER));
    EXPECT_EQ(boxes(), WideTexts{warning(L"Cannot open MIDI device")});
}

// Shift is read at key-down, for the note and the key's cap (the raised one at 76 in the picture);
// Esc arrives as a character; a button with the focus (where the layout puts it) hands keys back;
// a click plays the key under the pointer until the button goes up anywhere. The velocity thumb
// follows the drag and sets the next note's; the bend bar bends while dragged, then springs back.
TEST_F(MainWindow, KeysShiftEscapeFocusMouseAndExpressionBars) {
    ASSERT_TRUE(create());
    sent();
    const PixelRect cell = keyCell(keyTable[30], layout.keyboardLeft, layout.keyboardTop);
    fake.shiftDown = true;
    key(WM_KEYDOWN, 30);
    EXPECT_TRUE(shows(window, cell.left + 3, cell.top + 3, shell.keyPicture, 76 + 3, 3));
    EXPECT_FALSE(shows(window, cell.left + 3, cell.top + 3, shell.keyPicture, 3, 3)); // plain
    fake.shiftDown = false;
    key(WM_KEYUP, 30);
    key(WM_KEYDOWN, 37);
    SendMessageW(window, WM_CHAR, 27, 0);
    EXPECT_EQ(sent(), thenSilence("on 72, off 72, on 72"));
    const ControlRect first = buttonRect(layout, 0);
    ASSERT_EQ(ChildWindowFromPoint(window, {first.x + 1, first.y + 1}), shell.buttons[0]);
    SetFocus(shell.buttons[0]);
    SendMessageW(shell.buttons[0], WM_KEYDOWN, 'S', 31 << 16);
    EXPECT_EQ(GetFocus(), window);
    const LPARAM onQ = MAKELONG(layout.keyboardLeft + 10, layout.keyboardTop + 40);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, onQ);
    EXPECT_EQ(GetCapture(), window);
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELONG(5, 5));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(sent(), "on 62, on 43, off 43");
    auto scroll = [&](HWND bar, int code, int thumb) {
        SendMessageW(window, WM_VSCROLL, MAKEWPARAM(code, thumb), reinterpret_cast<LPARAM>(bar));
        return GetScrollPos(bar, SB_CTL);
    };
    EXPECT_EQ(scroll(shell.velocityBar, SB_THUMBTRACK, 123), 123);
    EXPECT_EQ(scroll(shell.pitchBendBar, SB_THUMBTRACK, 1), 1);
    EXPECT_EQ(scroll(shell.pitchBendBar, SB_THUMBPOSITION, 1), 8192);
    key(WM_KEYDOWN, 30);
    EXPECT_EQ(sent(), "bend 16382, bend 8191, on 60 v5"); // the velocity of thumb 123
}

// Recording and playing need the device open. A single pass ends by itself with All Notes Off,
// also after a key still held when recording stopped; a loop plays until stopped, and an event
// already queued at the stop plays no more. A replayed event is looked up with a bounds check.
TEST_F(MainWindow, RecordingPlayingAndReplayedEvents) {
    ASSERT_TRUE(create());
    EXPECT_EQ(commandStates(), "100000001 10000");
    command(ID_RECORD_START);
    EXPECT_EQ(commandStates(), "010000000 01000");
    command(ID_RECORD_STOP); // nothing played
    EXPECT_TRUE(commandStates() == "100000001 10000" && !document.dirty);
    command(ID_RECORD_START);
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

} // namespace
