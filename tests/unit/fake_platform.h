// Test doubles for the platform functions: a clock the test sets, a fixed date, a MIDI device
// that records what it is sent, and allocations that can be made to fail.
#pragma once

#include "engine/platform.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fake {

extern uint32_t nowMs;
extern CalendarDate today;
extern std::vector<uint32_t> sentMessages;

// Every operator new asking for at least failFromBytes bytes throws std::bad_alloc.
extern size_t failFromBytes;
// The largest single operator new request seen since the last reset.
extern size_t largestAllocation;

void reset();

} // namespace fake

namespace fake {

// The multimedia timer: what was armed, and the balance of begin/end period calls.
struct Timer {
    unsigned delayMs;
    TimerCallback callback;
    uint32_t id;
    bool killed;
};
extern std::vector<Timer> timers;
extern int periodsBegun;
extern int periodsEnded;
extern bool timerFails;
extern unsigned maxPeriod;
// Moves the clock to `at` and runs the newest live timer's callback.
void fireTimer(uint32_t at);

// What the scheduler told the window.
extern std::vector<uint32_t> announced;
extern int playbackEnds;
extern uint32_t announcedGeneration;

} // namespace fake
