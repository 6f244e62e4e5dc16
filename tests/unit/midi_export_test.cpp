#include "recording/midi_export.h"

#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Bytes = MidiBytes;

Bytes bytes(std::initializer_list<int> values) {
    Bytes b;
    for (int v : values)
        b.push_back(uint8_t(v));
    return b;
}

Bytes concat(const Bytes& a, const Bytes& b) {
    Bytes all = a;
    all.insert(all.end(), b.begin(), b.end());
    return all;
}

// One press of A 1 000 ms after the start and its release 500 ms later.
const EventList pressA{{1000, 256, 30 << 16, 0}, {500, 257, 30 << 16, 0}};

const Bytes melodyTrackA =
    bytes({'M',  'T',  'r',  'k',  0x00, 0x00, 0x00, 0x20, 0x00, 0xFF, 0x51, 0x03, 0x0B, 0x96,
           0xC6, 0x00, 0xC0, 0x00, 0x81, 0x7C, 0x90, 0x3C, 0x7F, 0x7E, 0x80, 0x3C, 0x7F, 0x83,
           0x0F, 0x90, 0x01, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00, 0xFF, 0x2F, 0x00});

TEST(MidiExport, FormatZeroFileIsByteExact) {
    const auto file = encodeMidiFile(pressA, 1297, 0, false);
    ASSERT_TRUE(file);
    const Bytes header = bytes({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0xC0});
    EXPECT_EQ(*file, concat(header, melodyTrackA));
    EXPECT_EQ(file->size(), 54u);
}

TEST(MidiExport, AutomaticBassAddsASecondTrackOnChannelSixteen) {
    const auto file = encodeMidiFile(pressA, 1297, 0, true);
    ASSERT_TRUE(file);
    const Bytes header = bytes({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 0xC0});
    const Bytes bass = bytes({'M',  'T',  'r',  'k',  0x00, 0x00, 0x00, 0x17, 0x00, 0xFF, 0x51,
                              0x03, 0x0B, 0x96, 0xC6, 0x00, 0xCF, 0x00, 0x81, 0x7C, 0x9F, 0x30,
                              0x7F, 0x7E, 0x8F, 0x30, 0x7F, 0x00, 0xFF, 0x2F, 0x00});
    EXPECT_EQ(*file, concat(concat(header, melodyTrackA), bass));
}

TEST(MidiExport, KeyModeProgramAndOctaveShiftShapeTheNotes) {
    auto file = encodeMidiFile(pressA, 1314, 33, false); // A flat major, program 33
    ASSERT_TRUE(file);
    EXPECT_EQ((*file)[14 + 8 + 9], 33);    // program change data
    EXPECT_EQ((*file)[14 + 8 + 13], 0x38); // note-on 56, after its 2-byte delta and status
    // The shift that was played is exported: Shift raises the pair by an octave, Ctrl lowers it.
    const EventList shifted{{0, 256, 30 << 16, 1}, {0, 257, 30 << 16, 1}, {0, 256, 30 << 16, -1}};
    file = encodeMidiFile(shifted, 1297, 0, true);
    ASSERT_TRUE(file);
    const size_t melodyEvents = 14 + 8 + 10;
    EXPECT_EQ(Bytes(file->begin() + melodyEvents, file->begin() + melodyEvents + 12),
              bytes({0x00, 0x90, 72, 0x7F, 0x00, 0x80, 72, 0x7F, 0x00, 0x90, 48, 0x7F}));
    const size_t bassEvents = melodyEvents + 12 + 13 + 8 + 10;
    EXPECT_EQ(Bytes(file->begin() + bassEvents, file->begin() + bassEvents + 12),
              bytes({0x00, 0x9F, 60, 0x7F, 0x00, 0x8F, 60, 0x7F, 0x00, 0x9F, 36, 0x7F}));
}

TEST(MidiExport, DeltaTimesAtTheFixedTempo) {
    EXPECT_EQ(midiTicksForDelay(0), 0u);
    EXPECT_EQ(midiTicksForDelay(3), 0u);
    EXPECT_EQ(midiTicksForDelay(4), 1u);
    EXPECT_EQ(midiTicksForDelay(100), 25u);
    EXPECT_EQ(midiTicksForDelay(1000), 252u);
    EXPECT_EQ(midiTicksForDelay(30000), 7583u);
    EXPECT_EQ(midiTicksForDelay(0xFFFFFFFFu), 0xFFFFFFFFull * 192000 / 759494);
    EXPECT_EQ(midiTicksForDelay(uint64_t{1} << 50),
              ((uint64_t{1} << 50) / 759494) * 192000 +
                  ((uint64_t{1} << 50) % 759494) * 192000 / 759494);
    const auto file = encodeMidiFile({{30000, 256, 30 << 16, 0}}, 1297, 0, false);
    ASSERT_TRUE(file);
    EXPECT_EQ(Bytes(file->begin() + 32, file->begin() + 35), bytes({0xBB, 0x1F, 0x90}));
}

TEST(MidiExport, OddMessagesAreNoteOffsAndKeylessEventsPassTheirDelayOn) {
    const EventList list{
        {0, 300, 30 << 16, 0},   // unknown message: note-off
        {600, 256, 1 << 16, 0},  // Esc slot: no key
        {400, 256, 54 << 16, 0}, // beyond the table
        {0, 256, 31 << 16, 5},   // impossible shift
        {0, 256, 32 << 16, 0},   // D, 1 000 ms after the first event
    };
    const auto file = encodeMidiFile(list, 1297, 0, false);
    ASSERT_TRUE(file);
    const size_t events = 14 + 8 + 10;
    EXPECT_EQ(Bytes(file->begin() + events, file->begin() + events + 9),
              bytes({0x00, 0x80, 60, 0x7F, 0x81, 0x7C, 0x90, 64, 0x7F}));
    EXPECT_EQ(file->size(), events + 9 + 13);
}

TEST(MidiExport, RefusesWhatItCannotWrite) {
    EXPECT_FALSE(encodeMidiFile(pressA, 1306, 0, false)); // no key/mode
    EXPECT_FALSE(encodeMidiFile(pressA, 1400, 0, true));
    EXPECT_TRUE(midiTrackCapacity(1000));
    EXPECT_EQ(*midiTrackCapacity(2), 8u * 2 + 36);
    EXPECT_FALSE(midiTrackCapacity(size_t{0xFFFFFFFF} / 8));
    EXPECT_FALSE(midiTrackCapacity(std::numeric_limits<size_t>::max()));
    fake::failFromBytes = 64;
    EXPECT_FALSE(encodeMidiFile(pressA, 1297, 0, false));
    fake::reset();
}

TEST(MidiExport, FailedExportLeavesNoFileAndKeepsAnOldOne) {
    const fs::path folder =
        fs::temp_directory_path() / ("tonvira-export-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path path = folder / "song.mid";
    EXPECT_FALSE(exportMidiFile(pressA, 1306, 0, false, path));
    EXPECT_FALSE(fs::exists(path));
    std::ofstream(path) << "older export";
    EXPECT_FALSE(exportMidiFile(pressA, 1306, 0, false, path));
    EXPECT_EQ(fs::file_size(path), 12u);
    ASSERT_TRUE(exportMidiFile(pressA, 1297, 0, false, path));
    std::ifstream in(path, std::ios::binary);
    const Bytes written{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(written, *encodeMidiFile(pressA, 1297, 0, false));
    EXPECT_FALSE(exportMidiFile(pressA, 1297, 0, false, folder / "missing" / "x.mid"));
    const fs::path noMemory = folder / "nomemory.mid";
    fake::failFromBytes = 64; // no memory for the track
    EXPECT_FALSE(exportMidiFile(pressA, 1297, 0, false, noMemory));
    fake::reset();
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
    fs::remove_all(folder);
}

} // namespace
