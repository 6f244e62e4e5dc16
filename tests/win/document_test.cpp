// Playback, the document and its files in the real window: play/loop/stop, save, save as, load,
// export, the save-changes prompt on close, log-off and load, and the command-line file.
#include "app/document.h"
#include "app/shell.h"
#include "engine/midi_output.h"
#include "engine/performance_state.h"
#include "recording/event_lists.h"
#include "recording/playback_scheduler.h"
#include "recording/recording_file.h"
#include "resources/resource_ids.h"
#include "tests/win/fake_devices.h"
#include "tests/win/window_fixture.h"

#include <commdlg.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// Note-on numbers with their channels, "60" or "48@15", in the order they were sent.
std::vector<std::string> notesOn() {
    std::vector<std::string> out;
    for (uint32_t m : fake::sent) {
        if ((m & 0xF0) != 0x90)
            continue;
        std::string text = std::to_string(m >> 8 & 0xFF);
        if ((m & 0x0F) != 0) {
            text += '@';
            text += std::to_string(m & 0x0F);
        }
        out.push_back(text);
    }
    return out;
}
using Texts = std::vector<std::string>;

class Document : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        folder =
            fs::temp_directory_path() / (L"tonvira-doc-" + std::to_wstring(GetCurrentProcessId()) +
                                         L"-" + std::to_wstring(counter++));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        WindowTest::TearDown();
        fs::remove_all(folder);
    }

    void play(unsigned scan) {
        SendMessageW(window, WM_KEYDOWN, 0, static_cast<LPARAM>(scan) << 16);
        SendMessageW(window, WM_KEYUP, 0, static_cast<LPARAM>(scan) << 16);
    }
    void recordOneNote() {
        command(ID_RECORD_START);
        play(30);
        command(ID_RECORD_STOP);
    }
    // A recording file with events for A and its release, 20 ms apart.
    fs::path recordingFile(const wchar_t* name, uint32_t keyMode, bool bass) {
        const fs::path path = folder / name;
        const EventList events{{20, 256, 30 << 16, 0}, {20, 257, 30 << 16, 0}};
        EXPECT_EQ(writeRecordingFile(events, keyMode, bass, path), nullptr);
        return path;
    }

    static inline int counter = 0;
    fs::path folder;
};

TEST_F(Document, PlayLoopAndStopSetMenusAndButtons) {
    ASSERT_TRUE(create());
    recordOneNote();
    command(ID_PLAY_LOOP);
    EXPECT_TRUE(playbackRunning());
    EXPECT_TRUE(buttonOn(4) && !buttonOn(0) && !buttonOn(1) && !buttonOn(2) && !buttonOn(3));
    EXPECT_TRUE(grayed(ID_RECORD_START) && grayed(ID_PLAY) && grayed(ID_SAVE) &&
                grayed(ID_SAVE_AS) && grayed(ID_EXPORT_MIDI) && grayed(ID_LOAD) &&
                !grayed(ID_PLAY_STOP));
    pumpFor(200); // several passes
    fake::sent.clear();
    command(ID_PLAY_STOP);
    EXPECT_FALSE(playbackRunning());
    // The stop ends with All Notes Off; an event that was already queued plays no more.
    ASSERT_GE(fake::sent.size(), 16u);
    EXPECT_EQ(fake::sent.back(), 0x7BBFu);
    fake::sent.clear();
    EXPECT_TRUE(buttonOn(0) && buttonOn(2) && buttonOn(3) && !buttonOn(1) && !buttonOn(4));
    EXPECT_TRUE(!grayed(ID_SAVE) && !grayed(ID_SAVE_AS) && !grayed(ID_EXPORT_MIDI) &&
                !grayed(ID_LOAD));
    pumpFor(100);
    EXPECT_TRUE(fake::sent.empty());
}

TEST_F(Document, ASinglePassEndsByItselfAndSaveFollowsDirty) {
    ASSERT_TRUE(create());
    recordOneNote();
    command(ID_SAVE_AS); // no dialog answer: cancelled, still unsaved
    fake::sent.clear();
    command(ID_PLAY);
    pumpFor(300);
    EXPECT_EQ(notesOn(), Texts({"60"}));
    EXPECT_FALSE(playbackRunning());
    EXPECT_TRUE(buttonOn(2) && !buttonOn(4));
    EXPECT_FALSE(grayed(ID_SAVE)); // still unsaved
    fake::dialogAnswers = {(folder / L"a.qvi").wstring()};
    command(ID_SAVE);
    command(ID_PLAY);
    pumpFor(300);
    EXPECT_TRUE(grayed(ID_SAVE)); // saved: stays grayed after the pass
}

TEST_F(Document, APassEndingOnAHeldKeySilencesItAfterItSounds) {
    ASSERT_TRUE(create());
    command(ID_RECORD_START);
    SendMessageW(window, WM_KEYDOWN, 0, 30 << 16); // still held when recording stops
    command(ID_RECORD_STOP);
    fake::sent.clear();
    command(ID_PLAY);
    pumpFor(300);
    EXPECT_FALSE(playbackRunning());
    ASSERT_EQ(fake::sent.size(), 17u);
    EXPECT_EQ(fake::sent[0], 0x7F3C90u); // the note, then All Notes Off on every channel
    EXPECT_EQ(fake::sent.back(), 0x7BBFu);
}

TEST_F(Document, PlayNeedsTheSwitchOn) {
    ASSERT_TRUE(create());
    recordOneNote();
    command(ID_DEVICE_CLOSE);
    fake::boxes.clear();
    command(ID_PLAY);
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_EQ(fake::boxes[0].text, L"请打开开关");
    EXPECT_FALSE(playbackRunning());
    EXPECT_TRUE(buttonOn(2));
}

TEST_F(Document, SaveAsThenSaveWritesWithoutADialog) {
    ASSERT_TRUE(create());
    EXPECT_EQ(title(), L"Tonvira - [未命名]");
    recordOneNote();
    const fs::path path = folder / L"歌.qvi";
    fake::dialogAnswers = {path.wstring()};
    command(ID_SAVE); // untitled: asks for a name
    ASSERT_EQ(fake::dialogs.size(), 1u);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_FALSE(document.dirty);
    EXPECT_TRUE(grayed(ID_SAVE) && !grayed(ID_SAVE_AS));
    EXPECT_EQ(title(), L"Tonvira - [歌.qvi]");
    recordOneNote(); // two events more: dirty again
    EXPECT_FALSE(grayed(ID_SAVE));
    command(ID_SAVE);
    EXPECT_EQ(fake::dialogs.size(), 1u); // no second dialog
    EXPECT_EQ(fs::file_size(path), 104u + 32u);
}

TEST_F(Document, FailedSaveShowsTheErrorAndLeavesTheRecordingUntitledAndDirty) {
    ASSERT_TRUE(create());
    recordOneNote();
    fake::dialogAnswers = {(folder / L"missing" / L"x.qvi").wstring()};
    command(ID_SAVE_AS);
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_EQ(fake::boxes[0].text, L"不能创建文件x.qvi.");
    EXPECT_EQ(fake::boxes[0].type, unsigned(MB_ICONWARNING));
    EXPECT_TRUE(document.dirty);
    EXPECT_EQ(title(), L"Tonvira - [未命名]");
    EXPECT_FALSE(grayed(ID_SAVE));
}

TEST_F(Document, LoadTakesUpKeyModeAndBassAndPlaysWithThem) {
    ASSERT_TRUE(create());
    command(ID_PROGRAM_BASE + 40); // not stored in the file: stays
    const fs::path path = recordingFile(L"a-major.qvi", 1302, true);
    fake::dialogAnswers = {path.wstring()};
    command(ID_LOAD);
    EXPECT_TRUE(fake::boxes.empty());
    EXPECT_EQ(performance.keyMode, 1302);
    EXPECT_TRUE(checked(1302) && !checked(1297) && checked(ID_AUTO_BASS));
    EXPECT_EQ(performance.program, 40);
    EXPECT_EQ(title(), L"Tonvira - [a-major.qvi]");
    EXPECT_TRUE(!grayed(ID_PLAY) && !grayed(ID_PLAY_LOOP) && !grayed(ID_EXPORT_MIDI) &&
                !grayed(ID_SAVE_AS) && grayed(ID_SAVE) && grayed(ID_PLAY_STOP));
    EXPECT_TRUE(buttonOn(0) && buttonOn(2) && buttonOn(3) && !buttonOn(1) && !buttonOn(4));
    fake::sent.clear();
    command(ID_PLAY);
    pumpFor(300);
    EXPECT_EQ(notesOn(), Texts({"69", "57@15"}));
}

TEST_F(Document, FailedLoadKeepsEverythingButTheName) {
    ASSERT_TRUE(create());
    fake::dialogAnswers = {recordingFile(L"first.qvi", 1297, false).wstring()};
    command(ID_LOAD);
    // A file that reads well but names a key/mode outside 1297..1332 is refused as well.
    fake::dialogAnswers = {(folder / L"absent.qvi").wstring(),
                           recordingFile(L"odd.qvi", 1400, true).wstring()};
    command(ID_LOAD);
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_EQ(fake::boxes[0].text, L"不能找到或打开文件absent.qvi.");
    EXPECT_EQ(title(), L"Tonvira - [first.qvi]");
    EXPECT_TRUE(document.name.empty());
    command(ID_LOAD);
    ASSERT_EQ(fake::boxes.size(), 2u);
    EXPECT_EQ(fake::boxes[1].text, L"文件odd.qvi不是被支持的Tonvira文件.");
    EXPECT_EQ(performance.keyMode, 1297);
    EXPECT_FALSE(performance.autoBass);
    EXPECT_EQ(eventLists.recordingList.size(), 2u);
    EXPECT_EQ(eventLists.playbackList.size(), 2u);
    EXPECT_EQ(title(), L"Tonvira - [first.qvi]");
    command(ID_SAVE); // the name is gone: save asks for one
    EXPECT_EQ(fake::dialogs.size(), 4u);
}

TEST_F(Document, CloseAsksAboutAnUnsavedRecording) {
    ASSERT_TRUE(create());
    SendMessageW(window, WM_CLOSE, 0, 0); // nothing unsaved: closes at once
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(fake::boxes.empty());

    ASSERT_TRUE(create());
    recordOneNote();
    fake::boxAnswers = {IDCANCEL};
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(fake::boxes.back().text, L"保存当前的变化在 未命名?");
    EXPECT_EQ(fake::boxes.back().type, unsigned(MB_YESNOCANCEL | MB_ICONQUESTION));
    fake::boxAnswers = {IDYES}; // and the save dialog is cancelled
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(document.dirty);
    fake::boxAnswers = {IDYES};
    fake::dialogAnswers = {(folder / L"kept.qvi").wstring()};
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(fs::exists(folder / L"kept.qvi"));

    ASSERT_TRUE(create());
    recordOneNote();
    fake::boxAnswers = {IDNO};
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(Document, LogOffAndLoadAskToo) {
    ASSERT_TRUE(create());
    recordOneNote();
    fake::boxAnswers = {IDCANCEL};
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), 0);
    fake::boxAnswers = {IDNO};
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_TRUE(IsWindow(window));
    fake::boxAnswers = {IDCANCEL};
    command(ID_LOAD);
    EXPECT_TRUE(fake::dialogs.empty()); // cancelled before the open dialog
    fake::boxAnswers = {IDYES};         // the save dialog is cancelled: the load stops too
    command(ID_LOAD);
    ASSERT_EQ(fake::dialogs.size(), 1u);
    EXPECT_TRUE(fake::dialogs[0].save); // only the save dialog
}

TEST_F(Document, TheThreeFileDialogs) {
    ASSERT_TRUE(create());
    recordOneNote();
    command(ID_SAVE_AS); // every dialog is cancelled
    command(ID_EXPORT_MIDI);
    document.dirty = false;
    command(ID_LOAD);
    const struct {
        bool save;
        const wchar_t* filter;
        unsigned flags;
        const wchar_t* extension;
    } expected[] = {
        {true, L"QVI Files(*.QVI)|*.qvi", OFN_OVERWRITEPROMPT, L"qvi"},
        {true, L"Midi Files(*.MID)|*.mid", OFN_OVERWRITEPROMPT, L"mid"},
        {false, L"QVI Files(*.QVI)|*.qvi", OFN_CREATEPROMPT, L"qvi"},
    };
    ASSERT_EQ(fake::dialogs.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const fake::DialogCall& call = fake::dialogs[i];
        EXPECT_EQ(call.save, expected[i].save) << i;
        EXPECT_EQ(call.filter, expected[i].filter) << i;
        EXPECT_EQ(call.flags, expected[i].flags) << i;
        EXPECT_EQ(call.defaultExtension, expected[i].extension) << i;
        EXPECT_FALSE(call.titled) << i; // the system's own caption
        EXPECT_TRUE(call.whole) << i;
    }
}

TEST_F(Document, ExportWritesTheFileAndReportsAFailure) {
    ASSERT_TRUE(create());
    recordOneNote();
    const fs::path path = folder / L"song.mid";
    fake::dialogAnswers = {path.wstring()};
    command(ID_EXPORT_MIDI);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_TRUE(fake::boxes.empty());
    EXPECT_TRUE(document.dirty); // exporting is not saving
    fake::dialogAnswers = {(folder / L"no" / L"x.mid").wstring()};
    command(ID_EXPORT_MIDI);
    ASSERT_EQ(fake::dialogs.size(), 2u);
    EXPECT_EQ(fake::dialogs[1].startPath, path.wstring()); // opens at the previous export
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_EQ(fake::boxes[0].text, L"不能写入文件x.mid.");
    EXPECT_EQ(fake::boxes[0].caption, L"QV");
}

TEST_F(Document, StartupFilePlaysOnceHalfASecondLater) {
    const fs::path path = recordingFile(L"start.qvi", 1302, true);
    const std::wstring line = path.wstring();
    shell.commandLine = line.c_str();
    ASSERT_TRUE(create());
    EXPECT_EQ(title(), L"Tonvira - [" + line + L"]");
    EXPECT_TRUE(checked(1302) && checked(ID_AUTO_BASS));
    EXPECT_TRUE(grayed(ID_EXPORT_MIDI) && !grayed(ID_PLAY) && grayed(ID_SAVE));
    fake::sent.clear();
    pumpFor(300);
    EXPECT_TRUE(notesOn().empty()); // not yet
    pumpFor(600);
    EXPECT_EQ(notesOn(), Texts({"69", "57@15"}));
}

TEST_F(Document, StartupFileDoesNotPlayOnceRecordingHasStarted) {
    const std::wstring line = recordingFile(L"start.qvi", 1297, false).wstring();
    shell.commandLine = line.c_str();
    ASSERT_TRUE(create());
    command(ID_RECORD_START);
    SendMessageW(window, WM_TIMER, startupPlayTimer, 0); // a tick that was already queued
    pumpFor(800);
    EXPECT_FALSE(playbackRunning());
    EXPECT_TRUE(performance.recording && buttonOn(1) && !buttonOn(4));
    EXPECT_TRUE(notesOn().empty());
}

TEST_F(Document, StartupFileWithTheDeviceClosedLoadsButDoesNotPlay) {
    const fs::path path = recordingFile(L"quiet.qvi", 1297, false);
    const std::wstring line = path.wstring();
    shell.commandLine = line.c_str();
    fake::midi.openFails = true;
    ASSERT_TRUE(create());
    EXPECT_EQ(eventLists.playbackList.size(), 2u);
    pumpFor(800);
    EXPECT_TRUE(fake::sent.empty());
    EXPECT_TRUE(buttonOn(2));
}

TEST_F(Document, StartupFileThatCannotBeUsed) {
    std::wstring quoted = L"\""; // as a shell passes a path with a blank
    quoted += (folder / L"with blank.qvi").wstring();
    quoted += L"\"";
    recordingFile(L"with blank.qvi", 1297, false);
    shell.commandLine = quoted.c_str();
    ASSERT_TRUE(create());
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_EQ(fake::boxes[0].text, L"不能找到或打开文件" + quoted + L".");
    EXPECT_EQ(title(), L"Tonvira - [未命名]");
    EXPECT_TRUE(grayed(ID_PLAY));
    DestroyWindow(window);

    const std::wstring odd = recordingFile(L"odd.qvi", 1296, false).wstring();
    shell.commandLine = odd.c_str();
    fake::boxes.clear();
    ASSERT_TRUE(create());
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_EQ(fake::boxes[0].text, L"文件" + odd + L"不是被支持的Tonvira文件.");
    EXPECT_EQ(title(), L"Tonvira - [未命名]");
    EXPECT_TRUE(eventLists.recordingList.empty());
    DestroyWindow(window);

    const std::wstring longLine(300, L'x');
    shell.commandLine = longLine.c_str();
    fake::boxes.clear();
    ASSERT_TRUE(create());
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_EQ(fake::boxes[0].text, L"不能找到或打开文件" + std::wstring(260, L'x') + L".");
    EXPECT_EQ(title(), L"Tonvira - [未命名]");
}

} // namespace
