#include "app/instrument_table.h"
#include "app/layout.h"
#include "engine/key_geometry.h"

#include <gtest/gtest.h>

namespace {

TEST(InstrumentTable, GeneralMidiOrderAndKeyLabels) {
    for (int family = 0; family < instrumentFamilyCount; ++family)
        for (int entry = 0; entry < 8; ++entry) // the menu's command is its program number
            EXPECT_EQ(instrumentTable[family].entries[entry].program, 8 * family + entry);
    // The key/mode's name (pinned in the key table's test) without 大调 or 小调, after 1= or 6=.
    const std::pair<int, const wchar_t*> labels[] = {{1297, L"1=C"},  {1304, L"1=#F"},
                                                     {1312, L"1=bB"}, {1315, L"6=c"},
                                                     {1332, L"6=#a"}, {1306, L""}};
    for (const auto& [id, label] : labels)
        EXPECT_EQ(keyModeLabel(id), label) << id;
    EXPECT_EQ(instrumentLabel(0, 1297), L"三角钢琴    1=C");
    EXPECT_EQ(instrumentLabel(127, 1310), L"枪声    ");
}

// With "M" 8 x 16 pixels; divisions truncate toward zero.
TEST(Layout, KeyboardOriginBarsAndButtons) {
    const struct {
        int width, height, left, top;
        ControlRect velocity, pitchBend, record, stopPlay;
    } sizes[] = {
        // clang-format off
        {1000, 600, 262, 238, {850, 180, 25, 240}, {900, 180, 25, 240}, {348, 480, 48, 28},
         {604, 480, 48, 28}},
        {473, 155, -1, 16, {402, 46, 11, 62}, {425, 46, 11, 62}, {84, 124, 48, 28},
         {340, 124, 48, 28}},
        {0, 0, -237, -62, {0, 0, 0, 0}, {0, 0, 0, 0}, {-152, 0, 48, 28}, {104, 0, 48, 28}}};
    // clang-format on
    auto same = [](const ControlRect& a, const ControlRect& b) {
        return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
    };
    for (const auto& s : sizes) {
        Layout values;
        values.cellWidth = 8;
        values.cellHeight = 16;
        layoutForSize(values, s.width, s.height);
        EXPECT_EQ(values.keyboardLeft, s.left) << s.width;
        EXPECT_EQ(values.keyboardTop, s.top) << s.height;
        EXPECT_TRUE(same(scrollBarRect(values, 0), s.velocity)) << s.width;
        EXPECT_TRUE(same(scrollBarRect(values, 1), s.pitchBend)) << s.width;
        EXPECT_TRUE(same(buttonRect(values, 0), s.record)) << s.width;
        EXPECT_TRUE(same(buttonRect(values, 4), s.stopPlay)) << s.width;
    }
}

// Keys Q (octave 3), R (octave 4), A (octave 5) and K (octave 6) with the keyboard at (100, 200).
TEST(KeyGeometry, CellsLabelsAndOctaveDots) {
    const struct {
        unsigned scan;
        PixelRect cell;
        int dotCount;
        PixelRect dots[2];
    } keys[] = {{16, {119, 239, 157, 278}, 2, {{136, 263, 140, 267}, {136, 269, 140, 273}}},
                {19, {233, 239, 271, 278}, 1, {{250, 263, 254, 267}}},
                {30, {138, 278, 176, 317}, 0, {}},
                {37, {404, 278, 442, 317}, 1, {{421, 281, 425, 285}}}};
    auto same = [](const PixelRect& a, const PixelRect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    };
    for (const auto& key : keys) {
        const PixelRect cell = keyCell(keyTable[key.scan], 100, 200);
        EXPECT_TRUE(same(cell, key.cell)) << key.scan;
        const PixelRect& c = key.cell;
        EXPECT_TRUE(same(keyLabelRect(cell), {c.left, c.top - 4, c.right, c.bottom - 4}));
        PixelRect dots[2]{};
        ASSERT_EQ(octaveDots(keyTable[key.scan], cell, dots), key.dotCount) << key.scan;
        for (int i = 0; i < key.dotCount; ++i)
            EXPECT_TRUE(same(dots[i], key.dots[i])) << key.scan << " dot " << i;
    }
    const struct {
        bool pressed;
        int shift, x; // -1: nothing copied
    } caps[] = {{false, 0, 0},   {false, 2, 0}, {true, 0, 38}, {true, 1, 76},
                {true, -1, 114}, {true, 2, -1}, {true, -2, -1}};
    for (const auto& cap : caps)
        EXPECT_EQ(keyCapSource(cap.pressed, cap.shift).value_or(-1), cap.x)
            << cap.pressed << " " << cap.shift;
}

} // namespace
