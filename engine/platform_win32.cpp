// Clock, date and the multimedia timer over WINMM and KERNEL32.
#include "engine/platform.h"

#include <windows.h>

#include <mmsystem.h>

uint32_t platformNowMs() {
    return timeGetTime();
}

CalendarDate platformLocalDate() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

unsigned platformTimerMaxPeriod() {
    TIMECAPS caps{};
    if (timeGetDevCaps(&caps, sizeof caps) != MMSYSERR_NOERROR)
        return 0;
    return caps.wPeriodMax;
}

void platformBeginTimerPeriod(unsigned periodMs) {
    timeBeginPeriod(periodMs);
}

void platformEndTimerPeriod(unsigned periodMs) {
    timeEndPeriod(periodMs);
}

namespace {

// The core's callback travels in the timer's user data.
void CALLBACK oneShotFired(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    reinterpret_cast<TimerCallback>(user)();
}

} // namespace

uint32_t platformStartOneShot(unsigned delayMs, unsigned resolutionMs, TimerCallback callback) {
    return timeSetEvent(delayMs, resolutionMs, oneShotFired, reinterpret_cast<DWORD_PTR>(callback),
                        TIME_ONESHOT | TIME_CALLBACK_FUNCTION);
}

void platformKillOneShot(uint32_t timerId) {
    timeKillEvent(timerId);
}
