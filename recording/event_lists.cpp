#include "recording/event_lists.h"

#include "engine/performance_state.h"
#include "engine/platform.h"
#include "recording/allocation.h"
#include "recording/playback_scheduler.h"

#include <limits>
#include <new>

EventLists eventLists;

namespace {

constexpr uint32_t repeatFlag = 1u << 30; // lParam: the key was already down

} // namespace

AppendResult appendPerfEvent(uint32_t message, uint32_t keyData, int32_t octaveShift) {
    EventList& list = eventLists.recordingList;
    if (!performance.recording || eventLists.appendFailed)
        return AppendResult::dropped;
    if (message == messageKeyDown && (keyData & repeatFlag))
        return AppendResult::dropped;
    if (message != messageKeyDown && list.empty())
        return AppendResult::dropped; // a recording always begins with a press
    // The count is a 32-bit field of the file: a list that long is as full as one out of memory.
    if (list.size() >= std::numeric_limits<uint32_t>::max() || !tryToAllocate([&] {
            list.push_back(PerfEvent{0, message, keyData, octaveShift});
        })) {
        eventLists.appendFailed = true;
        return AppendResult::outOfMemory;
    }
    const uint32_t now = platformNowMs();
    list.back().delayMs = now - eventLists.lastStampMs; // unsigned: survives the counter's wrap
    eventLists.lastStampMs = now;
    return list.size() == 1 ? AppendResult::appendedFirst : AppendResult::appended;
}

bool startRecording() {
    if (!performance.deviceOpen)
        return false;
    performance.recording = true;
    eventLists.appendFailed = false;
    releaseRecordingList();
    eventLists.lastStampMs = platformNowMs();
    return true;
}

bool stopRecording() {
    performance.recording = false;
    return publishPlayback(eventLists.recordingList);
}

bool publishPlayback(const EventList& events) {
    releasePlaybackList();
    if (!tryToAllocate([&] { eventLists.playbackList.assign(events.begin(), events.end()); })) {
        releasePlaybackList();
        return false;
    }
    return true;
}

void releasePlaybackList() {
    stopPlayback(); // the timer reads the list only while the chain runs
    EventList().swap(eventLists.playbackList);
}

void releaseRecordingList() {
    EventList().swap(eventLists.recordingList);
}
