// Playback of the playback list on a chain of one-shot multimedia timers. The timer callback
// only tells the window which event is due; the window plays it on its own thread.
#pragma once

#include <cstdint>

// The timer period, and so the shortest gap between two replayed events: events recorded closer
// together are spread this far apart.
inline constexpr unsigned playbackSpacingMs = 5;

// Starts a pass from event 0, once or in a loop. False when no timer could be created.
bool startPlayback(bool loop);

// Stops the chain. Once it has returned, no further event is announced and no timer re-armed.
void stopPlayback();

bool playbackRunning();

// Every start and stop begins a new generation. An announcement of an older generation is
// stale: it was on its way when playback stopped, and the window drops it. A stop moves the
// generation on even after a pass ended by itself, so it drops what that pass left queued.
uint32_t playbackGeneration();

// Implemented by the window, called from the timer thread, both posted and not waited for: event
// index of the playback list is due; a single pass has ended, after its last announcement.
void notifyReplayEvent(uint32_t index, uint32_t generation);
void notifyPlaybackEnd(uint32_t generation);

// For tests: the callback that the timer runs.
void playbackTick();
