#include "recording/playback_scheduler.h"

#include "engine/platform.h"
#include "recording/event_lists.h"

#include <algorithm>
#include <mutex>

namespace {

// Shared by the user-interface thread and the timer thread; every field under `lock`.
struct Scheduler {
    std::mutex lock;
    bool playing = false;
    bool loop = false;
    unsigned periodMs =
        playbackSpacingMs;  // timer resolution, and the shortest gap between two events
    uint32_t nextIndex = 0; // the event the pending timer announces
    uint32_t timerId = 0;
    // Times in ms since the start of playback, in 64 bits so that they neither wrap with the
    // 32-bit clock nor go negative when a callback comes before the ideal time it serves.
    uint32_t lastReadingMs = 0; // the clock when it was last read
    uint64_t clockMs = 0;       // that reading, since the start
    uint64_t passStartMs = 0;   // when the current pass ideally began
    uint64_t dueMs = 0;         // when event nextIndex is due, from passStartMs
    uint32_t generation = 0;    // of the current start; every stop moves it on
};
Scheduler scheduler;

uint32_t gapBefore(uint32_t index) {
    return std::max<uint32_t>(eventLists.playbackList[index].delayMs, scheduler.periodMs);
}

// Arms the timer for event nextIndex at its ideal time, so that a late callback does not make
// every later event late too; never sooner than one period from now. Lock held.
bool armNext() {
    const uint32_t now = platformNowMs();
    scheduler.clockMs += static_cast<uint32_t>(now - scheduler.lastReadingMs); // wraps correctly
    scheduler.lastReadingMs = now;
    scheduler.dueMs += gapBefore(scheduler.nextIndex);
    const uint64_t due = scheduler.passStartMs + scheduler.dueMs;
    const uint64_t wait = due > scheduler.clockMs ? due - scheduler.clockMs : 0;
    const unsigned delay = static_cast<unsigned>(std::max<uint64_t>(wait, scheduler.periodMs));
    scheduler.timerId = platformStartOneShot(delay, scheduler.periodMs, playbackTick);
    return scheduler.timerId != 0;
}

// Begins a pass at event 0, counted from passStart. Lock held.
bool beginPass(uint64_t passStart) {
    scheduler.nextIndex = 0;
    scheduler.passStartMs = passStart;
    scheduler.dueMs = 0;
    return armNext();
}

} // namespace

bool startPlayback(bool loop) {
    stopPlayback();
    std::unique_lock<std::mutex> guard(scheduler.lock);
    scheduler.loop = loop;
    scheduler.periodMs = std::min(platformTimerMaxPeriod(), playbackSpacingMs);
    if (scheduler.periodMs == 0)
        scheduler.periodMs = 1;
    if (eventLists.playbackList.empty()) {
        const uint32_t generation = scheduler.generation;
        guard.unlock();
        notifyPlaybackEnd(generation); // nothing to play: over at once, as at the end of a pass
        return true;
    }
    platformBeginTimerPeriod(scheduler.periodMs);
    scheduler.playing = true; // before the first timer can fire
    scheduler.lastReadingMs = platformNowMs();
    scheduler.clockMs = 0;
    if (!beginPass(0)) {
        scheduler.playing = false;
        platformEndTimerPeriod(scheduler.periodMs);
        return false;
    }
    return true;
}

void stopPlayback() {
    uint32_t timerId;
    unsigned periodMs;
    {
        std::lock_guard<std::mutex> guard(scheduler.lock);
        // Announcements still queued are dropped, also those of a pass that ended by itself.
        ++scheduler.generation;
        if (!scheduler.playing)
            return;
        scheduler.playing = false;
        timerId = scheduler.timerId;
        scheduler.timerId = 0;
        periodMs = scheduler.periodMs;
    }
    // Outside the lock: a callback waiting for it finds playing false and does nothing.
    if (timerId != 0)
        platformKillOneShot(timerId);
    platformEndTimerPeriod(periodMs);
}

bool playbackRunning() {
    std::lock_guard<std::mutex> guard(scheduler.lock);
    return scheduler.playing;
}

uint32_t playbackGeneration() {
    std::lock_guard<std::mutex> guard(scheduler.lock);
    return scheduler.generation;
}

void playbackTick() {
    std::unique_lock<std::mutex> guard(scheduler.lock);
    if (!scheduler.playing)
        return; // stopped while this callback was on its way
    notifyReplayEvent(scheduler.nextIndex, scheduler.generation);
    ++scheduler.nextIndex;
    const uint32_t count = static_cast<uint32_t>(eventLists.playbackList.size());
    if (scheduler.nextIndex < count) {
        if (!armNext()) { // the chain ends here; the controls wait for the user's stop
            scheduler.playing = false;
            platformEndTimerPeriod(scheduler.periodMs);
        }
        return;
    }
    if (scheduler.loop) {
        // The next pass starts where this one ideally ended, its first event after its own
        // delay. Between passes the resolution is given back and taken again, as a new start does.
        platformEndTimerPeriod(scheduler.periodMs);
        platformBeginTimerPeriod(scheduler.periodMs);
        if (!beginPass(scheduler.passStartMs + scheduler.dueMs)) {
            scheduler.playing = false;
            platformEndTimerPeriod(scheduler.periodMs);
        }
        return;
    }
    scheduler.playing = false;
    scheduler.timerId = 0;
    platformEndTimerPeriod(scheduler.periodMs);
    // Posted behind the last event's announcement, so that the stop silences its note too.
    notifyPlaybackEnd(scheduler.generation);
}
