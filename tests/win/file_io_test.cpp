// The Windows side of saving and loading, on real files under Wine or Windows: a save either
// replaces the target whole or leaves it exactly as it was.
#include "recording/file_messages.h"
#include "recording/midi_export.h"
#include "recording/recording_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<char>;

class WindowsFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        folder =
            fs::temp_directory_path() / (L"tonvira-win-" + std::to_wstring(GetCurrentProcessId()) +
                                         L"-" + std::to_wstring(counter++));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        for (const auto& entry : fs::directory_iterator(folder))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(folder);
    }

    static Bytes contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void put(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    size_t filesInFolder() const {
        return size_t(std::distance(fs::directory_iterator(folder), {}));
    }

    static inline int counter = 0;
    fs::path folder;
    const EventList list{{1000, 256, 30 << 16, 0}, {500, 257, 30 << 16, 0}};
};

TEST_F(WindowsFiles, SaveLoadAndReplaceWithAChineseName) {
    const fs::path path = folder / L"我的歌.qvi";
    ASSERT_EQ(writeRecordingFile(list, 1302, true, path), nullptr);
    EXPECT_EQ(fs::file_size(path), 136u);
    LoadedRecording loaded;
    ASSERT_EQ(readRecordingFile(path, loaded), nullptr);
    EXPECT_EQ(loaded.keyModeId, 1302u);
    EXPECT_EQ(loaded.autoBassWord, 1u);
    ASSERT_EQ(loaded.events.size(), 2u);
    EXPECT_EQ(loaded.events[1].delayMs, 500u);
    ASSERT_EQ(writeRecordingFile({list[0]}, 1297, false, path), nullptr);
    EXPECT_EQ(fs::file_size(path), 120u);
    EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(WindowsFiles, ReadOnlyTargetIsNotReplaced) {
    const fs::path path = folder / L"locked.qvi";
    put(path, "precious");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(std::wstring(writeRecordingFile(list, 1297, false, path)), L"不能创建文件%s.");
    EXPECT_FALSE(exportMidiFile(list, 1297, 0, false, path));
    EXPECT_EQ(contents(path), Bytes({'p', 'r', 'e', 'c', 'i', 'o', 'u', 's'}));
    EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(WindowsFiles, TargetHeldOpenByAnotherProgramIsNotReplaced) {
    const fs::path path = folder / L"busy.qvi";
    put(path, "in use");
    HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const wchar_t* error = writeRecordingFile(list, 1297, false, path);
    CloseHandle(holder);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(std::wstring(error), L"不能创建文件%s.");
    EXPECT_EQ(contents(path), Bytes({'i', 'n', ' ', 'u', 's', 'e'}));
    EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(WindowsFiles, ImpossiblePathsFailCleanly) {
    EXPECT_EQ(std::wstring(writeRecordingFile(list, 1297, false, folder / L"no" / L"x.qvi")),
              L"不能创建文件%s.");
    EXPECT_EQ(std::wstring(writeRecordingFile(list, 1297, false, folder)), L"不能创建文件%s.");
    LoadedRecording loaded;
    EXPECT_EQ(std::wstring(readRecordingFile(folder / L"absent.qvi", loaded)),
              L"不能找到或打开文件%s.");
    EXPECT_EQ(filesInFolder(), 0u);
}

TEST_F(WindowsFiles, TheLongestPathsTheDialogsGiveSaveAndExport) {
    fs::path deep = folder;
    while (deep.native().size() < 200)
        deep /= std::wstring(30, L'd');
    fs::create_directories(deep);
    const size_t room = MAX_PATH - 1 - deep.native().size() - 1; // 259 characters in all
    const fs::path song = deep / (std::wstring(room - 4, L'n') + L".qvi");
    const fs::path midi = deep / (std::wstring(room - 4, L'n') + L".mid");
    ASSERT_EQ(song.native().size(), 259u);
    ASSERT_EQ(writeRecordingFile(list, 1297, false, song), nullptr);
    ASSERT_EQ(writeRecordingFile(list, 1298, false, song), nullptr); // replacing it too
    LoadedRecording loaded;
    ASSERT_EQ(readRecordingFile(song, loaded), nullptr);
    EXPECT_EQ(loaded.keyModeId, 1298u);
    EXPECT_TRUE(exportMidiFile(list, 1297, 0, false, midi));
    EXPECT_EQ(std::distance(fs::directory_iterator(deep), {}), 2);
}

TEST_F(WindowsFiles, ExportWritesTheWholeFile) {
    const fs::path path = folder / L"song.mid";
    ASSERT_TRUE(exportMidiFile(list, 1297, 0, true, path));
    const Bytes written = contents(path);
    const auto expected = *encodeMidiFile(list, 1297, 0, true);
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_TRUE(std::equal(written.begin(), written.end(), expected.begin(),
                           [](char a, uint8_t b) { return uint8_t(a) == b; }));
}

} // namespace
