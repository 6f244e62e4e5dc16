#include "engine/key_modes.h"
#include "engine/key_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

static int note(unsigned scan, int keyMode) {
    const KeySlot* slot = playableSlot(scan);
    return slot ? noteNumber(slot->octave, slot->semitone, keyMode).value_or(-2000) : -1000;
}

// The 45 keys: scan code, octave, semitone, row, half-column, label, note in C major unshifted.
using KeyRow = std::tuple<unsigned, int, int, int, int, std::string, int>;
const KeyRow keyRows[] = {
    {2, 3, 6, 0, 0, "b5", 42},    {3, 3, 8, 0, 2, "b6", 44},    {4, 3, 10, 0, 4, "b7", 46},
    {5, 3, 11, 0, 6, "7", 47},    {6, 4, 1, 0, 8, "b2", 49},    {7, 4, 3, 0, 10, "b3", 51},
    {8, 4, 4, 0, 12, "3", 52},    {9, 4, 6, 0, 14, "b5", 54},   {10, 4, 8, 0, 16, "b6", 56},
    {11, 4, 10, 0, 18, "b7", 58}, {12, 6, 6, 0, 20, "b5", 78},  {13, 6, 8, 0, 22, "b6", 80},
    {16, 3, 7, 1, 1, "5", 43},    {17, 3, 9, 1, 3, "6", 45},    {18, 3, 11, 1, 5, "7", 47},
    {19, 4, 0, 1, 7, "1", 48},    {20, 4, 2, 1, 9, "2", 50},    {21, 4, 4, 1, 11, "3", 52},
    {22, 4, 5, 1, 13, "4", 53},   {23, 4, 7, 1, 15, "5", 55},   {24, 4, 9, 1, 17, "6", 57},
    {25, 4, 11, 1, 19, "7", 59},  {26, 6, 7, 1, 21, "5", 79},   {27, 6, 9, 1, 23, "6", 81},
    {30, 5, 0, 2, 2, "1", 60},    {31, 5, 2, 2, 4, "2", 62},    {32, 5, 4, 2, 6, "3", 64},
    {33, 5, 5, 2, 8, "4", 65},    {34, 5, 7, 2, 10, "5", 67},   {35, 5, 9, 2, 12, "6", 69},
    {36, 5, 11, 2, 14, "7", 71},  {37, 6, 0, 2, 16, "1", 72},   {38, 6, 2, 2, 18, "2", 74},
    {39, 6, 4, 2, 20, "3", 76},   {40, 6, 5, 2, 22, "4", 77},   {44, 5, 1, 3, 3, "b2", 61},
    {45, 5, 3, 3, 5, "b3", 63},   {46, 5, 4, 3, 7, "3", 64},    {47, 5, 6, 3, 9, "b5", 66},
    {48, 5, 8, 3, 11, "b6", 68},  {49, 5, 10, 3, 13, "b7", 70}, {50, 5, 11, 3, 15, "7", 71},
    {51, 6, 1, 3, 17, "b2", 73},  {52, 6, 3, 3, 19, "b3", 75},  {53, 6, 4, 3, 21, "3", 76},
};

TEST(KeyTable, EveryKeyAndEveryEmptySlot) {
    std::set<unsigned> keys;
    for (const KeyRow& row : keyRows) {
        const unsigned scan = std::get<0>(row);
        const KeySlot* slot = playableSlot(scan);
        ASSERT_NE(slot, nullptr) << scan;
        EXPECT_EQ(KeyRow(scan, slot->octave, slot->semitone, slot->row, slot->halfColumn,
                         slot->label, note(scan, 1297)),
                  row);
        keys.insert(scan);
    }
    EXPECT_EQ(keys.size(), 45u);
    for (unsigned scan = 0; scan < 60; ++scan) // 0, 1, 14, 15, 28, 29, 41, 42, 43, 54 and beyond
        if (!keys.count(scan)) {
            EXPECT_EQ(playableSlot(scan), nullptr) << scan;
            EXPECT_TRUE(scan >= keySlotCount || keyTable[scan].halfColumn == -1)
                << scan; // unpainted
        }
}

// The key/modes in menu order: identifier, name, tonic offset, the note of "1" (the A key).
TEST(KeyTable, EveryKeyModeItsNameAndTheNoteOfItsOne) {
    const std::tuple<int, std::wstring, int, int> modes[] = {
        {1297, L"C大调", 0, 60},   {1298, L"D大调", 2, 62},  {1299, L"E大调", 4, 64},
        {1300, L"F大调", 5, 65},   {1301, L"G大调", 7, 67},  {1302, L"A大调", 9, 69},
        {1303, L"B大调", -1, 59},  {1304, L"#F大调", 6, 66}, {1305, L"#C大调", 1, 61},
        {1312, L"bB大调", -2, 58}, {1313, L"bE大调", 3, 63}, {1314, L"bA大调", -4, 56},
        {1315, L"c小调", 3, 63},   {1316, L"d小调", 5, 65},  {1317, L"e小调", 7, 67},
        {1318, L"f小调", -4, 56},  {1319, L"g小调", -2, 58}, {1320, L"a小调", 0, 60},
        {1321, L"b小调", 2, 62},   {1328, L"#f小调", 9, 69}, {1329, L"#c小调", 4, 64},
        {1330, L"#g小调", -1, 59}, {1331, L"#d小调", 6, 66}, {1332, L"#a小调", 1, 61}};
    for (size_t i = 0; i < std::size(modes); ++i) {
        const int id = keyModeItems[i].id;
        EXPECT_EQ(std::tuple(id, std::wstring(keyModeName(id)), tonicOffset(id).value_or(99),
                             note(30, id)),
                  modes[i]);
    }
    EXPECT_EQ(std::wstring(keyModeItems[23].menuText), L"#a小调\t  Alt+Z");
    for (int none : {0, -1, 1296, 1306, 1307, 1308, 1309, 1310, 1311, 1322, 1323, 1324, 1325, 1326,
                     1327, 1333}) { // no key/mode: silent
        EXPECT_FALSE(tonicOffset(none).has_value() || keyModeName(none)[0]) << none;
        EXPECT_EQ(note(30, none), -2000) << none;
    }
}
