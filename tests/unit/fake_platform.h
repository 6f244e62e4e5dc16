// The platform functions faked (clock, date, MIDI device, one-shot timers, failing allocations)
// and the helpers the unit tests share.
#pragma once

#include "engine/platform.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct FakePlatform {
    struct Timer {
        unsigned delayMs;
        TimerCallback callback;
        bool killed;
    };
    uint32_t nowMs = 0, announcedGeneration = 0;
    CalendarDate today{2004, 3, 5};
    std::vector<uint32_t> sentMessages;
    size_t failFromBytes = SIZE_MAX; // every operator new of at least this many bytes throws
    size_t largestAllocation = 0;    // the largest operator new request since the reset
    std::vector<Timer> timers;       // every one-shot timer started; the id is the index + 1
    int periodsBegun = 0, periodsEnded = 0, playbackEnds = 0;
    bool timerFails = false;
    unsigned maxPeriod = 1000000;
    std::vector<uint32_t> announced; // what the scheduler told the window

    void reset() { *this = FakePlatform{}; }
    // Moves the clock to `at` and runs the newest live timer's callback.
    void fireTimer(uint32_t at);
    int liveTimers() const {
        return int(std::count_if(timers.begin(), timers.end(), [](auto& t) { return !t.killed; }));
    }
};
extern FakePlatform fake;

// Back to a program just started with its device open: fakes reset, playback stopped, settings at
// their defaults, both event lists empty. Done before every test too.
void freshStart();

// The MIDI messages sent since the last call, described as tests/midi_text.h does.
std::string sent();

// Byte strings for file formats.
using Bytes = std::vector<uint8_t>;
inline Bytes text(const char* s, size_t n) {
    return Bytes(s, s + n);
}
inline Bytes le32(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}
Bytes cat(std::initializer_list<Bytes> parts);

// A fresh folder of the running test's own, removed afterwards.
struct ScratchFolder {
    ScratchFolder();
    ~ScratchFolder() { std::filesystem::remove_all(path); }
    size_t fileCount() const {
        return size_t(std::distance(std::filesystem::directory_iterator(path), {}));
    }
    std::filesystem::path path;
};
Bytes contents(const std::filesystem::path& path);
void put(const std::filesystem::path& path, const Bytes& bytes);
