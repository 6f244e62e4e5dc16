#include "cli/recording_text.h"
#include "cli/text_encoding.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(RecordingText, InfoSummarisesWhatSoundsAndNotationPairsEachPressWithItsRelease) {
    // No such key/mode, a bass word not 1; a key that plays nothing and a shift out of range.
    LoadedRecording r{{}, 1306, 2};
    r.events = {{61000, 256, 30 << 16, 0}, {5, 256, 16 << 16, -1}, {0, 257, 30 << 16, 0},
                {0, 257, 16 << 16, -1},    {0, 256, 99 << 16, 0},  {0, 256, 27 << 16, 5}};
    EXPECT_EQ(recordingInfo(r),
              L"调式: 1306 (无此调式)\n自动低音: 关\n事件: 6, 音符: 2\n时长: 1:01.005\n"
              L"最低音: -, 最高音: -\nShift和弦: 无, Ctrl和弦: 有\n");
    r.keyModeId = 1304, r.autoBassWord = 1; // F sharp major (+6), automatic bass
    EXPECT_EQ(recordingInfo(r),
              L"调式: #F大调\n自动低音: 开\n事件: 6, 音符: 2\n时长: 1:01.005\n"
              L"最低音: C#2 (37), 最高音: F#4 (66)\nShift和弦: 无, Ctrl和弦: 有\n");
    r.keyModeId = 1297;
    r.events = {{1000, 256, 37 << 16, 1},    {0, 256, 16 << 16, 0},      {250, 257, 37 << 16, 1},
                {20, 256, 12 << 16, -1},     {1000, 257, 16 << 16, 0},   {0, 256, 27 << 16, 0},
                {5, 256, 27 << 16, 1},       {10, 257, 27 << 16, 1},     {20, 257, 27 << 16, 0},
                {5998695, 256, 30 << 16, 0}, {1000500, 257, 30 << 16, 0}};
    std::wstring notation;
    size_t pieces = 0;
    EXPECT_TRUE(writeRecordingNotation(r, [&](const std::wstring& piece) {
        notation += piece, ++pieces;
        return true;
    }));
    // A start of 100 minutes and a length of 1 000 s still leave a blank between the columns.
    EXPECT_EQ(notation, L"调式: C大调\n开始      时长    简谱  按键      音名\n"
                        L"0:01.000  0.250   1.    Shift+K   C6\n"
                        L"0:01.000  1.270   ..5   Q         G2\n"
                        L"0:01.270  -       b5.   Ctrl+-    F#4\n"
                        L"0:02.270  0.035   6.    ]         A5\n"
                        L"0:02.275  0.010   6.    Shift+]   A6\n"
                        L"100:01.000 1000.500 1     A         C4\n");
    EXPECT_EQ(pieces, 1u);
    // A long recording is handed on in pieces as it goes, and the first refused piece ends it.
    r.events.assign(6000, {1, 256, 30 << 16, 0});
    for (size_t i = 1; i < r.events.size(); i += 2)
        r.events[i].message = 257;
    notation.clear(), pieces = 0;
    EXPECT_TRUE(writeRecordingNotation(r, [&](const std::wstring& piece) {
        notation += piece, ++pieces;
        return true;
    }));
    EXPECT_EQ(std::count(notation.begin(), notation.end(), L'\n'), 3002);
    EXPECT_GT(pieces, 1u);
    pieces = 0;
    EXPECT_FALSE(writeRecordingNotation(r, [&](const std::wstring&) { return ++pieces, false; }));
    EXPECT_EQ(pieces, 1u);
}

TEST(TextEncoding, NothingInvalidPassesThrough) {
    EXPECT_EQ(utf8FromWide(std::wstring{L'调', wchar_t(0xD800)}), "\xe8\xb0\x83\xef\xbf\xbd");
    // After U+1F3B9 a byte never in UTF-8, an overlong form, a surrogate: each byte replaced.
    EXPECT_EQ(wideFromUtf8("\xf0\x9f\x8e\xb9\xff\xc0\xaf\xed\xa0\x80"),
              L"\U0001F3B9" + std::wstring(6, L'\uFFFD'));
}
