// The document in the real window, the command-line file, and the files themselves under Windows.
#include "recording/file_messages.h"
#include "recording/playback_scheduler.h"
#include "recording/recording_file.h"
#include "tests/win/window_fixture.h"

#include <filesystem>
#include <iterator>
#include <tuple>

namespace fs = std::filesystem;

// Files in a temporary folder of the test's own, read-only ones included.
class Document : public WindowTest {
  protected:
    Document() { fs::create_directories(folder); }
    ~Document() override {
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(folder);
    }
    // A recording of A pressed and released, in the given key/mode, with or without the bass.
    std::wstring recordingFile(const wchar_t* name, uint32_t keyMode, bool bass) {
        const EventList events{{20, 256, 30 << 16, 0}, {20, 257, 30 << 16, 0}};
        EXPECT_EQ(writeRecordingFile(events, keyMode, bass, folder / name), nullptr);
        return (folder / name).wstring();
    }
    const fs::path folder =
        fs::temp_directory_path() / (L"tonvira-" + std::to_wstring(GetCurrentProcessId()));
};

// A loaded file brings its key/mode and automatic bass; one that cannot be used changes nothing
// but the name, which is forgotten. The save-changes prompt: Cancel keeps the window, so does Yes
// when the save dialog is then cancelled; a log-off waits for the answer. A failed save
// or export leaves the recording unsaved. Flags 2: OFN_OVERWRITEPROMPT, 8192: OFN_CREATEPROMPT,
// 8 in both: OFN_NOCHANGEDIR.
TEST_F(Document, LoadTheSaveChangesPromptAndFailedSaves) {
    ASSERT_TRUE(create());
    const std::wstring absent = (folder / L"no" / L"x").wstring();
    fake.dialogAnswers = {recordingFile(L"a-major.qvi", 1302, true),
                          recordingFile(L"odd.qvi", 1400, false), L"", absent + L".qvi",
                          absent + L".mid"};
    command(ID_LOAD);
    EXPECT_TRUE(checked(1302) && !checked(ID_KEY_FIRST) && checked(ID_AUTO_BASS));
    command(ID_LOAD);
    EXPECT_EQ(boxes(), WideTexts{warning(L"文件odd.qvi不是被支持的Tonvira文件.")});
    EXPECT_TRUE(performance.keyMode == 1302 && eventLists.playbackList.size() == 2);
    command(ID_RECORD_START);
    key(WM_KEYDOWN, 30);
    command(ID_RECORD_STOP);
    fake.boxAnswers = {IDCANCEL, IDYES, IDCANCEL, IDNO};
    SendMessageW(window, WM_CLOSE, 0, 0);
    SendMessageW(window, WM_CLOSE, 0, 0); // Yes, and the save dialog is cancelled
    EXPECT_TRUE(IsWindow(window) && document.dirty);
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), 0);
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_EQ(boxes(), WideTexts(4, box(L"QV", L"保存当前的变化在 未命名?",
                                        MB_YESNOCANCEL | MB_ICONQUESTION)));
    command(ID_SAVE_AS, ID_EXPORT_MIDI);
    EXPECT_EQ(boxes(), (WideTexts{warning(L"不能创建文件x.qvi."), warning(L"不能写入文件x.mid.")}));
    EXPECT_TRUE(textOf(window) == L"Tonvira - [未命名]" && document.dirty);
    const std::wstring open = L"open QVI Files(*.QVI)|*.qvi 8200 qvi",
                       qvi = L"save QVI Files(*.QVI)|*.qvi 10 qvi";
    EXPECT_EQ(fake.dialogs,
              (WideTexts{open, open, qvi, qvi, L"save Midi Files(*.MID)|*.mid 10 mid"}));
}

// The command-line file is played half a second after start, but not once recording has started,
// nor with the device closed (and no play is refused then); a file that cannot be used is
// reported (the name cut to the longest path) and leaves the recording empty.
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

// A relative command-line name is saved where it was found, wherever the current folder moves
// to later; the title keeps the name as typed.
TEST_F(Document, ARelativeStartupNameIsSavedWhereItWasFound) {
    recordingFile(L"tune.qvi", 1297, false);
    fs::create_directories(folder / L"elsewhere");
    const fs::path before = fs::current_path();
    fs::current_path(folder);
    shell.commandLine = L"tune.qvi";
    ASSERT_TRUE(create());
    fs::current_path(folder / L"elsewhere");
    command(ID_RECORD_START);
    key(WM_KEYDOWN, 31), key(WM_KEYUP, 31), key(WM_KEYDOWN, 32), key(WM_KEYUP, 32);
    command(ID_RECORD_STOP, ID_SAVE);
    fs::current_path(before);
    EXPECT_EQ(textOf(window), L"Tonvira - [tune.qvi]");
    EXPECT_EQ(fs::file_size(folder / L"tune.qvi"), 104u + 4 * 16);
    EXPECT_FALSE(fs::exists(folder / L"elsewhere" / L"tune.qvi"));
}

// The command-line file's start comes due, or a play arrives, while the load dialog is open: the
// start is dropped, a playback that runs is stopped and silenced before the lists are replaced,
// and the new file is taken up stopped.
TEST_F(Document, ALoadIsNeverTakenUpUnderARunningPlayback) {
    const std::wstring first = recordingFile(L"first.qvi", 1297, false);
    const std::wstring second = recordingFile(L"second.qvi", 1302, true);
    shell.commandLine = first.c_str();
    ASSERT_TRUE(create());
    sent();
    fake.dialogAnswers = {second, first};
    PostMessageW(window, WM_TIMER, startupPlayTimer, 0);
    command(ID_LOAD);
    EXPECT_EQ(sent(), "");
    PostMessageW(window, WM_COMMAND, ID_PLAY, 0);
    command(ID_LOAD);
    EXPECT_TRUE(!playbackRunning() && performance.keyMode == 1297 && !performance.autoBass);
    const std::string heard = sent(); // on a slow machine the first note may sound before the load
    EXPECT_TRUE(heard.ends_with(thenSilence())) << heard;
    EXPECT_EQ(commandStates(), "101100111 10110");
    pumpFor(700);
    EXPECT_EQ(sent(), "");
}

// The longest path a file dialog gives, in Chinese, is written, replaced by a shorter file and
// read; a read-only target, one another program holds open and a folder are not replaced, and no
// temporary file is left behind.
TEST_F(Document, TheLongestChinesePathsAndTargetsThatCannotBeReplaced) {
    const EventList two{{1000, 256, 30 << 16, 0}, {500, 257, 30 << 16, 0}}, one{two[0]};
    fs::path deep = folder;
    while (deep.native().size() < 200)
        deep /= std::wstring(30, L'歌');
    fs::create_directories(deep);
    const std::wstring name(MAX_PATH - 1 - deep.native().size() - 1 - 4, L'曲'); // 259 in all
    const fs::path song = deep / (name + L".qvi"), held = deep / (name + L".mid");
    for (const auto& [list, target] : {std::pair{two, song}, {one, song}, {one, held}})
        ASSERT_EQ(writeRecordingFile(list, 1302, true, target), nullptr);
    LoadedRecording loaded;
    ASSERT_EQ(readRecordingFile(song, loaded), nullptr);
    ASSERT_TRUE(SetFileAttributesW(song.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    for (const fs::path& target : {song, held, deep})
        EXPECT_EQ(writeRecordingFile(two, 1297, false, target), msgCannotCreateFile) << target;
    CloseHandle(holder);
    EXPECT_TRUE(fs::file_size(song) == 120u && fs::file_size(held) == 120u); // one event, not two
    EXPECT_EQ(std::distance(fs::directory_iterator(deep), {}), 2);
}
