// The document in the real window, the command-line file, and the files themselves under Windows.
#include "recording/file_messages.h"
#include "recording/recording_file.h"
#include "tests/win/window_fixture.h"

#include <iterator>
#include <tuple>

namespace fs = std::filesystem;

namespace {

class Document : public WindowTest {
  protected:
    // A recording file with events for A and its release, 20 ms apart.
    std::wstring recordingFile(const wchar_t* name, uint32_t keyMode, bool bass) {
        const EventList events{{20, 256, 30 << 16, 0}, {20, 257, 30 << 16, 0}};
        EXPECT_EQ(writeRecordingFile(events, keyMode, bass, folder.path / name), nullptr);
        return (folder.path / name).wstring();
    }
    TempFolder folder;
};

// The save-changes prompt: Cancel keeps the window, and so does Yes when the save dialog is then
// cancelled; a log-off and a load wait for the answer. A failed save leaves the recording untitled
// and unsaved; export is not saving and opens at the previous export; a save with a name asks
// nothing. A loaded file brings its key/mode and automatic bass; a file that cannot be used changes
// nothing but the name, which is forgotten. Flags 2: OFN_OVERWRITEPROMPT, 8192: OFN_CREATEPROMPT.
TEST_F(Document, TheSaveChangesPromptSaveExportAndLoad) {
    ASSERT_TRUE(create());
    recordOneNote();
    const fs::path song = folder.path / L"歌.qvi", midi = folder.path / L"song.mid";
    const std::wstring absent = (folder.path / L"no" / L"x").wstring();
    fake.dialogAnswers = {L"", absent + L".qvi", midi.wstring(), song.wstring(), absent + L".mid"};
    fake.boxAnswers = {IDCANCEL, IDYES, IDCANCEL, IDNO, IDCANCEL};
    SendMessageW(window, WM_CLOSE, 0, 0);
    SendMessageW(window, WM_CLOSE, 0, 0); // Yes, and the save dialog is cancelled
    EXPECT_TRUE(IsWindow(window) && document.dirty);
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), 0);
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), 1);
    command(ID_LOAD); // Cancel: no open dialog
    EXPECT_EQ(boxes(), WideTexts(5, box(L"QV", L"保存当前的变化在 未命名?",
                                        MB_YESNOCANCEL | MB_ICONQUESTION)));
    command(ID_SAVE_AS, ID_EXPORT_MIDI);
    EXPECT_TRUE(textOf(window) == L"Tonvira - [未命名]" && document.dirty && fs::exists(midi));
    command(ID_SAVE);
    recordOneNote(); // two events more
    command(ID_SAVE);
    EXPECT_TRUE(textOf(window) == L"Tonvira - [歌.qvi]" && fs::file_size(song) == 104u + 32u);
    command(ID_EXPORT_MIDI);
    EXPECT_EQ(fake.dialogStartPath, midi.wstring());
    EXPECT_EQ(boxes(), (WideTexts{warning(L"不能创建文件x.qvi."), warning(L"不能写入文件x.mid.")}));
    fake.dialogAnswers = {recordingFile(L"a-major.qvi", 1302, true),
                          recordingFile(L"odd.qvi", 1400, false)};
    command(ID_LOAD);
    EXPECT_TRUE(checked(1302) && !checked(ID_KEY_FIRST) && checked(ID_AUTO_BASS));
    EXPECT_EQ(textOf(window), L"Tonvira - [a-major.qvi]");
    EXPECT_EQ(commandStates(), "101100111 10110");
    command(ID_LOAD);
    EXPECT_EQ(boxes(), WideTexts{warning(L"文件odd.qvi不是被支持的Tonvira文件.")});
    EXPECT_TRUE(performance.keyMode == 1302 && performance.autoBass);
    EXPECT_EQ(eventLists.playbackList.size(), 2u);
    command(ID_SAVE); // the name is gone: save asks for one
    const std::wstring qvi = L"save QVI Files(*.QVI)|*.qvi 2 qvi",
                       open = L"open QVI Files(*.QVI)|*.qvi 8192 qvi";
    const std::wstring mid = L"save Midi Files(*.MID)|*.mid 2 mid";
    EXPECT_EQ(fake.dialogs, (WideTexts{qvi, qvi, mid, qvi, mid, open, open, qvi}));
}

// The command-line file is taken up at start and played half a second later, but not once
// recording has started, nor with the device closed (and no play is refused then); a file that
// cannot be used is reported (the name cut to the longest path) and leaves the recording empty.
TEST_F(Document, TheStartupFile) {
    const std::wstring good = recordingFile(L"start.qvi", 1302, true), tooLong(300, L'x');
    const std::wstring odd = recordingFile(L"odd.qvi", 1296, false);
    const std::tuple<std::wstring, std::wstring, std::string> cases[] = {
        {good, L"", "101100111 10110"}, // played: Save stays grayed
        {good, L"", "010000000 01000"}, // recording started first
        {good, L"Cannot open MIDI device", "101100101 10110"},
        {odd, L"文件" + odd + L"不是被支持的Tonvira文件.", "100000001 10000"},
        {tooLong, L"不能找到或打开文件" + std::wstring(260, L'x') + L".", "100000001 10000"},
    };
    for (int i = 0; i < 5; ++i) {
        const auto& [line, message, statesAfter] = cases[i];
        WindowTest::SetUp();
        shell.commandLine = line.c_str();
        fake.openFails = i == 2;
        ASSERT_TRUE(create());
        if (i == 1) {
            command(ID_RECORD_START);
            SendMessageW(window, WM_TIMER, startupPlayTimer, 0); // a tick already queued
        }
        sent();
        pumpFor(900);
        EXPECT_EQ(sent(), i ? "" : thenSilence("on 69, on 57@15, off 69, off 57@15")) << i;
        EXPECT_EQ(boxes(), message.empty() ? WideTexts{} : WideTexts{warning(message)}) << i;
        EXPECT_EQ(commandStates(), statesAfter) << i;
        DestroyWindow(window);
    }
}

// The longest path a file dialog gives, in Chinese: saved, replaced by a shorter file and read
// back. Then a read-only target, one another program holds open and a folder are not replaced; no
// temporary file is left behind.
TEST(WindowsFiles, TheLongestChinesePathsAndTargetsThatCannotBeReplaced) {
    TempFolder folder;
    const EventList list{{1000, 256, 30 << 16, 0}, {500, 257, 30 << 16, 0}};
    fs::path deep = folder.path;
    while (deep.native().size() < 200)
        deep /= std::wstring(30, L'歌');
    fs::create_directories(deep);
    const std::wstring name(MAX_PATH - 1 - deep.native().size() - 1 - 4, L'曲'); // 259 in all
    const fs::path song = deep / (name + L".qvi"), held = deep / (name + L".mid");
    ASSERT_EQ(writeRecordingFile(list, 1297, false, song), nullptr);
    ASSERT_EQ(writeRecordingFile({list[0]}, 1302, true, song), nullptr);
    LoadedRecording loaded;
    ASSERT_EQ(readRecordingFile(song, loaded), nullptr);
    EXPECT_EQ(loaded.keyModeId, 1302u);
    ASSERT_EQ(writeRecordingFile({list[0]}, 1302, true, held), nullptr);
    ASSERT_TRUE(SetFileAttributesW(song.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    for (const fs::path& target : {song, held, deep})
        EXPECT_EQ(writeRecordingFile(list, 1297, false, target), msgCannotCreateFile) << target;
    CloseHandle(holder);
    EXPECT_TRUE(fs::file_size(song) == 120u && fs::file_size(held) == 120u); // one event, not two
    EXPECT_EQ(std::distance(fs::directory_iterator(deep), {}), 2);
}

} // namespace
