// How long the recording's bulk operations take for a million events, next to plain stdio
// moving the same bytes. Targets: append linear (well under a second), write and read within
// 1.5x of the plain baseline, export within 3x of writing the same number of bytes, a file of
// zeros refused in well under a second.
#include "app/document.h"
#include "engine/performance_state.h"
#include "recording/event_lists.h"
#include "recording/midi_export.h"
#include "recording/playback_scheduler.h"
#include "recording/recording_file.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr size_t eventCount = 1000000;

const fs::path& scratch() {
    static const fs::path folder = [] {
        fs::path f = fs::temp_directory_path() / ("tonvira-bench-" + std::to_string(::getpid()));
        fs::create_directories(f);
        return f;
    }();
    return folder;
}

EventList sampleRecording() {
    EventList list(eventCount);
    for (size_t i = 0; i < eventCount; ++i)
        list[i] = {uint32_t(i % 700), i % 2 ? 257u : 256u, uint32_t((30 + i % 24) << 16),
                   int32_t(i % 3) - 1};
    return list;
}

const EventList& recording() {
    static const EventList list = sampleRecording();
    return list;
}

void appendMillion(benchmark::State& state) {
    performance.deviceOpen = true;
    for (auto _ : state) {
        startRecording();
        for (size_t i = 0; i < eventCount; ++i)
            appendPerfEvent(i % 2 ? 257 : 256, uint32_t((30 + i % 24) << 16), 0);
        benchmark::DoNotOptimize(eventLists.recordingList.data());
        performance.recording = false;
    }
    releaseRecordingList();
}

void writeRecording(benchmark::State& state) {
    const fs::path path = scratch() / "bench.qvi";
    for (auto _ : state)
        if (writeRecordingFile(recording(), 1297, false, path))
            state.SkipWithError("write failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(104 + 16 * eventCount));
}

void readRecording(benchmark::State& state) {
    const fs::path path = scratch() / "bench.qvi";
    writeRecordingFile(recording(), 1297, false, path);
    for (auto _ : state) {
        LoadedRecording loaded;
        if (readRecordingFile(path, loaded))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(loaded.events.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(104 + 16 * eventCount));
}

void exportMidi(benchmark::State& state) {
    const fs::path path = scratch() / "bench.mid";
    for (auto _ : state)
        if (exportMidiFile(recording(), 1297, 0, true, path))
            state.SkipWithError("export failed");
    state.counters["file_bytes"] = double(fs::file_size(path));
}

// The export's bytes built in memory, without the file.
void encodeMidi(benchmark::State& state) {
    for (auto _ : state) {
        auto parts = encodeMidiParts(recording(), 1297, 0, true);
        benchmark::DoNotOptimize(parts->storage.data());
    }
}

// The same number of bytes as the export writes, with fwrite.
void plainWriteOfExportSize(benchmark::State& state) {
    exportMidiFile(recording(), 1297, 0, true, scratch() / "bench.mid");
    const size_t size = fs::file_size(scratch() / "bench.mid");
    std::vector<char> bytes(size, 'x');
    const std::string path = (scratch() / "plain.mid").string();
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    state.counters["file_bytes"] = double(size);
}

void plainWrite(benchmark::State& state) {
    const size_t size = 104 + 16 * eventCount;
    const std::string path = (scratch() / "plain.qvi").string();
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(recording().data(), 1, size - 104, f);
        std::fwrite(recording().data(), 1, 104, f);
        std::fclose(f);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

void plainRead(benchmark::State& state) {
    const size_t size = 104 + 16 * eventCount;
    const std::string path = (scratch() / "plain.qvi").string();
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        char* buffer = static_cast<char*>(std::malloc(size));
        benchmark::DoNotOptimize(std::fread(buffer, 1, size, f));
        std::fclose(f);
        std::free(buffer);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

// A 300 MB file of zeros: every 8 bytes look like an empty chunk, and all of them are stepped
// over before the file is refused. Target: well under a second.
void refuseZeros300MB(benchmark::State& state) {
    const fs::path path = scratch() / "zeros.qvi";
    {
        std::FILE* f = std::fopen(path.string().c_str(), "wb");
        std::fclose(f);
    }
    fs::resize_file(path, 300'000'000);
    for (auto _ : state) {
        LoadedRecording loaded;
        if (!readRecordingFile(path, loaded))
            state.SkipWithError("a file of zeros was taken");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 300'000'000);
    fs::remove(path);
}

} // namespace

// Replacing the playback list stops playback first; nothing here plays, so the timer is never
// asked for and these are never called.
unsigned platformTimerMaxPeriod() {
    std::abort();
}
void platformBeginTimerPeriod(unsigned) {
    std::abort();
}
void platformEndTimerPeriod(unsigned) {
    std::abort();
}
uint32_t platformStartOneShot(unsigned, unsigned, TimerCallback) {
    std::abort();
}
void platformKillOneShot(uint32_t) {
    std::abort();
}
void notifyReplayEvent(uint32_t, uint32_t) {
    std::abort();
}
void notifyPlaybackEnd(uint32_t) {
    std::abort();
}

BENCHMARK(appendMillion)->Unit(benchmark::kMillisecond);
BENCHMARK(plainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(writeRecording)->Unit(benchmark::kMillisecond);
BENCHMARK(plainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(readRecording)->Unit(benchmark::kMillisecond);
BENCHMARK(plainWriteOfExportSize)->Unit(benchmark::kMillisecond);
BENCHMARK(encodeMidi)->Unit(benchmark::kMillisecond);
BENCHMARK(exportMidi)->Unit(benchmark::kMillisecond);
BENCHMARK(refuseZeros300MB)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(scratch());
    return 0;
}
