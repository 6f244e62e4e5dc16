#include "cli/midi_reader.h"

#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

#include <tuple>

static Bytes chunk(const char* id, const Bytes& body) { // of less than 64 KiB
    return cat({text(id, 4), {0, 0, uint8_t(body.size() >> 8), uint8_t(body.size())}, body});
}

TEST(MidiReader, FilesReadForTheirNotesOrRefusedWithAMessageAndTheirPlace) {
    // Tempo 250 000 us, 1 000 000 from tick 96; running status, also after system exclusive and
    // a meta event; a note twice; one never ended, and what follows End of Track ignored.
    const Bytes tempos = {0, 0xFF, 0x51, 3, 0x03, 0xD0, 0x90, 96, 0xFF, 0x51, 3, 0x0F, 0x42, 0x40};
    const Bytes notes = {0, 0x90, 60, 100,  48, 60,   90, 48, 0x80, 60, 0, 0, 0x90, 61, 0,
                         0, 0xF0, 1,  0xF7, 0,  0xFF, 1,  0,  48,   60, 0, 0, 61,   0};
    const Bytes never = {24, 0x91, 48, 80, 0x81, 0, 0xB1, 7, 100, 0, 0xFF, 0x2F, 0, 0xF8};
    const Bytes format1 =
        cat({chunk("MThd", {0, 1, 0, 3, 0, 96}), chunk("MTrk", tempos), chunk("XFIH", {1, 2, 3}),
             chunk("MTrk", notes), chunk("MTrk", never)});
    using Notes = std::vector<std::tuple<uint64_t, uint64_t, int, int, int>>;
    const Bytes ok = chunk("MThd", {0, 0, 0, 1, 0, 96});
    auto inTrack = [&ok](const Bytes& body) { return cat({ok, chunk("MTrk", body)}); };
    const std::wstring cut = L"不完整: 一段数据比文件剩下的还长. ", bad = L"中有无效的MIDI事件. ";
    const std::tuple<Bytes, std::wstring, Notes> cases[] = {
        {format1,
         L"",
         {{0, 250000, 60, 0, 1}, {62500, 833333, 48, 1, 2}, {125000, 750000, 60, 0, 1}}},
        {chunk("RIFF", text("WAVE", 4)), L"不是标准的MIDI文件.", {}},
        {Bytes(ok.begin(), ok.begin() + 12), cut + L"(第4字节)", {}},
        {chunk("MThd", {0, 2, 0, 1, 0, 96}), L"的MIDI格式不被支持(只能导入格式0和格式1).", {}},
        {chunk("MThd", {0, 0, 0, 1, 0, 0}), L"的时间单位无效. (第12字节)", {}},
        {ok, L"的音轨比文件头所说的少. (第1轨, 第14字节)", {}},
        {cat({ok, text("MTrk\0\0\0\x08\0", 9)}), cut + L"(第1轨, 第18字节)", {}},
        {inTrack({0, 0x90, 60}), cut + L"(第1轨, 第23字节)", {}},
        {inTrack({0, 0xFF, 0x01, 5, 'a'}), cut + L"(第1轨, 第23字节)", {}},
        {inTrack({0, 0xFF, 0x01, 0, 0, 60, 0}), bad + L"(第1轨, 第27字节)", {}},
        {inTrack({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1}), bad + L"(第1轨, 第26字节)", {}},
        {inTrack({0, 0xF8}), bad + L"(第1轨, 第23字节)", {}},
        {inTrack({0, 0xFF, 0x51, 2, 1, 2}), L"中有无效的速度设置. (第1轨, 第23字节)", {}},
    };
    for (const auto& [file, message, expected] : cases) {
        MidiSong song{0, 99, {}, {}}; // a refused file leaves the song as it was
        const MidiReadError error = decodeMidiSong(file.data(), file.size(), song);
        EXPECT_EQ(error.format ? midiErrorText(error, L"x") : L"文件x", L"文件x" + message);
        EXPECT_EQ(song.trackCount, message.empty() ? 3u : 99u) << message;
        Notes read;
        for (const MidiNote& n : song.notes)
            read.emplace_back(n.startUs, n.endUs, n.note, n.channel, n.track);
        EXPECT_EQ(read, expected);
    }
}
