#include "cli/recording_text.h"
#include "cli/text_encoding.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(RecordingText, KeysWithTheirDotsLegendsAndNoteNames) {
    // Beside those of the notation below.
    const std::tuple<unsigned, const wchar_t*, const wchar_t*> keys[] = {
        {5, L"..7", L"4"}, {19, L".1", L"R"}, {30, L"1", L"A"},
        {40, L"4.", L"'"}, {53, L"3.", L"/"}, {44, L"b2", L"Z"},
    };
    for (const auto& [scan, degree, legend] : keys) {
        EXPECT_EQ(degreeText(keyTable[scan]), degree) << scan;
        EXPECT_EQ(keyText(scan, 0), legend) << scan;
    }
    const std::pair<int, const wchar_t*> names[] = {
        {60, L"C4"}, {61, L"C#4"}, {59, L"B3"}, {14, L"D0"}, {102, L"F#7"}};
    for (const auto& [note, name] : names)
        EXPECT_EQ(noteName(note), name) << note;
}

TEST(RecordingText, InfoSummarisesWhatSounds) {
    LoadedRecording r;
    r.keyModeId = 1304; // F sharp major, +6
    r.autoBassWord = 1;
    r.events = {{61000, 256, 30 << 16, 0}, {5, 256, 16 << 16, -1}, {0, 257, 30 << 16, 0},
                {0, 257, 16 << 16, -1},    {0, 256, 99 << 16, 0},  {0, 256, 27 << 16, 5}};
    EXPECT_EQ(recordingInfo(r), L"调式: #F大调\n自动低音: 开\n事件: 6, 音符: 2\n时长: 1:01.005\n"
                                L"最低音: C#2 (37), 最高音: F#4 (66)\n"
                                L"Shift和弦: 无, Ctrl和弦: 有\n");
    r.keyModeId = 1306;
    r.autoBassWord = 2;
    EXPECT_EQ(recordingInfo(r), L"调式: 1306 (无此调式)\n自动低音: 关\n事件: 6, 音符: 2\n"
                                L"时长: 1:01.005\n最低音: -, 最高音: -\n"
                                L"Shift和弦: 无, Ctrl和弦: 有\n");
}

TEST(RecordingText, NotationPairsEachPressWithItsRelease) {
    LoadedRecording r;
    r.keyModeId = 1297;
    // ] and Shift+] sound together; each release ends the note of its own shift.
    r.events = {{1000, 256, 37 << 16, 1}, {0, 256, 16 << 16, 0},    {250, 257, 37 << 16, 1},
                {20, 256, 12 << 16, -1},  {1000, 257, 16 << 16, 0}, {0, 256, 27 << 16, 0},
                {5, 256, 27 << 16, 1},    {10, 257, 27 << 16, 1},   {20, 257, 27 << 16, 0}};
    EXPECT_EQ(recordingNotation(r), L"调式: C大调\n"
                                    L"开始      时长    简谱  按键      音名\n"
                                    L"0:01.000  0.250   1.    Shift+K   C6\n"
                                    L"0:01.000  1.270   ..5   Q         G2\n"
                                    L"0:01.270  -       b5.   Ctrl+-    F#4\n"
                                    L"0:02.270  0.035   6.    ]         A5\n"
                                    L"0:02.275  0.010   6.    Shift+]   A6\n");
}

TEST(TextEncoding, Utf8BothWaysAndNothingInvalidPassesThrough) {
    EXPECT_EQ(utf8FromWide(L"调式 ü"), "\xe8\xb0\x83\xe5\xbc\x8f \xc3\xbc");
    const std::string piano = "\xf0\x9f\x8e\xb9"; // U+1F3B9, a surrogate pair on Windows
    EXPECT_EQ(utf8FromWide(wideFromUtf8(piano)), piano);
    EXPECT_EQ(wideFromUtf8("\xe8\xb0\x83\xff"), L"调\uFFFD");
    EXPECT_EQ(wideFromUtf8("\xc0\xaf"), L"\uFFFD\uFFFD");           // overlong
    EXPECT_EQ(wideFromUtf8("\xed\xa0\x80"), L"\uFFFD\uFFFD\uFFFD"); // a surrogate
}

} // namespace
