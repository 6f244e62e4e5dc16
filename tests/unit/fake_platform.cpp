#include "tests/unit/fake_platform.h"

#include "recording/playback_scheduler.h"

#include <cstdlib>
#include <limits>
#include <new>

namespace fake {

uint32_t nowMs = 0;
CalendarDate today{2004, 3, 5};
std::vector<uint32_t> sentMessages;
size_t failFromBytes = std::numeric_limits<size_t>::max();
size_t largestAllocation = 0;

std::vector<Timer> timers;
int periodsBegun = 0;
int periodsEnded = 0;
bool timerFails = false;
unsigned maxPeriod = 1000000;
std::vector<uint32_t> announced;
int playbackEnds = 0;
uint32_t announcedGeneration = 0;

void fireTimer(uint32_t at) {
    nowMs = at;
    for (auto timer = timers.rbegin(); timer != timers.rend(); ++timer)
        if (!timer->killed) {
            timer->killed = true; // one-shot
            timer->callback();
            return;
        }
}

void reset() {
    timers.clear();
    periodsBegun = periodsEnded = 0;
    timerFails = false;
    maxPeriod = 1000000;
    announced.clear();
    playbackEnds = 0;
    nowMs = 0;
    today = {2004, 3, 5};
    sentMessages.clear();
    failFromBytes = std::numeric_limits<size_t>::max();
    largestAllocation = 0;
}

} // namespace fake

uint32_t platformNowMs() {
    return fake::nowMs;
}

CalendarDate platformLocalDate() {
    return fake::today;
}

unsigned platformMidiDeviceCount() {
    return 1;
}

bool platformMidiDeviceName(int, std::wstring& name) {
    name = L"Test capture";
    return true;
}

bool platformMidiOpen(int, MidiOutHandle* handle) {
    *handle = &fake::sentMessages;
    return true;
}

uint32_t platformMidiSend(MidiOutHandle, uint32_t packedMessage) {
    fake::sentMessages.push_back(packedMessage);
    return 0;
}

void platformMidiClose(MidiOutHandle) {}

unsigned platformTimerMaxPeriod() {
    return fake::maxPeriod;
}
void platformBeginTimerPeriod(unsigned) {
    ++fake::periodsBegun;
}
void platformEndTimerPeriod(unsigned) {
    ++fake::periodsEnded;
}

uint32_t platformStartOneShot(unsigned delayMs, unsigned, TimerCallback callback) {
    if (fake::timerFails)
        return 0;
    const uint32_t id = static_cast<uint32_t>(fake::timers.size() + 1);
    fake::timers.push_back({delayMs, callback, id, false});
    return id;
}

void platformKillOneShot(uint32_t timerId) {
    fake::timers.at(timerId - 1).killed = true;
}

void notifyReplayEvent(uint32_t index, uint32_t generation) {
    fake::announced.push_back(index);
    fake::announcedGeneration = generation;
}
void notifyPlaybackEnd(uint32_t) {
    ++fake::playbackEnds;
}

void* operator new(size_t size) {
    if (size > fake::largestAllocation)
        fake::largestAllocation = size;
    if (size >= fake::failFromBytes)
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
