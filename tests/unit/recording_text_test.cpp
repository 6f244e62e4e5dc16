#include "cli/recording_text.h"
#include "cli/text_encoding.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(RecordingText, KeysWithTheirDotsLegendsAndNoteNames) { // beside those of the notation below
    const std::tuple<unsigned, int, const wchar_t*> cases[] = {
        {5, 60, L"..7 4 C4"}, {19, 61, L".1 R C#4"},  {30, 59, L"1 A B3"},
        {40, 14, L"4. ' D0"}, {53, 102, L"3. / F#7"}, {44, 21, L"b2 Z A0"}};
    for (const auto& [scan, n, shown] : cases) // the key's degree and legend, a note's name
        EXPECT_EQ(degreeText(keyTable[scan]) + L' ' + keyText(scan, 0) + L' ' + noteName(n), shown);
}

TEST(RecordingText, InfoSummarisesWhatSoundsAndNotationPairsEachPressWithItsRelease) {
    // F sharp major (+6), automatic bass; then a key/mode there is none of and a bass word not 1.
    LoadedRecording r{{}, 1304, 1};
    r.events = {{61000, 256, 30 << 16, 0}, {5, 256, 16 << 16, -1}, {0, 257, 30 << 16, 0},
                {0, 257, 16 << 16, -1},    {0, 256, 99 << 16, 0},  {0, 256, 27 << 16, 5}};
    EXPECT_EQ(recordingInfo(r),
              L"调式: #F大调\n自动低音: 开\n事件: 6, 音符: 2\n时长: 1:01.005\n"
              L"最低音: C#2 (37), 最高音: F#4 (66)\nShift和弦: 无, Ctrl和弦: 有\n");
    r.keyModeId = 1306, r.autoBassWord = 2;
    EXPECT_EQ(recordingInfo(r),
              L"调式: 1306 (无此调式)\n自动低音: 关\n事件: 6, 音符: 2\n"
              L"时长: 1:01.005\n最低音: -, 最高音: -\nShift和弦: 无, Ctrl和弦: 有\n");
    // ] and Shift+] sound together; each release ends the note of its own shift.
    r.keyModeId = 1297;
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
