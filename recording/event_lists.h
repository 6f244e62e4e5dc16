// The recording list (the document) and the playback list (its copy for the scheduler).
#pragma once

#include "recording/perf_event.h"

#include <cstdint>
#include <vector>

// The recording list and lastStampMs belong to the user-interface thread. The playback list is
// written there only while no playback runs (replacing or releasing it stops playback first);
// the playback timer reads it.
struct EventLists {
    EventList recordingList;
    uint32_t lastStampMs = 0;  // timeGetTime of the last appended event, or of the start
    bool appendFailed = false; // the list could not grow; nothing more is appended until restart
    EventList playbackList;
};

extern EventLists eventLists;

enum class AppendResult {
    appended,
    appendedFirst, // the first event: the recording no longer matches any saved file
    dropped,       // not recording, an auto-repeat, or a release before the first press
    outOfMemory    // the list could not grow; it is left exactly as it was
};

// Records one live key event while recording: presses always, releases once the list holds an
// event, auto-repeated presses (lParam bit 30) never.
// After the list once failed to grow, the recording keeps what it has and takes nothing more.
AppendResult appendPerfEvent(uint32_t message, uint32_t keyData, int32_t octaveShift);

// Starts a new recording over the old one, without asking. False (nothing changed) while the
// MIDI device is closed.
bool startRecording();

// Ends the recording and makes the playback list a copy of it. False when the copy could not be
// allocated; the playback list is then empty and the recording list unaffected.
bool stopRecording();

// Replaces the playback list by a copy of events. False (and an empty list) when out of memory.
bool publishPlayback(const EventList& events);
void releasePlaybackList();
void releaseRecordingList();
