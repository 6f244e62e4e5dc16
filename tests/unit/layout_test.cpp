#include "app/command_states.h"
#include "app/layout.h"
#include "engine/key_geometry.h"

#include <gtest/gtest.h>

namespace {

// Keyboard origin and control rectangles are checked on the real window (tests/win).

TEST(Layout, InstrumentPictures) {
    EXPECT_EQ(instrumentPictureIndex(79, 0), 9);
    EXPECT_EQ(instrumentPictureIndex(80, 0), 10);
    EXPECT_EQ(instrumentPictureIndex(103, 14), 10);
    EXPECT_EQ(instrumentPictureIndex(104, 0), 11);
    EXPECT_EQ(instrumentPictureIndex(127, 0), 13);
    for (int program : {0, 40, 127})
        EXPECT_EQ(instrumentPictureIndex(program, 9), 14);
}

TEST(Layout, InstrumentAndKeyLabel) {
    EXPECT_EQ(instrumentLabel(0, 1297), L"三角钢琴    1=C");
    EXPECT_EQ(keyModeLabel(1304), L"1=#F");
    EXPECT_EQ(keyModeLabel(1314), L"1=bA");
    EXPECT_EQ(keyModeLabel(1320), L"6=a");
    EXPECT_EQ(keyModeLabel(1331), L"6=#d");
    EXPECT_EQ(keyModeLabel(1306), L"");
    EXPECT_EQ(instrumentLabel(127, 1310), L"枪声    ");
}

TEST(KeyGeometry, CellLabelAndDots) {
    const KeySlot& a = keyTable[30];
    const PixelRect cell = keyCell(a, 100, 200);
    EXPECT_EQ(cell.left, 138);
    EXPECT_EQ(cell.top, 278);
    EXPECT_EQ(cell.right, 176);
    EXPECT_EQ(cell.bottom, 317);
    const PixelRect label = keyLabelRect(cell);
    EXPECT_EQ(label.top, 274);
    EXPECT_EQ(label.bottom, 313);
    PixelRect dots[2];
    EXPECT_EQ(octaveDots(a, cell, dots), 0);
    const PixelRect q = keyCell(keyTable[16], 0, 0); // octave 3: two dots below the label
    EXPECT_EQ(octaveDots(keyTable[16], q, dots), 2);
    EXPECT_EQ(dots[0].top, q.bottom - 15);
    EXPECT_EQ(dots[1].bottom, q.bottom - 5);
    EXPECT_EQ(dots[1].left, q.left + 17);
    const PixelRect k = keyCell(keyTable[37], 0, 0); // octave 6: one dot above
    EXPECT_EQ(octaveDots(keyTable[37], k, dots), 1);
    EXPECT_EQ(dots[0].top, k.top + 3);
    EXPECT_EQ(dots[0].bottom, k.top + 7);
    EXPECT_EQ(keyCapSource(false, 5), 0);
    EXPECT_EQ(keyCapSource(true, 1), 76);
    EXPECT_EQ(keyCapSource(true, -1), 114);
    EXPECT_FALSE(keyCapSource(true, 2));
}

TEST(CommandStates, RecordingGraysEverythingButStop) {
    const CommandStates r = statesRecording();
    EXPECT_TRUE(r.recordStop);
    EXPECT_FALSE(r.recordStart || r.play || r.playLoop || r.playStop || r.save || r.saveAs ||
                 r.exportMidi || r.load);
    const CommandStates empty = statesIdleEmpty();
    EXPECT_TRUE(empty.recordStart && empty.load);
    EXPECT_FALSE(empty.play || empty.save || empty.exportMidi);
    const CommandStates full = statesIdleWithRecording();
    EXPECT_TRUE(full.play && full.playLoop && full.save && full.saveAs && full.exportMidi);
    EXPECT_FALSE(full.recordStop || full.playStop);
}

} // namespace
