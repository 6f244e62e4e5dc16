// Saving, loading and exporting on real files under Wine or Windows: long Chinese paths, binary
// bytes, and a save that either replaces the target whole or leaves it as it was.
#include "recording/midi_export.h"
#include "recording/recording_file.h"
#include "tests/win/window_fixture.h"

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const EventList list{{1000, 256, 30 << 16, 0}, {500, 257, 30 << 16, 0}};

// A read-only target and one another program holds open keep their bytes, a folder is not
// replaced, and no temporary file is left behind.
TEST(WindowsFiles, ATargetThatCannotBeReplacedIsKept) {
    TempFolder folder;
    const fs::path locked = folder.path / L"locked.qvi", busy = folder.path / L"busy.qvi";
    std::ofstream(locked, std::ios::binary) << "precious";
    std::ofstream(busy, std::ios::binary) << "in use";
    ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE holder = CreateFileW(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    for (const fs::path& target : {locked, busy, folder.path}) {
        const wchar_t* error = writeRecordingFile(list, 1297, false, target);
        EXPECT_EQ(std::wstring(error ? error : L""), L"不能创建文件%s.") << target;
    }
    EXPECT_FALSE(exportMidiFile(list, 1297, 0, false, locked));
    CloseHandle(holder);
    EXPECT_EQ(contents(locked), "precious");
    EXPECT_EQ(contents(busy), "in use");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), 2);
}

// The longest path a file dialog gives, in Chinese: saved, replaced by a shorter file, read
// back and exported byte for byte.
TEST(WindowsFiles, TheLongestChinesePathsSaveReplaceLoadAndExport) {
    TempFolder folder;
    fs::path deep = folder.path;
    while (deep.native().size() < 200)
        deep /= std::wstring(30, L'歌');
    fs::create_directories(deep);
    const std::wstring name(MAX_PATH - 1 - deep.native().size() - 1 - 4, L'曲'); // 259 in all
    const fs::path song = deep / (name + L".qvi"), midi = deep / (name + L".mid");
    ASSERT_EQ(song.native().size(), 259u);
    ASSERT_EQ(writeRecordingFile(list, 1297, false, song), nullptr);
    ASSERT_EQ(writeRecordingFile({list[0]}, 1302, true, song), nullptr);
    EXPECT_EQ(fs::file_size(song), 120u);
    LoadedRecording loaded;
    ASSERT_EQ(readRecordingFile(song, loaded), nullptr);
    EXPECT_EQ(loaded.keyModeId, 1302u);
    ASSERT_TRUE(exportMidiFile(list, 1297, 0, true, midi));
    const auto expected = *encodeMidiFile(list, 1297, 0, true);
    EXPECT_EQ(contents(midi), std::string(expected.begin(), expected.end()));
    EXPECT_EQ(std::distance(fs::directory_iterator(deep), {}), 2);
}

} // namespace
