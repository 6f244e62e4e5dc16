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
        playbackSpacingMs;      // timer resolution, and the shortest gap between two events
    unsigned longestWaitMs = 0; // the longest delay the timer takes in one go
    uint32_t nextIndex = 0;     // the event the pending timer announces
    uint32_t timerId = 0;
    bool stepping = false; // the pending timer is only a step of a longer wait
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

// Arms the timer toward the ideal time of event nextIndex, so that a late callback does not make
// every later event late too; never sooner than one period from now. A wait longer than the timer
// takes is made of steps that announce nothing. Lock held.
bool armTowardDue() {
    const uint32_t now = platformNowMs();
    scheduler.clockMs += static_cast<uint32_t>(now - scheduler.lastReadingMs); // wraps correctly
    scheduler.lastReadingMs = now;
    const uint64_t due = scheduler.passStartMs + scheduler.dueMs;
    const uint64_t wait = due > scheduler.clockMs ? due - scheduler.clockMs : 0;
    scheduler.stepping = wait > scheduler.longestWaitMs;
    const uint64_t delay = std::clamp<uint64_t>(wait, scheduler.periodMs, scheduler.longestWaitMs);
    scheduler.timerId =
        platformStartOneShot(static_cast<unsigned>(delay), scheduler.periodMs, playbackTick);
    return scheduler.timerId != 0;
}

// Moves the ideal time on by the gap before event nextIndex and arms the timer toward it. Lock
// held.
bool armNext() {
    scheduler.dueMs += gapBefore(scheduler.nextIndex);
    return armTowardDue();
}

// Begins a pass at event 0, counted from passStart. Lock held.
bool beginPass(uint64_t passStart) {
    scheduler.nextIndex = 0;
    scheduler.passStartMs = passStart;
    scheduler.dueMs = 0;
    return armNext();
}

// Announces event nextIndex and arms the timer for the next event or the next pass, or ends a
// single pass after its last event. False when no timer could be created. Lock held.
bool announceAndArmNext() {
    notifyReplayEvent(scheduler.nextIndex, scheduler.generation);
    ++scheduler.nextIndex;
    if (scheduler.nextIndex < eventLists.playbackList.size())
        return armNext();
    if (scheduler.loop) {
        // The next pass starts where this one ideally ended, its first event after its own
        // delay. Between passes the resolution is given back and taken again, as a new start does.
        platformEndTimerPeriod(scheduler.periodMs);
        platformBeginTimerPeriod(scheduler.periodMs);
        return beginPass(scheduler.passStartMs + scheduler.dueMs);
    }
    scheduler.playing = false;
    scheduler.timerId = 0;
    platformEndTimerPeriod(scheduler.periodMs);
    // Posted behind the last event's announcement, so that the stop silences its note too.
    notifyPlaybackEnd(scheduler.generation);
    return true;
}

} // namespace

bool startPlayback(bool loop) {
    stopPlayback();
    std::unique_lock<std::mutex> guard(scheduler.lock);
    scheduler.loop = loop;
    const unsigned maxPeriod = platformTimerMaxPeriod();
    scheduler.periodMs = std::clamp(maxPeriod, 1u, playbackSpacingMs);
    // The timer takes delays up to its maximum period (65 535 ms under Wine, 1 000 000 on
    // Windows); when it names none, the smaller of the two.
    scheduler.longestWaitMs = maxPeriod != 0 ? std::max(maxPeriod, scheduler.periodMs) : 65535;
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
    // A step of a long wait announces nothing; it only goes on toward the event's time.
    if (scheduler.stepping ? armTowardDue() : announceAndArmNext())
        return;
    // No timer could be created: the chain ends here; the controls wait for the user's stop.
    scheduler.playing = false;
    platformEndTimerPeriod(scheduler.periodMs);
}
