// Playback, the document and its files in the real window: play/loop/stop, save, save as, load,
// export, the save-changes prompt on close, log-off and load, and the command-line file.
#include "recording/playback_scheduler.h"
#include "recording/recording_file.h"
#include "tests/win/window_fixture.h"

#include <commdlg.h>

namespace fs = std::filesystem;

namespace {

class Document : public WindowTest {
  protected:
    // A recording file with events for A and its release, 20 ms apart.
    std::wstring recordingFile(const wchar_t* name, uint32_t keyMode, bool bass) {
        const fs::path path = folder.path / name;
        const EventList events{{20, 256, 30 << 16, 0}, {20, 257, 30 << 16, 0}};
        EXPECT_EQ(writeRecordingFile(events, keyMode, bass, path), nullptr);
        return path.wstring();
    }
    TempFolder folder;
};

TEST_F(Document, PlayLoopAndStop) {
    ASSERT_TRUE(create());
    recordOneNote();
    command(ID_PLAY_LOOP);
    EXPECT_TRUE(playbackRunning());
    EXPECT_EQ(commandStates(), "000010000 00001");
    pumpFor(200); // several passes
    sent();
    command(ID_PLAY_STOP);
    EXPECT_FALSE(playbackRunning());
    EXPECT_EQ(sent(), thenSilence());
    EXPECT_EQ(commandStates(), "101101111 10110");
    pumpFor(100);
    EXPECT_TRUE(sent().empty()); // an event that was already queued plays no more
}

TEST_F(Document, ASinglePassEndsByItselfAndSaveStaysGrayedOnceSaved) {
    ASSERT_TRUE(create());
    recordOneNote();
    sent();
    command(ID_PLAY);
    pumpFor(300);
    EXPECT_EQ(sent(), thenSilence({"on 60", "off 60"}));
    EXPECT_FALSE(playbackRunning());
    EXPECT_EQ(commandStates(), "101101111 10110"); // still unsaved
    fake::dialogAnswers = {(folder.path / L"a.qvi").wstring()};
    command(ID_SAVE);
    command(ID_PLAY);
    pumpFor(300);
    EXPECT_EQ(commandStates(), "101100111 10110");
}

TEST_F(Document, APassEndingOnAHeldKeySilencesItAfterItSounds) {
    ASSERT_TRUE(create());
    command(ID_RECORD_START);
    key(WM_KEYDOWN, 30); // still held when recording stops
    command(ID_RECORD_STOP);
    sent();
    command(ID_PLAY);
    pumpFor(300);
    EXPECT_FALSE(playbackRunning());
    EXPECT_EQ(sent(), thenSilence({"on 60"}));
}

TEST_F(Document, SaveAsksForANameOnceAndAFailedSaveKeepsTheRecordingUnsaved) {
    ASSERT_TRUE(create());
    EXPECT_EQ(title(), L"Tonvira - [未命名]");
    recordOneNote();
    fake::dialogAnswers = {(folder.path / L"missing" / L"x.qvi").wstring()};
    command(ID_SAVE_AS);
    EXPECT_EQ(boxes(), WideTexts{warning(L"不能创建文件x.qvi.")});
    EXPECT_TRUE(document.dirty);
    EXPECT_EQ(title(), L"Tonvira - [未命名]");
    const fs::path path = folder.path / L"歌.qvi";
    fake::dialogAnswers = {path.wstring()};
    command(ID_SAVE); // still untitled: asks for a name
    EXPECT_EQ(fake::dialogs.size(), 2u);
    EXPECT_EQ(title(), L"Tonvira - [歌.qvi]");
    EXPECT_EQ(commandStates(), "101100111 10110");
    recordOneNote(); // two events more: dirty again
    EXPECT_EQ(commandStates(), "101101111 10110");
    command(ID_SAVE);
    EXPECT_EQ(fake::dialogs.size(), 2u); // no more dialogs
    EXPECT_EQ(fs::file_size(path), 104u + 32u);
}

// A loaded file brings its key/mode and automatic bass (the instrument stays) and plays with
// them; a file that cannot be used changes nothing but the name, which is forgotten.
TEST_F(Document, LoadTakesUpKeyModeAndBassAndAFailedLoadKeepsTheRecording) {
    ASSERT_TRUE(create());
    command(ID_PROGRAM_BASE + 40);
    fake::dialogAnswers = {recordingFile(L"a-major.qvi", 1302, true)};
    command(ID_LOAD);
    EXPECT_TRUE(checked(1302) && !checked(ID_KEY_FIRST) && checked(ID_AUTO_BASS));
    EXPECT_EQ(performance.program, 40);
    EXPECT_EQ(title(), L"Tonvira - [a-major.qvi]");
    EXPECT_EQ(commandStates(), "101100111 10110");
    sent();
    command(ID_PLAY);
    pumpFor(300);
    EXPECT_EQ(sent(), thenSilence({"on 69", "on 57@15", "off 69", "off 57@15"}));

    fake::dialogAnswers = {(folder.path / L"absent.qvi").wstring(),
                           recordingFile(L"odd.qvi", 1400, false)};
    command(ID_LOAD);
    command(ID_LOAD);
    EXPECT_EQ(boxes(), (WideTexts{warning(L"不能找到或打开文件absent.qvi."),
                                  warning(L"文件odd.qvi不是被支持的Tonvira文件.")}));
    EXPECT_EQ(performance.keyMode, 1302);
    EXPECT_TRUE(performance.autoBass);
    EXPECT_EQ(eventLists.playbackList.size(), 2u);
    EXPECT_EQ(title(), L"Tonvira - [a-major.qvi]");
    command(ID_SAVE); // the name is gone: save asks for one
    EXPECT_EQ(fake::dialogs.size(), 4u);
}

TEST_F(Document, CloseLogOffAndLoadAskAboutAnUnsavedRecording) {
    ASSERT_TRUE(create());
    SendMessageW(window, WM_CLOSE, 0, 0); // nothing unsaved: closes at once
    EXPECT_FALSE(IsWindow(window));

    ASSERT_TRUE(create());
    recordOneNote();
    fake::boxAnswers = {IDCANCEL, IDYES}; // and the save dialog is cancelled
    SendMessageW(window, WM_CLOSE, 0, 0);
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window) && document.dirty);
    EXPECT_EQ(boxes(), WideTexts(2, box(L"QV", L"保存当前的变化在 未命名?",
                                        MB_YESNOCANCEL | MB_ICONQUESTION)));
    fake::boxAnswers = {IDCANCEL, IDNO};
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), 0);
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), 1);
    fake::boxAnswers = {IDCANCEL, IDYES}; // the save dialog is cancelled: the load stops too
    command(ID_LOAD);
    command(ID_LOAD);
    ASSERT_EQ(fake::dialogs.size(), 2u);
    EXPECT_TRUE(fake::dialogs[0].save && fake::dialogs[1].save); // no open dialog
    fake::boxAnswers = {IDYES};
    fake::dialogAnswers = {(folder.path / L"kept.qvi").wstring()};
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(fs::exists(folder.path / L"kept.qvi"));

    ASSERT_TRUE(create());
    recordOneNote();
    fake::boxAnswers = {IDNO};
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
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
    const fs::path path = folder.path / L"song.mid";
    fake::dialogAnswers = {path.wstring(), (folder.path / L"no" / L"x.mid").wstring()};
    command(ID_EXPORT_MIDI);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_TRUE(document.dirty); // exporting is not saving
    command(ID_EXPORT_MIDI);
    EXPECT_EQ(fake::dialogs[1].startPath, path.wstring()); // opens at the previous export
    EXPECT_EQ(boxes(), WideTexts{warning(L"不能写入文件x.mid.")});
}

TEST_F(Document, TheStartupFileIsLoadedAndPlayedHalfASecondLater) {
    const std::wstring line = recordingFile(L"start.qvi", 1302, true);
    shell.commandLine = line.c_str();
    ASSERT_TRUE(create());
    EXPECT_EQ(title(), L"Tonvira - [" + line + L"]");
    EXPECT_TRUE(checked(1302) && checked(ID_AUTO_BASS));
    EXPECT_EQ(commandStates(), "101100101 10110");
    sent();
    pumpFor(900);
    EXPECT_EQ(sent(), thenSilence({"on 69", "on 57@15", "off 69", "off 57@15"}));
}

TEST_F(Document, TheStartupFileDoesNotPlayOnceRecordingHasStartedNorWithTheDeviceClosed) {
    const std::wstring line = recordingFile(L"start.qvi", 1297, false);
    for (bool deviceClosed : {true, false}) {
        WindowTest::SetUp();
        shell.commandLine = line.c_str();
        fake::midi.openFails = deviceClosed;
        ASSERT_TRUE(create());
        if (!deviceClosed)
            command(ID_RECORD_START);
        fake::sent.clear();
        pumpFor(800);
        EXPECT_FALSE(playbackRunning());
        EXPECT_EQ(commandStates(), deviceClosed ? "101100101 10110" : "010000000 01000");
        EXPECT_TRUE(fake::sent.empty());
        DestroyWindow(window);
    }
}

TEST_F(Document, AStartupFileThatCannotBeUsedIsReportedAndLeavesTheRecordingEmpty) {
    const std::wstring quoted = L"\"" + recordingFile(L"with blank.qvi", 1297, false) + L"\"";
    const std::wstring odd = recordingFile(L"odd.qvi", 1296, false), tooLong(300, L'x');
    const std::pair<std::wstring, std::wstring> cases[] = {
        {quoted, L"不能找到或打开文件" + quoted + L"."}, // as a shell passes a path with a blank
        {odd, L"文件" + odd + L"不是被支持的Tonvira文件."},
        {tooLong, L"不能找到或打开文件" + std::wstring(260, L'x') + L"."},
    };
    for (const auto& [line, message] : cases) {
        shell.commandLine = line.c_str();
        ASSERT_TRUE(create());
        EXPECT_EQ(boxes(), WideTexts{warning(message)});
        EXPECT_EQ(title(), L"Tonvira - [未命名]");
        EXPECT_EQ(commandStates(), "100000001 10000");
        DestroyWindow(window);
    }
}

} // namespace
