#include "cli/midi_reader.h"

#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

Bytes chunk(const char* id, const Bytes& body) { // of less than 64 KiB
    return cat({Bytes(id, id + 4), {0, 0, uint8_t(body.size() >> 8), uint8_t(body.size())}, body});
}

Bytes header(int format, int tracks, int division) { // division below 256
    return chunk("MThd", {0, uint8_t(format), 0, uint8_t(tracks), 0, uint8_t(division)});
}

Bytes track(const Bytes& events) { // and its end
    return chunk("MTrk", cat({events, {0x00, 0xFF, 0x2F, 0x00}}));
}

TEST(MidiReader, FilesReadForTheirNotesOrRefusedWithAMessageAndTheirPlace) {
    // Format 0 at 96 ticks a quarter, 500 000 us a quarter, then 1 000 000 us from tick 96 on: the
    // meta event ends running status, so the note-off after it carries its own; a note-off of no
    // note sounding (as an export's silent end) is no note. Format 1: track 1 holds only the tempo
    // (250 000 us), a foreign chunk is skipped, tracks 2 and 3 overlap; the same note begun twice
    // on one channel ends first begun, first ended; a note never ended lasts to the end of its
    // track. Each note as (start, end, note, channel, track); a broken file's message as it
    // follows 文件x.mid.
    using Notes = std::vector<std::tuple<uint64_t, uint64_t, int, int, int>>;
    const Bytes ok = header(0, 1, 96);
    auto inTrack = [&ok](const Bytes& body) { return cat({ok, chunk("MTrk", body)}); };
    const std::wstring cut = L"不完整: 一段数据比文件剩下的还长. ", bad = L"中有无效的MIDI事件. ";
    const std::tuple<Bytes, std::wstring, Notes> cases[] = {
        {cat({header(0, 1, 96),
              track({0x00, 0x90, 60,   0x40, 0x60, 60,   0x00, 0x00, 62,   0x40, 0x00, 0xFF,
                     0x51, 0x03, 0x0F, 0x42, 0x40, 0x60, 0x80, 62,   0x00, 0x00, 61,   0x00})}),
         L"",
         {{0, 500000, 60, 0, 0}, {500000, 1500000, 62, 0, 0}}},
        {cat({header(1, 3, 96), track({0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90}),
              chunk("XFIH", {1, 2, 3}),
              track({0x00, 0x90, 60, 100, 0x30, 60, 90, 0x30, 0x80, 60, 0, 0x30, 60, 0}),
              chunk("MTrk", {0x18, 0x91, 48, 80, 0x81, 0x00, 0xB1, 7, 100})}),
         L"",
         {{0, 250000, 60, 0, 1}, {62500, 395833, 48, 1, 2}, {125000, 375000, 60, 0, 1}}},
        {chunk("RIFF", {'W', 'A', 'V', 'E'}), L"不是标准的MIDI文件.", {}},
        {Bytes(ok.begin(), ok.begin() + 12), cut + L"(第4字节)", {}},
        {header(2, 1, 96), L"的MIDI格式不被支持(只能导入格式0和格式1).", {}},
        {header(0, 1, 0), L"的时间单位无效. (第12字节)", {}},
        {cat({header(1, 2, 96), track({})}), L"的音轨比文件头所说的少. (第2轨, 第26字节)", {}},
        {cat({ok, Bytes{'M', 'T', 'r', 'k', 0, 0, 1, 0, 0}}), cut + L"(第1轨, 第18字节)", {}},
        {inTrack({0x00, 0x90, 60}), cut + L"(第1轨, 第23字节)", {}},
        {inTrack({0x00, 0xFF, 0x01, 0x05, 'a'}), cut + L"(第1轨, 第23字节)", {}},
        {inTrack({0x00, 60, 100}), bad + L"(第1轨, 第23字节)", {}}, // data without a status
        {inTrack({0x00, 0x90, 60, 1, 0x00, 0xFF, 0x01, 0x00, 0x00, 60, 0}),
         bad + L"(第1轨, 第31字节)",
         {}}, // running status ended by a meta event
        {inTrack({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1}), bad + L"(第1轨, 第26字节)", {}},
        {inTrack({0x00, 0xF8}), bad + L"(第1轨, 第23字节)", {}}, // a real-time byte
        {inTrack({0x00, 0xFF, 0x51, 0x02, 1, 2}), L"中有无效的速度设置. (第1轨, 第23字节)", {}},
    };
    for (const auto& [file, message, expected] : cases) {
        MidiSong song{0, 99, {}}; // a refused file leaves the song as it was
        const MidiReadError error = decodeMidiSong(file.data(), file.size(), song);
        EXPECT_EQ(error.format ? midiErrorText(error, L"x.mid") : L"文件x.mid",
                  L"文件x.mid" + message);
        EXPECT_EQ(song.trackCount == 99, !message.empty()) << message;
        Notes notes;
        for (const MidiNote& n : song.notes)
            notes.emplace_back(n.startUs, n.endUs, n.note, n.channel, n.track);
        EXPECT_EQ(notes, expected);
    }
}

} // namespace
