#include "engine/key_modes.h"
#include "engine/key_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace {

int note(unsigned scan, int shift, int keyMode) {
    const KeySlot* slot = playableSlot(scan);
    if (!slot)
        return -1000;
    return noteNumber(*slot, shift, keyMode).value_or(-2000);
}

const int allKeyModes[] = {1297, 1298, 1299, 1300, 1301, 1302, 1303, 1304, 1305, 1312, 1313, 1314,
                           1315, 1316, 1317, 1318, 1319, 1320, 1321, 1328, 1329, 1330, 1331, 1332};

TEST(KeyTable, EmptySlotsAndCodesBeyondTheTablePlayNothing) {
    for (unsigned scan : {0u, 1u, 14u, 15u, 28u, 29u, 41u, 42u, 43u, 54u, 55u, 200u, 255u})
        EXPECT_EQ(playableSlot(scan), nullptr) << scan;
    int keys = 0;
    for (unsigned scan = 0; scan < keySlotCount; ++scan) {
        const KeySlot& slot = keyTable[scan];
        const bool empty = slot.octave == -1;
        EXPECT_EQ(empty, slot.halfColumn == -1) << scan;
        EXPECT_EQ(empty, slot.label == nullptr) << scan;
        keys += empty ? 0 : 1;
    }
    EXPECT_EQ(keys, 45);
}

TEST(KeyTable, NotesInCMajorWithoutShift) {
    EXPECT_EQ(note(30, 0, 1297), 60); // A
    EXPECT_EQ(note(37, 0, 1297), 72); // K
    EXPECT_EQ(note(16, 0, 1297), 43); // Q
    EXPECT_EQ(note(2, 0, 1297), 42);  // number-row 1
    EXPECT_EQ(note(27, 0, 1297), 81); // ]
    // Outer-row keys that fall on a natural degree repeat it.
    EXPECT_EQ(note(46, 0, 1297), note(32, 0, 1297)); // C and D
    EXPECT_EQ(note(50, 0, 1297), note(36, 0, 1297)); // M and J
    EXPECT_EQ(note(5, 0, 1297), note(18, 0, 1297));  // 4 and E
}

TEST(KeyTable, ExtremesOfEveryKeyModeAndShift) {
    EXPECT_EQ(note(2, -1, 1314), 26);   // 1 key, Ctrl, A flat major
    EXPECT_EQ(note(2, -2, 1314), 14);   // ...and its automatic bass
    EXPECT_EQ(note(27, +1, 1302), 102); // ] key, Shift, A major
    int lowest = 1000, highest = -1000;
    for (int keyMode : allKeyModes)
        for (unsigned scan = 0; scan < keySlotCount; ++scan)
            for (int shift : {-1, 0, 1}) {
                if (!playableSlot(scan))
                    continue;
                lowest =
                    std::min({lowest, note(scan, shift, keyMode), note(scan, shift - 1, keyMode)});
                highest = std::max(highest, note(scan, shift, keyMode));
            }
    EXPECT_EQ(lowest, 14);
    EXPECT_EQ(highest, 102);
}

TEST(KeyTable, TonicOffsetsAndMinorsSoundLikeTheirRelativeMajors) {
    EXPECT_EQ(tonicOffset(1297), 0);
    EXPECT_EQ(tonicOffset(1303), -1);
    EXPECT_EQ(tonicOffset(1314), -4);
    EXPECT_EQ(tonicOffset(1302), 9);
    const std::pair<int, int> relatives[] = {
        {1320, 1297}, {1321, 1298}, {1329, 1299}, {1316, 1300}, {1317, 1301}, {1328, 1302},
        {1330, 1303}, {1331, 1304}, {1332, 1305}, {1319, 1312}, {1315, 1313}, {1318, 1314}};
    for (auto [minor, major] : relatives) {
        for (unsigned scan = 0; scan < keySlotCount; ++scan) {
            if (playableSlot(scan)) {
                EXPECT_EQ(note(scan, 0, minor), note(scan, 0, major)) << minor << " " << scan;
            }
        }
    }
    for (int gap = 1306; gap <= 1311; ++gap)
        EXPECT_FALSE(tonicOffset(gap).has_value()) << gap;
    for (int gap = 1322; gap <= 1327; ++gap)
        EXPECT_FALSE(tonicOffset(gap).has_value()) << gap;
    for (int outside : {0, 1296, 1333, -1})
        EXPECT_FALSE(tonicOffset(outside).has_value()) << outside;
    EXPECT_EQ(note(30, 0, 1306), -2000); // no key/mode: silent
}

TEST(KeyTable, LayoutIsStaggeredAndEveryPositionUnique) {
    const char* labels[] = {"1", "b2", "2", "b3", "3", "4", "b5", "5", "b6", "6", "b7", "7"};
    std::set<std::pair<int, int>> positions;
    for (unsigned scan = 0; scan < keySlotCount; ++scan) {
        const KeySlot* slot = playableSlot(scan);
        if (!slot)
            continue;
        EXPECT_EQ(std::string(slot->label), labels[slot->semitone]) << scan;
        EXPECT_EQ(slot->halfColumn % 2, slot->row % 2) << scan;
        EXPECT_TRUE(positions.insert({slot->row, slot->halfColumn}).second) << scan;
    }
    // Each outer-row key plays one semitone below the key half a key to its lower right.
    for (unsigned outer = 0; outer < keySlotCount; ++outer) {
        const KeySlot* slot = playableSlot(outer);
        if (!slot || (slot->row != 0 && slot->row != 3))
            continue;
        const int innerRow = slot->row == 0 ? 1 : 2;
        for (unsigned inner = 0; inner < keySlotCount; ++inner) {
            const KeySlot* other = playableSlot(inner);
            if (other && other->row == innerRow && other->halfColumn == slot->halfColumn + 1) {
                EXPECT_EQ(note(outer, 0, 1297) + 1, note(inner, 0, 1297)) << outer;
            }
        }
    }
}

} // namespace

namespace {

TEST(KeyModes, MenuOrderIdentifiersAndNames) {
    const std::pair<int, const wchar_t*> menu[] = {
        {1297, L"C大调"},  {1298, L"D大调"},  {1299, L"E大调"},  {1300, L"F大调"},
        {1301, L"G大调"},  {1302, L"A大调"},  {1303, L"B大调"},  {1304, L"#F大调"},
        {1305, L"#C大调"}, {1312, L"bB大调"}, {1313, L"bE大调"}, {1314, L"bA大调"},
        {1315, L"c小调"},  {1316, L"d小调"},  {1317, L"e小调"},  {1318, L"f小调"},
        {1319, L"g小调"},  {1320, L"a小调"},  {1321, L"b小调"},  {1328, L"#f小调"},
        {1329, L"#c小调"}, {1330, L"#g小调"}, {1331, L"#d小调"}, {1332, L"#a小调"}};
    for (size_t i = 0; i < std::size(menu); ++i) {
        EXPECT_EQ(keyModeItems[i].id, menu[i].first) << i;
        EXPECT_EQ(keyModeName(menu[i].first), menu[i].second) << i;
    }
    EXPECT_EQ(keyModeName(1306), L"");
    EXPECT_EQ(std::wstring(keyModeItems[23].menuText), L"#a小调\t  Alt+Z");
}

} // namespace
