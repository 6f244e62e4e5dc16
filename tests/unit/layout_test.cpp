#include "app/instrument_table.h"
#include "app/layout.h"
#include "engine/key_geometry.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

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

using Box = std::vector<int>;

// With "M" 8 x 16 pixels; divisions truncate toward zero. The keyboard's origin, the velocity and
// pitch-bend bars, the first and the last button.
TEST(Layout, KeyboardOriginBarsAndButtons) {
    const std::tuple<int, int, Box> sizes[] = {
        {1000,
         600,
         {262, 238, 850, 180, 25, 240, 900, 180, 25, 240, 348, 480, 48, 28, 604, 480, 48, 28}},
        {473, 155, {-1, 16, 402, 46, 11, 62, 425, 46, 11, 62, 84, 124, 48, 28, 340, 124, 48, 28}},
        {0, 0, {-237, -62, 0, 0, 0, 0, 0, 0, 0, 0, -152, 0, 48, 28, 104, 0, 48, 28}}};
    auto box = [](const ControlRect& r) { return Box{r.x, r.y, r.width, r.height}; };
    for (const auto& [width, height, expected] : sizes) {
        Layout values{8, 16};
        layoutForSize(values, width, height);
        Box got{values.keyboardLeft, values.keyboardTop};
        for (const ControlRect& r : {scrollBarRect(values, 0), scrollBarRect(values, 1),
                                     buttonRect(values, 0), buttonRect(values, 4)})
            for (int v : box(r))
                got.push_back(v);
        EXPECT_EQ(got, expected) << width;
    }
}

// Keys Q (octave 3), R (octave 4), A (octave 5) and K (octave 6) with the keyboard at (100, 200):
// the cell, then the octave dots below or above the label, which sits 4 pixels higher.
TEST(KeyGeometry, CellsLabelsAndOctaveDots) {
    const std::pair<unsigned, std::vector<Box>> keys[] = {
        {16, {{119, 239, 157, 278}, {136, 263, 140, 267}, {136, 269, 140, 273}}},
        {19, {{233, 239, 271, 278}, {250, 263, 254, 267}}},
        {30, {{138, 278, 176, 317}}},
        {37, {{404, 278, 442, 317}, {421, 281, 425, 285}}}};
    auto box = [](const PixelRect& r) { return Box{r.left, r.top, r.right, r.bottom}; };
    for (const auto& [scan, expected] : keys) {
        const PixelRect cell = keyCell(keyTable[scan], 100, 200);
        PixelRect dots[2]{};
        std::vector<Box> got{box(cell)};
        for (int i = 0, n = octaveDots(keyTable[scan], cell, dots); i < n; ++i)
            got.push_back(box(dots[i]));
        EXPECT_EQ(got, expected) << scan;
        EXPECT_EQ(box(keyLabelRect(cell)),
                  box(PixelRect{cell.left, cell.top - 4, cell.right, cell.bottom - 4}));
    }
    // Where the cap is copied from in the key picture, pressed or not, for each shift; -1: nothing.
    const std::tuple<bool, int, int> caps[] = {{false, 0, 0}, {false, 2, 0},   {true, 0, 38},
                                               {true, 1, 76}, {true, -1, 114}, {true, 2, -1},
                                               {true, -2, -1}};
    for (const auto& [pressed, shift, x] : caps)
        EXPECT_EQ(keyCapSource(pressed, shift).value_or(-1), x) << pressed << " " << shift;
}
