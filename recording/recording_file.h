// The recording file: a RIFF form "QV  " holding LIST/INFO, "fmt " (count, key/mode, automatic
// bass) and "data" (the events as they lie in memory).
#pragma once

#include "engine/platform.h"
#include "recording/perf_event.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

inline constexpr size_t recordingHeaderSize = 104; // everything before the events

// The 104 bytes that precede count events; date goes into the ISCD chunk as YYYY-MM-DD.
std::array<uint8_t, recordingHeaderSize>
encodeRecordingHeader(uint32_t count, uint32_t keyModeId, bool autoBass, const CalendarDate& date);

// Writes the file, dated today, without ever destroying a file already at path. Returns null on
// success, else a message format (cannot create / cannot write).
const wchar_t* writeRecordingFile(const EventList& list, uint32_t keyModeId, bool autoBass,
                                  const std::filesystem::path& path);

// Random-access bytes to decode from: a file, or memory in tests and the fuzzer.
struct ByteSource {
    void* context;
    uint64_t size;
    bool (*readAt)(void* context, uint64_t offset, void* destination, size_t count);
};
struct MemoryBytes {
    const uint8_t* data;
    size_t size;
};
ByteSource memoryByteSource(const MemoryBytes& bytes); // bytes must outlive the source

struct LoadedRecording {
    EventList events;          // as stored, fields unchecked
    uint32_t keyModeId = 0;    // not validated here
    uint32_t autoBassWord = 0; // 1 = on, any other value = off
};

// Null on success with out filled; else a message format and out untouched.
const wchar_t* decodeRecording(const ByteSource& source, LoadedRecording& out);
const wchar_t* readRecordingFile(const std::filesystem::path& path, LoadedRecording& out);

// Reads a recording file as the window takes one up: besides the reader's errors, a key/mode
// identifier outside 1297..1332 is refused as unsupported. loaded is filled only on success.
const wchar_t* readRecordingToTakeUp(const std::filesystem::path& path, LoadedRecording& loaded);
