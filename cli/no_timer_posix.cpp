// The tool on POSIX systems plays nothing in real time: it has no timer to offer, so playback
// never starts. (On Windows the tool links the real multimedia timer.)
#include "engine/platform.h"

unsigned platformTimerMaxPeriod() {
    return 0;
}

void platformBeginTimerPeriod(unsigned) {}

void platformEndTimerPeriod(unsigned) {}

uint32_t platformStartOneShot(unsigned, unsigned, TimerCallback) {
    return 0;
}

void platformKillOneShot(uint32_t) {}
