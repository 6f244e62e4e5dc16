// One recorded key event. The same 16 bytes, little-endian, form the recording file's data.
#pragma once

#include "recording/uninitialised_allocator.h"

#include <bit>
#include <cstdint>
#include <type_traits>
#include <vector>

inline constexpr uint32_t messageKeyDown = 256; // WM_KEYDOWN
inline constexpr uint32_t messageKeyUp = 257;   // WM_KEYUP

struct PerfEvent {
    uint32_t delayMs;    // since the previous event, or since recording started for the first
    uint32_t message;    // messageKeyDown or messageKeyUp
    uint32_t keyData;    // the key message's lParam; scan code in bits 16..23
    int32_t octaveShift; // shift of the chord the key sounded in: -1, 0, +1
};

static_assert(sizeof(PerfEvent) == 16 && std::is_trivially_copyable_v<PerfEvent>,
              "PerfEvent is a file record as well as a memory layout");
static_assert(std::endian::native == std::endian::little,
              "events are stored in the file exactly as they lie in memory");

// A list of events: the recording list, the playback list, a loaded file's events.
using EventList = std::vector<PerfEvent, UninitialisedAllocator<PerfEvent>>;
