// Playback timing under Windows or Wine: 1 000 events 10 ms apart played by the real scheduler
// on the multimedia timer. Prints each event's lateness against its ideal time measured from the
// start of playback (p50, p99, maximum) and the drift at the last event; asserts nothing.
#include "recording/event_lists.h"
#include "recording/playback_scheduler.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr uint32_t eventCount = 1000;
constexpr uint32_t gapMs = 10;

LARGE_INTEGER frequency;
std::vector<LONGLONG> announcedAt(eventCount); // written by the timer thread only
HANDLE finished;

double milliseconds(LONGLONG ticks) {
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

} // namespace

void notifyReplayEvent(uint32_t index, uint32_t) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (index < eventCount)
        announcedAt[index] = now.QuadPart;
}

void notifyPlaybackEnd(uint32_t) {
    SetEvent(finished);
}

int main() {
    QueryPerformanceFrequency(&frequency);
    finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    for (uint32_t i = 0; i < eventCount; ++i)
        eventLists.playbackList.push_back({gapMs, i % 2 ? 257u : 256u, 30u << 16, 0});

    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!startPlayback(false))
        return 1;
    const DWORD waited = WaitForSingleObject(finished, 60000);
    CloseHandle(finished);
    if (waited != WAIT_OBJECT_0)
        return 2;

    std::vector<double> lateness;
    for (uint32_t i = 0; i < eventCount; ++i)
        lateness.push_back(milliseconds(announcedAt[i] - start.QuadPart) - gapMs * (i + 1.0));
    const double drift = lateness.back();
    std::sort(lateness.begin(), lateness.end());
    std::printf("playback timing, %u events %u ms apart\n", eventCount, gapMs);
    std::printf("lateness against the ideal time: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
                lateness[eventCount / 2], lateness[eventCount * 99 / 100], lateness.back());
    std::printf("drift at the last event: %.2f ms\n", drift);
    return 0;
}
