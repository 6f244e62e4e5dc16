#include "recording/file_messages.h"
#include "recording/midi_export.h"

#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

// One press of A 1 000 ms after the start and its release 500 ms later, at ticks 252 and 379.
const EventList pressA{{1000, 256, 30 << 16, 0}, {500, 257, 30 << 16, 0}};

const Bytes melodyTrackA = {'M',  'T',  'r',  'k',  0x00, 0x00, 0x00, 0x20, 0x00, 0xFF,
                            0x51, 0x03, 0x0B, 0x96, 0xC6, 0x00, 0xC0, 0x00, 0x81, 0x7C,
                            0x90, 0x3C, 0x7F, 0x7F, 0x80, 0x3C, 0x7F, 0x83, 0x0F, 0x90,
                            0x01, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00, 0xFF, 0x2F, 0x00};
const Bytes bassTrackA = {'M',  'T',  'r',  'k',  0x00, 0x00, 0x00, 0x17, 0x00, 0xFF, 0x51,
                          0x03, 0x0B, 0x96, 0xC6, 0x00, 0xCF, 0x00, 0x81, 0x7C, 0x9F, 0x30,
                          0x7F, 0x7F, 0x8F, 0x30, 0x7F, 0x00, 0xFF, 0x2F, 0x00};

static Bytes header(uint8_t format, uint8_t tracks) {
    return cat({text("MThd", 4), Bytes({0, 0, 0, 6, 0, format, 0, tracks, 0, 0xC0})});
}

static Bytes encode(const EventList& list, int keyMode = 1297, int program = 0, bool bass = false) {
    const std::optional<MidiBytes> file = encodeMidiFile(list, keyMode, program, bass);
    return file ? Bytes(file->begin(), file->end()) : Bytes{};
}

// The bytes of a file from offset on, up to count of them.
static Bytes slice(const Bytes& file, size_t offset, size_t count) {
    return Bytes(file.begin() + std::min(offset, file.size()),
                 file.begin() + std::min(offset + count, file.size()));
}

constexpr size_t firstEvent = 14 + 8 + 10; // header, track header, tempo and program

TEST(MidiExport, FilesAreByteExact) {
    EXPECT_EQ(encode(pressA), cat({header(0, 1), melodyTrackA}));
    ScratchFolder folder; // with the automatic bass, on disk
    ASSERT_EQ(exportMidiFile(pressA, 1297, 0, true, folder.path / "song.mid"), nullptr);
    EXPECT_EQ(contents(folder.path / "song.mid"), cat({header(1, 2), melodyTrackA, bassTrackA}));
}

TEST(MidiExport, KeyModeProgramAndOctaveShiftShapeTheNotes) {
    Bytes file = encode(pressA, 1314, 33); // A flat major, program 33
    EXPECT_EQ(slice(file, firstEvent - 3, 7), Bytes({0x00, 0xC0, 33, 0x81, 0x7C, 0x90, 0x38}));
    // Shift raises the notes by an octave, Ctrl lowers them; any other message is a note-off.
    const EventList shifted{{0, 256, 30 << 16, 1}, {0, 300, 30 << 16, 1}, {0, 256, 30 << 16, -1}};
    file = encode(shifted, 1297, 0, true);
    EXPECT_EQ(slice(file, firstEvent, 12),
              Bytes({0x00, 0x90, 72, 0x7F, 0x00, 0x80, 72, 0x7F, 0x00, 0x90, 48, 0x7F}));
    const size_t bassEvents = firstEvent + 12 + 13 + 8 + 10;
    EXPECT_EQ(slice(file, bassEvents, 12),
              Bytes({0x00, 0x9F, 60, 0x7F, 0x00, 0x8F, 60, 0x7F, 0x00, 0x9F, 36, 0x7F}));
}

// Delays become ticks of 759 494 / 192 µs, rounded down, written 7 bits a byte.
TEST(MidiExport, DeltaTimes) {
    const std::pair<uint32_t, Bytes> rows[] = {// clang-format off
        {0, {0x00}}, {3, {0x00}}, {4, {0x01}}, {100, {0x19}}, {1013, {0x82, 0x00}}, {502, {0x7E}},
        {503, {0x7F}}, {507, {0x81, 0x00}}, {1000, {0x81, 0x7C}}, {30000, {0xBB, 0x1F}},
        {64807, {0xFF, 0x7F}}, {64811, {0x81, 0x80, 0x00}}, {8295696, {0xFF, 0xFF, 0x7F}},
        {8295700, {0x81, 0x80, 0x80, 0x00}}, {0xFFFFFFFFu, {0x84, 0x85, 0xDD, 0xFC, 0x5D}}};
    // clang-format on
    for (const auto& [delayMs, delta] : rows)
        EXPECT_EQ(slice(encode({{delayMs, 256, 30 << 16, 0}}), firstEvent, delta.size() + 1),
                  cat({delta, Bytes({0x90})}))
            << delayMs;
}

// Each event's time from the start is rounded, not each delay: 100 ms apart, the events fall on
// ticks 25, 50, 75, 101, 126, and 10 000 of them end at tick 252 799, the recording's 1 000 s.
TEST(MidiExport, RoundingNeverAddsUp) {
    const Bytes file = encode(EventList(10000, PerfEvent{100, 257, 30 << 16, 0}));
    EXPECT_EQ(slice(file, firstEvent, 20),
              Bytes({0x19, 0x80, 0x3C, 0x7F, 0x19, 0x80, 0x3C, 0x7F, 0x19, 0x80,
                     0x3C, 0x7F, 0x1A, 0x80, 0x3C, 0x7F, 0x19, 0x80, 0x3C, 0x7F}));
    uint64_t ticks = 0;
    for (size_t at = firstEvent; at < firstEvent + 4 * 10000; at += 4)
        ticks += file[at];
    EXPECT_EQ(ticks, 252799u);
}

TEST(MidiExport, EventsWithoutANoteHandTheirDelayOn) {
    // The Esc slot (no key), a code beyond the table, an impossible shift, then D 1 000 ms after
    // the start, and its release with an impossible shift.
    const EventList list{{600, 256, 1 << 16, 0},
                         {400, 256, 54 << 16, 0},
                         {0, 256, 31 << 16, 2},
                         {0, 256, 32 << 16, 0},
                         {1000, 257, 32 << 16, -2}};
    const Bytes file = encode(list, 1297, 0, true);
    EXPECT_EQ(slice(file, firstEvent, 4), Bytes({0x81, 0x7C, 0x90, 64}));
    // Time at the end goes into the closing pause (399 + 253 ticks, from tick 252 to 505) and
    // the bass track's end.
    EXPECT_EQ(slice(file, firstEvent + 4, 11),
              Bytes({0x7F, 0x85, 0x0C, 0x90, 0x01, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00}));
    EXPECT_EQ(slice(file, file.size() - 6, 6), Bytes({0x7F, 0x81, 0x7D, 0xFF, 0x2F, 0x00}));
    const Bytes longGap = // nearly 100 days later
        encode({{0xFFFFFFFFu, 256, 1 << 16, 0}, {0xFFFFFFFFu, 257, 1 << 16, 0}, list[3]});
    EXPECT_EQ(slice(longGap, firstEvent, 6), Bytes({0x88, 0x8B, 0xBB, 0xF9, 0x3B, 0x90}));
}

TEST(MidiExport, FailuresLeaveNoFileAndKeepAnOldOne) {
    EXPECT_FALSE(encodeMidiFile(pressA, 1306, 0, false)); // no key/mode
    EXPECT_FALSE(encodeMidiFile(pressA, 1400, 0, true));
    EXPECT_EQ(encode({}, 1306), cat({header(0, 1), text("MTrk", 4), Bytes({0, 0, 0, 0x17}),
                                     slice(melodyTrackA, 8, 10), slice(melodyTrackA, 27, 13)}));
    if constexpr (sizeof(size_t) == 8) {
        EXPECT_EQ(midiTrackCapacity(536870907), 4294967292u); // the largest a track length can say
        EXPECT_FALSE(midiTrackCapacity(536870908));
    } else { // a track and the file header in one buffer of at most half the address space
        EXPECT_EQ(midiTrackCapacity(268435443), 2147483580u);
        EXPECT_FALSE(midiTrackCapacity(268435444));
    }
    EXPECT_FALSE(midiTrackCapacity(SIZE_MAX));
    ScratchFolder folder;
    const auto path = folder.path / "song.mid";
    EXPECT_EQ(exportMidiFile(pressA, 1306, 0, false, path), msgCannotWriteFile);
    EXPECT_FALSE(std::filesystem::exists(path));
    put(path, text("older export", 12));
    EXPECT_EQ(exportMidiFile(pressA, 1306, 0, false, path), msgCannotWriteFile);
    EXPECT_EQ(exportMidiFile(pressA, 1297, 0, false, folder.path / "missing" / "x.mid"),
              msgCannotCreateFile); // as the recording's writer says it
    const auto noMemory = folder.path / "nomemory.mid";
    fake.failFromBytes = 64; // no memory for the tracks
    EXPECT_EQ(exportMidiFile(pressA, 1297, 0, false, noMemory), msgCannotWriteFile);
    EXPECT_FALSE(encodeMidiFile(pressA, 1297, 0, false));
    fake.reset();
    EXPECT_EQ(contents(path), text("older export", 12));
    EXPECT_EQ(folder.fileCount(), 1u);
}
