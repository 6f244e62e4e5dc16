// The main window with real messages: start-up, menus, device sequences, keys, mouse, scroll
// bars, layout and painting, recording commands.
#include "app/document.h"
#include "app/layout.h"
#include "app/shell.h"
#include "engine/key_geometry.h"
#include "engine/midi_output.h"
#include "engine/performance_state.h"
#include "recording/event_lists.h"
#include "recording/playback_scheduler.h"
#include "resources/resource_ids.h"
#include "tests/win/fake_devices.h"
#include "tests/win/window_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::vector<std::string> messages() {
    std::vector<std::string> out;
    for (uint32_t m : fake::sent) {
        const uint32_t data1 = m >> 8 & 0xFF, data2 = m >> 16 & 0xFF;
        std::string text;
        switch (m & 0xF0) {
        case 0x90:
            text = "on " + std::to_string(data1);
            break;
        case 0x80:
            text = "off " + std::to_string(data1);
            break;
        case 0xB0:
            text = "cc" + std::to_string(data1);
            break;
        case 0xC0:
            text = "program " + std::to_string(data1);
            break;
        case 0xE0:
            text = "bend " + std::to_string(data1 | data2 << 7);
            break;
        default:
            text = "?";
        }
        out.push_back(text + "@" + std::to_string(m & 0x0F));
    }
    fake::sent.clear();
    return out;
}
using Texts = std::vector<std::string>;

using MainWindow = WindowTest;

void pump() {
    pumpFor(0);
}

TEST_F(MainWindow, NoDeviceRefusesToStart) {
    fake::midi.devices = 0;
    EXPECT_EQ(create(), nullptr);
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_EQ(fake::boxes[0].text, L"No MIDI output devices!");
    EXPECT_EQ(fake::boxes[0].caption, L"QV");
    EXPECT_EQ(fake::boxes[0].type, unsigned(MB_ICONERROR));
}

TEST_F(MainWindow, StartsWithTheMapperAndOneProgramChange) {
    ASSERT_TRUE(create());
    EXPECT_EQ(performance.deviceIndex, -1);
    EXPECT_TRUE(performance.deviceOpen);
    EXPECT_TRUE(checked(ID_DEVICE_MAPPER));
    EXPECT_TRUE(checked(ID_DEVICE_OPEN));
    EXPECT_FALSE(checked(ID_DEVICE_CLOSE));
    EXPECT_TRUE(checked(ID_KEY_FIRST) && checked(ID_CHANNEL_BASE) && checked(ID_PROGRAM_BASE));
    EXPECT_EQ(messages(), Texts({"program 0@0"}));
    wchar_t text[64] = {};
    GetMenuStringW(GetMenu(window), ID_DEVICE_CLOSE, text, 64, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(text), L"关闭(&C)\tAlt+S");
    EXPECT_TRUE(fake::boxes.empty());
}

TEST_F(MainWindow, WithoutAMapperDeviceZeroIsChosen) {
    fake::midi.mapper = false;
    fake::midi.devices = 2;
    ASSERT_TRUE(create());
    EXPECT_EQ(performance.deviceIndex, 0);
    EXPECT_TRUE(performance.deviceOpen);
    EXPECT_TRUE(checked(ID_DEVICE_BASE));
    EXPECT_EQ(GetMenuState(GetMenu(window), ID_DEVICE_MAPPER, MF_BYCOMMAND), UINT(-1));
}

TEST_F(MainWindow, ADeviceThatCannotBeReadIsListedByNumber) {
    fake::midi.devices = 3;
    fake::midi.unreadable = 1;
    ASSERT_TRUE(create());
    wchar_t text[64] = {};
    GetMenuStringW(GetMenu(window), ID_DEVICE_BASE + 1, text, 64, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(text), L"设备 2");
    GetMenuStringW(GetMenu(window), ID_DEVICE_BASE + 2, text, 64, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(text), L"Test device 2");
}

TEST_F(MainWindow, ReleaseWhileClosedLeavesAStaleChordUntilEscape) {
    ASSERT_TRUE(create());
    key(WM_KEYDOWN, 30);
    command(ID_DEVICE_CLOSE);
    key(WM_KEYUP, 30); // dropped: the device is closed
    EXPECT_EQ(performance.heldNormal, 1);
    command(ID_DEVICE_OPEN);
    messages();
    fake::shiftDown = true;
    key(WM_KEYDOWN, 31); // joins the stale chord: not raised
    key(WM_KEYUP, 31);
    SendMessageW(window, WM_CHAR, 27, 0);
    messages();
    key(WM_KEYDOWN, 31); // after Esc Shift counts again
    EXPECT_EQ(messages(), Texts({"on 74@0"}));
}

TEST_F(MainWindow, FailedOpenAtStartWarnsAndStaysClosed) {
    fake::midi.openFails = true;
    ASSERT_TRUE(create());
    EXPECT_FALSE(performance.deviceOpen);
    EXPECT_TRUE(checked(ID_DEVICE_CLOSE));
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_EQ(fake::boxes[0].text, L"Cannot open MIDI device");
    key(WM_KEYDOWN, 30);
    EXPECT_TRUE(messages().empty());
}

TEST_F(MainWindow, CloseOpenAndSelectSequences) {
    ASSERT_TRUE(create());
    messages();
    command(ID_DEVICE_CLOSE);
    Texts allOff;
    for (int c = 0; c < 16; ++c)
        allOff.push_back("cc123@" + std::to_string(c));
    EXPECT_EQ(messages(), allOff);
    EXPECT_EQ(fake::closes, 1);
    EXPECT_TRUE(checked(ID_DEVICE_CLOSE) && !checked(ID_DEVICE_OPEN));
    command(ID_PROGRAM_BASE + 40); // closed: only the setting and its check mark
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(checked(ID_PROGRAM_BASE + 40) && !checked(ID_PROGRAM_BASE));
    command(ID_DEVICE_OPEN);
    EXPECT_EQ(messages(), Texts({"program 40@0", "program 40@15"}));
    command(ID_DEVICE_OPEN); // already open: nothing
    EXPECT_TRUE(messages().empty());
    command(ID_DEVICE_BASE); // select device 0 while open: close, then open
    Texts reopen = allOff;
    reopen.push_back("program 40@0");
    reopen.push_back("program 40@15");
    EXPECT_EQ(messages(), reopen);
    EXPECT_EQ(performance.deviceIndex, 0);
    EXPECT_TRUE(checked(ID_DEVICE_BASE) && !checked(ID_DEVICE_MAPPER));
    command(ID_CHANNEL_BASE + 14);
    EXPECT_EQ(messages(), Texts({"program 40@14", "program 40@15"}));
    EXPECT_TRUE(checked(ID_CHANNEL_BASE + 14) && !checked(ID_CHANNEL_BASE));
}

TEST_F(MainWindow, FailedReopenKeepsTheNewDeviceSelectedAndClosed) {
    fake::midi.devices = 2;
    ASSERT_TRUE(create());
    fake::midi.openFails = true;
    command(ID_DEVICE_BASE + 1);
    EXPECT_FALSE(performance.deviceOpen);
    EXPECT_EQ(performance.deviceIndex, 1);
    EXPECT_TRUE(checked(ID_DEVICE_BASE + 1));
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_EQ(fake::boxes[0].type, unsigned(MB_ICONWARNING));
}

TEST_F(MainWindow, IdentifiersThatNameNoChannelOrInstrumentChangeNothing) {
    ASSERT_TRUE(create());
    messages();
    command(ID_CHANNEL_BASE + 15); // the bass channel
    command(ID_PROGRAM_BASE + 128);
    command(1290); // between the file commands and the key/modes
    EXPECT_EQ(performance.channel, 0);
    EXPECT_EQ(performance.program, 0);
    EXPECT_TRUE(messages().empty());
}

TEST_F(MainWindow, KeyModeAndAutomaticBassMenus) {
    ASSERT_TRUE(create());
    command(1315); // c minor, as Alt+M sends it
    EXPECT_EQ(performance.keyMode, 1315);
    EXPECT_TRUE(checked(1315) && !checked(1297));
    command(1315);
    EXPECT_TRUE(checked(1315));
    command(ID_AUTO_BASS);
    EXPECT_TRUE(performance.autoBass && checked(ID_AUTO_BASS));
    command(ID_AUTO_BASS);
    EXPECT_FALSE(performance.autoBass || checked(ID_AUTO_BASS));
}

TEST_F(MainWindow, KeysShiftCtrlRepeatEscapeAndBass) {
    ASSERT_TRUE(create());
    messages();
    fake::shiftDown = true;
    key(WM_KEYDOWN, 30); // A, raised
    fake::shiftDown = false;
    key(WM_KEYDOWN, 30, 1 << 30); // auto-repeat
    key(WM_KEYUP, 30, 0xC0000000);
    fake::ctrlDown = true;
    key(WM_KEYDOWN, 16); // Q, lowered
    fake::ctrlDown = false;
    key(WM_KEYUP, 16);
    EXPECT_EQ(messages(), Texts({"on 72@0", "off 72@0", "on 31@0", "off 31@0"}));
    command(ID_AUTO_BASS);
    key(WM_KEYDOWN, 37);
    key(WM_KEYUP, 37);
    EXPECT_EQ(messages(), Texts({"on 72@0", "on 60@15", "off 72@0", "off 60@15"}));
    key(WM_KEYDOWN, 37);
    SendMessageW(window, WM_CHAR, 27, 0);
    EXPECT_EQ(messages().size(), 2u + 16u);
    EXPECT_EQ(performance.heldNormal, 0);
    SendMessageW(window, WM_CHAR, 'a', 0);
    EXPECT_TRUE(messages().empty());
}

TEST_F(MainWindow, MouseClicksPlayTheKeyUnderThePointer) {
    ASSERT_TRUE(create());
    messages();
    const int left = layout.keyboardLeft, top = layout.keyboardTop;
    auto at = [](int x, int y) { return static_cast<LPARAM>(MAKELONG(x, y)); };
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at(left + 10, top + 40)); // row 1: Q
    EXPECT_EQ(GetCapture(), window);
    SendMessageW(window, WM_LBUTTONUP, 0, at(5, 5)); // released anywhere
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at(left + 10, top + 80)); // row 2: a gap
    SendMessageW(window, WM_LBUTTONUP, 0, 0);
    fake::shiftDown = true;
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at(left + 140, top + 156)); // edge: row 3, C
    SendMessageW(window, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(messages(), Texts({"on 43@0", "off 43@0", "on 76@0", "off 76@0"}));
    EXPECT_EQ(performance.capturedKey, 255);
}

TEST_F(MainWindow, ExpressionBars) {
    ASSERT_TRUE(create());
    messages();
    auto scroll = [&](HWND bar, int code, int thumb = 0) {
        SendMessageW(window, WM_VSCROLL, MAKEWPARAM(code, thumb), reinterpret_cast<LPARAM>(bar));
    };
    scroll(shell.velocityBar, SB_PAGEDOWN);
    EXPECT_EQ(performance.velocity, 119);
    EXPECT_EQ(GetScrollPos(shell.velocityBar, SB_CTL), 9);
    scroll(shell.velocityBar, SB_THUMBTRACK, 123);
    EXPECT_EQ(performance.velocity, 5);
    scroll(shell.velocityBar, SB_PAGEDOWN);
    EXPECT_EQ(performance.velocity, 1);
    scroll(shell.velocityBar, SB_ENDSCROLL);
    EXPECT_EQ(performance.velocity, 1);
    scroll(shell.pitchBendBar, SB_LINEUP);
    scroll(shell.pitchBendBar, SB_PAGEDOWN);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(GetScrollPos(shell.pitchBendBar, SB_CTL), 8192);
    scroll(shell.pitchBendBar, SB_THUMBTRACK, 1);
    EXPECT_EQ(GetScrollPos(shell.pitchBendBar, SB_CTL), 1);
    scroll(shell.pitchBendBar, SB_THUMBPOSITION, 1);
    EXPECT_EQ(GetScrollPos(shell.pitchBendBar, SB_CTL), 8192);
    EXPECT_EQ(messages(), Texts({"bend 16382@0", "bend 8191@0"}));
    key(WM_KEYDOWN, 30);
    EXPECT_EQ(fake::sent.back() >> 16, 1u); // velocity 1
}

TEST_F(MainWindow, LayoutFollowsTheClientSize) {
    ASSERT_TRUE(create());
    auto size = [&](int w, int h) {
        SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w, h));
    };
    auto rectOf = [&](HWND control) {
        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    size(474, 600);
    EXPECT_EQ(layout.keyboardLeft, 0);
    size(473, 600);
    EXPECT_EQ(layout.keyboardLeft, -1);
    size(1000, 600);
    EXPECT_EQ(layout.keyboardLeft, 262);
    EXPECT_EQ(layout.keyboardTop, layout.cellHeight + 222);
    const RECT velocity = rectOf(shell.velocityBar);
    EXPECT_EQ(velocity.left, 850);
    EXPECT_EQ(velocity.top, 180);
    EXPECT_EQ(velocity.right - velocity.left, 25);
    const RECT play = rectOf(shell.buttons[2]);
    EXPECT_EQ(play.left, 500 - 3 * layout.cellWidth);
    EXPECT_EQ(play.top, 480);
    size(0, 0); // minimised
    EXPECT_EQ(layout.keyboardLeft, -237);
    EXPECT_EQ(layout.keyboardTop, layout.cellHeight - 78);
    const RECT hidden = rectOf(shell.pitchBendBar);
    EXPECT_EQ(hidden.right - hidden.left, 0);
    EXPECT_EQ(hidden.bottom - hidden.top, 0);
}

// Compares a few pixels of the window with the same pixels of a picture in a bitmap resource.
class Painting : public MainWindow {
  protected:
    COLORREF windowPixel(int x, int y) {
        HDC dc = GetDC(window);
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(window, dc);
        return colour;
    }
    static COLORREF bitmapPixel(HBITMAP bitmap, int x, int y) {
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ previous = SelectObject(memory, bitmap);
        const COLORREF colour = GetPixel(memory, x, y);
        SelectObject(memory, previous);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return colour;
    }
    void repaint() {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        pump();
    }
    // Which of the fifteen pictures the window shows, found by comparing sample pixels.
    int shownPicture() {
        RECT client{};
        GetClientRect(window, &client);
        const int left = (client.right - pictureWidth) / 2;
        const POINT samples[] = {{85, 70}, {40, 40}, {120, 100}, {60, 110}, {100, 30}, {30, 90}};
        for (int n = 0; n < 15; ++n) {
            bool same = true;
            for (const POINT& p : samples)
                same =
                    same && windowPixel(left + p.x, pictureTop + p.y) ==
                                bitmapPixel(shell.instrumentPicture, pictureWidth * n + p.x, p.y);
            if (same)
                return n;
        }
        return -1;
    }
};

TEST_F(Painting, InstrumentPictureFollowsProgramAndDrumChannel) {
    ASSERT_TRUE(create());
    const std::pair<int, int> cases[] = {{79, 9}, {80, 10}, {103, 10}, {104, 11}, {127, 13}};
    for (auto [program, picture] : cases) {
        command(ID_PROGRAM_BASE + program);
        repaint();
        EXPECT_EQ(shownPicture(), picture) << program;
    }
    command(ID_CHANNEL_BASE + 9);
    repaint();
    EXPECT_EQ(shownPicture(), 14);
}

TEST_F(Painting, PressedKeyShowsTheColourOfItsShift) {
    ASSERT_TRUE(create());
    repaint();
    const PixelRect cell = keyCell(keyTable[30], layout.keyboardLeft, layout.keyboardTop);
    auto capAt = [&](int source) { return bitmapPixel(shell.keyPicture, source + 3, 3); };
    EXPECT_EQ(windowPixel(cell.left + 3, cell.top + 3), capAt(0));
    fake::shiftDown = true;
    key(WM_KEYDOWN, 30);
    EXPECT_EQ(windowPixel(cell.left + 3, cell.top + 3), capAt(76));
    key(WM_KEYUP, 30);
    EXPECT_EQ(windowPixel(cell.left + 3, cell.top + 3), capAt(0));
    fake::shiftDown = false;
    fake::ctrlDown = true;
    key(WM_KEYDOWN, 30);
    EXPECT_EQ(windowPixel(cell.left + 3, cell.top + 3), capAt(114));
    key(WM_KEYUP, 30);
    fake::ctrlDown = false;
    key(WM_KEYDOWN, 30);
    EXPECT_EQ(windowPixel(cell.left + 3, cell.top + 3), capAt(38));
}

TEST_F(MainWindow, RecordingCommandsSetMenusAndButtons) {
    ASSERT_TRUE(create());
    EXPECT_TRUE(buttonOn(0));
    EXPECT_FALSE(buttonOn(1) || buttonOn(2) || buttonOn(3) || buttonOn(4));
    EXPECT_TRUE(grayed(ID_PLAY) && grayed(ID_SAVE) && grayed(ID_EXPORT_MIDI) && !grayed(ID_LOAD));
    command(ID_RECORD_START);
    EXPECT_TRUE(performance.recording);
    EXPECT_TRUE(buttonOn(1) && !buttonOn(0) && !buttonOn(2));
    EXPECT_TRUE(grayed(ID_RECORD_START) && !grayed(ID_RECORD_STOP) && grayed(ID_LOAD));
    key(WM_KEYDOWN, 30);
    key(WM_KEYUP, 30);
    command(ID_RECORD_STOP);
    EXPECT_EQ(eventLists.playbackList.size(), 2u);
    EXPECT_TRUE(buttonOn(0) && buttonOn(2) && buttonOn(3) && !buttonOn(1) && !buttonOn(4));
    EXPECT_TRUE(!grayed(ID_PLAY) && !grayed(ID_SAVE) && !grayed(ID_SAVE_AS) &&
                !grayed(ID_EXPORT_MIDI) && grayed(ID_RECORD_STOP) && grayed(ID_PLAY_STOP));
    EXPECT_TRUE(document.dirty);
    command(ID_RECORD_START);
    command(ID_RECORD_STOP); // nothing played
    EXPECT_FALSE(document.dirty);
    EXPECT_TRUE(grayed(ID_PLAY) && grayed(ID_SAVE) && !buttonOn(2));
}

TEST_F(MainWindow, RecordingNeedsTheSwitchOn) {
    ASSERT_TRUE(create());
    command(ID_DEVICE_CLOSE);
    command(ID_RECORD_START);
    EXPECT_FALSE(performance.recording);
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_EQ(fake::boxes[0].text, L"请打开开关");
    EXPECT_EQ(fake::boxes[0].caption, L"提示");
    EXPECT_EQ(fake::boxes[0].type, unsigned(MB_OK));
    EXPECT_TRUE(buttonOn(0) && !grayed(ID_RECORD_START));
}

TEST_F(MainWindow, KeysStillPlayWhileAButtonHasTheFocus) {
    ASSERT_TRUE(create());
    messages();
    SetFocus(shell.buttons[0]);
    SendMessageW(shell.buttons[0], WM_KEYDOWN, 'A', 30 << 16);
    EXPECT_EQ(GetFocus(), window);
    key(WM_KEYUP, 30);
    EXPECT_EQ(messages(), Texts({"on 60@0", "off 60@0"}));
}

TEST_F(MainWindow, ReplayedEventsAreLookedUpWithABoundsCheck) {
    ASSERT_TRUE(create());
    messages();
    eventLists.playbackList = {{0, 256, 30 << 16, 1}, {0, 257, 30 << 16, 1}, {0, 256, 31 << 16, 7}};
    const WPARAM current = playbackGeneration();
    SendMessageW(window, messageReplayEvent, current, 0);
    SendMessageW(window, messageReplayEvent, current, 1);
    SendMessageW(window, messageReplayEvent, current, 2);     // impossible shift: skipped
    SendMessageW(window, messageReplayEvent, current, 3);     // beyond the list: dropped
    SendMessageW(window, messageReplayEvent, current + 1, 0); // another playback's: dropped
    EXPECT_EQ(messages(), Texts({"on 72@0", "off 72@0"}));
}

} // namespace
