// Clock and date over WINMM and KERNEL32.
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
