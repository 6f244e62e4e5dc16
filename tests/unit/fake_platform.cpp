#include "tests/unit/fake_platform.h"

#include "engine/performance_state.h"
#include "recording/event_lists.h"
#include "recording/playback_scheduler.h"
#include "tests/midi_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <new>
#include <unistd.h>
#include <utility>

FakePlatform fake;

// The timer fakes and operator new are called from a test's own timer thread too.
static std::mutex fakeLock, allocationLock;

void freshStart() {
    stopPlayback();
    fake.reset();
    performance = PerformanceState{};
    performance.deviceOpen = true;
    releaseRecordingList();
    releasePlaybackList();
}

namespace {
struct FreshStartEachTest : ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { freshStart(); }
};
const bool listening =
    (::testing::UnitTest::GetInstance()->listeners().Append(new FreshStartEachTest), true);
} // namespace

void FakePlatform::fireTimer(uint32_t at) {
    nowMs = at;
    for (auto timer = timers.rbegin(); timer != timers.rend(); ++timer)
        if (!timer->killed) {
            timer->killed = true; // one-shot
            timer->callback();
            return;
        }
}

std::string sent() {
    return describeMidi(std::exchange(fake.sentMessages, {}));
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

ScratchFolder::ScratchFolder()
    : path(std::filesystem::temp_directory_path() /
           ("tonvira-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
}
Bytes contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}
void put(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

uint32_t platformNowMs() {
    return fake.nowMs;
}
CalendarDate platformLocalDate() {
    return fake.today;
}
uint32_t platformMidiSend(MidiOutHandle, uint32_t packedMessage) {
    fake.sentMessages.push_back(packedMessage);
    return 0;
}
unsigned platformTimerMaxPeriod() {
    return fake.maxPeriod;
}
void platformBeginTimerPeriod(unsigned) {
    std::lock_guard<std::mutex> guard(fakeLock);
    ++fake.periodsBegun;
}
void platformEndTimerPeriod(unsigned) {
    std::lock_guard<std::mutex> guard(fakeLock);
    ++fake.periodsEnded;
}
uint32_t platformStartOneShot(unsigned delayMs, unsigned, TimerCallback callback) {
    std::lock_guard<std::mutex> guard(fakeLock);
    if (fake.timerFails)
        return 0;
    fake.timers.push_back({delayMs, callback, false});
    return static_cast<uint32_t>(fake.timers.size());
}
void platformKillOneShot(uint32_t timerId) {
    std::lock_guard<std::mutex> guard(fakeLock);
    fake.timers.at(timerId - 1).killed = true;
}
void notifyReplayEvent(uint32_t index, uint32_t generation) {
    fake.announced.push_back(index);
    fake.announcedGeneration = generation;
}
void notifyPlaybackEnd(uint32_t) {
    ++fake.playbackEnds;
}

void* operator new(size_t size) {
    {
        std::lock_guard<std::mutex> guard(allocationLock);
        fake.largestAllocation = std::max(fake.largestAllocation, size);
    }
    if (size >= fake.failFromBytes)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, size_t) noexcept {
    std::free(memory);
}
// The nothrow forms too (std::stable_sort's buffer), so that every new pairs with this delete.
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
