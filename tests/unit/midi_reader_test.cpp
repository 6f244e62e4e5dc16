#include "cli/midi_reader.h"

#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

Bytes chunk(const char* id, const Bytes& body) { // of less than 64 KiB
    return cat({Bytes(id, id + 4), {0, 0, uint8_t(body.size() >> 8), uint8_t(body.size())}, body});
}

Bytes header(int format, int tracks, int division) {
    return chunk("MThd", {0, uint8_t(format), 0, uint8_t(tracks), uint8_t(division >> 8),
                          uint8_t(division)});
}

const Bytes endOfTrack{0x00, 0xFF, 0x2F, 0x00};

// Each note as (start, end, note, channel, track).
using Notes = std::vector<std::tuple<uint64_t, uint64_t, int, int, int>>;
Notes notesOf(const Bytes& file) {
    MidiSong song;
    EXPECT_EQ(decodeMidiSong(file.data(), file.size(), song).format, nullptr);
    Notes notes;
    for (const MidiNote& n : song.notes)
        notes.emplace_back(n.startUs, n.endUs, n.note, n.channel, n.track);
    return notes;
}

TEST(MidiReader, RunningStatusVelocityZeroAndATempoChange) {
    // 96 ticks a quarter at the default 500 000 us, then 1 000 000 us from tick 96 on. The meta
    // event ends running status, so the note-off after it carries its own.
    const Bytes file =
        cat({header(0, 1, 96),
             chunk("MTrk", cat({{0x00, 0x90, 60,   0x40, 0x60, 60,   0x00, 0x00, 62, 0x40, 0x00,
                                 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x60, 0x80, 62, 0x00},
                                endOfTrack}))});
    EXPECT_EQ(notesOf(file), (Notes{{0, 500000, 60, 0, 0}, {500000, 1500000, 62, 0, 0}}));
}

TEST(MidiReader, FormatOneTracksMergeOnOneTempoMap) {
    // Track 1 holds only the tempo (250 000 us a quarter), a foreign chunk is skipped, tracks 2 and
    // 3 overlap; the same note begun twice on one channel ends first begun, first ended; a note
    // never ended lasts to the end of its track.
    const Bytes conductor =
        chunk("MTrk", cat({{0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90}, endOfTrack}));
    const Bytes melody = chunk(
        "MTrk",
        cat({{0x00, 0x90, 60, 100, 0x30, 60, 90, 0x30, 0x80, 60, 0, 0x30, 60, 0x00}, endOfTrack}));
    const Bytes bass = chunk("MTrk", {0x18, 0x91, 48, 80, 0x81, 0x00, 0xB1, 7, 100});
    const Bytes file = cat({header(1, 3, 96), conductor, chunk("XFIH", {1, 2, 3}), melody, bass});
    EXPECT_EQ(
        notesOf(file),
        (Notes{{0, 250000, 60, 0, 1}, {62500, 395833, 48, 1, 2}, {125000, 375000, 60, 0, 1}}));
}

TEST(MidiReader, BrokenFilesAreRefusedWithAMessageAndTheirPlace) {
    const Bytes ok = header(0, 1, 96);
    struct Case {
        const char* what;
        Bytes file;
        std::wstring message;
    };
    const Case cases[] = {
        // each message begins 文件x.mid
        {"a RIFF file", chunk("RIFF", {'W', 'A', 'V', 'E'}), L"不是标准的MIDI文件."},
        {"header cut short", Bytes(ok.begin(), ok.begin() + 12),
         L"不完整: 一段数据比文件剩下的还长. (第4字节)"},
        {"format 2", header(2, 1, 96), L"的MIDI格式不被支持(只能导入格式0和格式1)."},
        {"division 0", header(0, 1, 0), L"的时间单位无效. (第12字节)"},
        {"a track missing", cat({header(1, 2, 96), chunk("MTrk", endOfTrack)}),
         L"的音轨比文件头所说的少. (第2轨, 第26字节)"},
        {"track longer than the file", cat({ok, Bytes{'M', 'T', 'r', 'k', 0, 0, 1, 0, 0}}),
         L"不完整: 一段数据比文件剩下的还长. (第1轨, 第18字节)"},
        {"note-on cut short", cat({ok, chunk("MTrk", {0x00, 0x90, 60})}),
         L"不完整: 一段数据比文件剩下的还长. (第1轨, 第23字节)"},
        {"data without a status", cat({ok, chunk("MTrk", {0x00, 60, 100})}),
         L"中有无效的MIDI事件. (第1轨, 第23字节)"},
        {"data after a meta event",
         cat({ok, chunk("MTrk", {0x00, 0x90, 60, 1, 0x00, 0xFF, 0x01, 0x00, 0x00, 60, 0})}),
         L"中有无效的MIDI事件. (第1轨, 第31字节)"},
        {"meta longer than the track", cat({ok, chunk("MTrk", {0x00, 0xFF, 0x01, 0x05, 'a'})}),
         L"不完整: 一段数据比文件剩下的还长. (第1轨, 第23字节)"},
        {"delta of five bytes",
         cat({ok, chunk("MTrk", {0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1})}),
         L"中有无效的MIDI事件. (第1轨, 第26字节)"},
        {"tempo of two bytes", cat({ok, chunk("MTrk", {0x00, 0xFF, 0x51, 0x02, 1, 2})}),
         L"中有无效的速度设置. (第1轨, 第23字节)"},
        {"a real-time byte", cat({ok, chunk("MTrk", {0x00, 0xF8})}),
         L"中有无效的MIDI事件. (第1轨, 第23字节)"},
    };
    for (const Case& c : cases) {
        MidiSong song;
        song.trackCount = 99;
        const MidiReadError error = decodeMidiSong(c.file.data(), c.file.size(), song);
        ASSERT_NE(error.format, nullptr) << c.what;
        EXPECT_EQ(midiErrorText(error, L"x.mid"), L"文件x.mid" + c.message) << c.what;
        EXPECT_EQ(song.trackCount, 99u) << c.what;
    }
}

} // namespace
