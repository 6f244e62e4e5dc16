// How long tonvira-tool's work takes on large inputs: reading and importing a song of half a
// million notes, and writing the notation of a recording of a million events. Targets: the
// import well under a second, the notation in time proportional to its text.
#include "cli/midi_import.h"
#include "cli/midi_reader.h"
#include "cli/recording_text.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

constexpr size_t noteCount = 500000;

void putVariableLength(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t bytes[4];
    int n = 0;
    do
        bytes[n++] = value & 0x7F;
    while ((value >>= 7) != 0 && n < 4);
    while (n-- > 1)
        out.push_back(bytes[n] | 0x80);
    out.push_back(bytes[0]);
}

// A format 0 file: chords of three notes every 96 ticks, pitches wandering over five octaves,
// each chord released before the next; note-offs as note-ons of velocity 0 in running status.
std::vector<uint8_t> sampleSong() {
    std::vector<uint8_t> track;
    for (size_t chord = 0; chord < noteCount / 3; ++chord) {
        const uint8_t root = uint8_t(36 + chord * 7 % 60);
        const uint8_t pitches[3] = {root, uint8_t(root + 4), uint8_t(root + 7)};
        for (int i = 0; i < 3; ++i) {
            putVariableLength(track, 0);
            if (i == 0)
                track.push_back(0x90);
            track.insert(track.end(), {pitches[i], 100});
        }
        for (int i = 0; i < 3; ++i) {
            putVariableLength(track, i == 0 ? 90 : 0);
            track.insert(track.end(), {pitches[i], 0});
        }
        putVariableLength(track, 6);
        track.insert(track.end(), {0xFF, 0x01, 0}); // running status goes on after a meta event
    }
    track.insert(track.end(), {0, 0xFF, 0x2F, 0});
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0,  0,   0,   6,   0,
                                 0,   0,   1,   0,   96, 'M', 'T', 'r', 'k'};
    const uint32_t size = uint32_t(track.size());
    file.insert(file.end(),
                {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size)});
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

void importSong(benchmark::State& state) {
    const std::vector<uint8_t> file = sampleSong();
    for (auto _ : state) {
        MidiSong song;
        if (decodeMidiSong(file.data(), file.size(), song).format)
            state.SkipWithError("the sample song was refused");
        const ImportPlan plan = planImport(song.notes, chooseKeyMode(song.notes));
        benchmark::DoNotOptimize(plan.events.data());
    }
    state.counters["notes"] = double(noteCount / 3 * 3);
}

void notationMillion(benchmark::State& state) {
    LoadedRecording recording{{}, 1297, 0};
    for (uint32_t i = 0; i < 1000000; ++i)
        recording.events.push_back({i % 700, i % 2 ? 257u : 256u, (30 + i / 2 % 24) << 16, 0});
    size_t characters = 0;
    for (auto _ : state) {
        characters = 0;
        writeRecordingNotation(recording, [&](const std::wstring& piece) {
            characters += piece.size();
            return true;
        });
    }
    state.counters["characters"] = double(characters);
}

} // namespace

BENCHMARK(importSong)->Unit(benchmark::kMillisecond);
BENCHMARK(notationMillion)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
