// The few things the portable core needs from the operating system. The Win32 shell implements
// them over WINMM and KERNEL32; the host build and the tests supply their own versions. Nothing
// here includes <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

// Clock: milliseconds from an arbitrary origin, wrapping at 2^32 (timeGetTime on Windows).
uint32_t platformNowMs();

// Calendar date of the local time zone, for the creation date stamped into recording files.
struct CalendarDate {
    int year;
    int month;
    int day;
};
CalendarDate platformLocalDate();

// MIDI output. A handle is opaque to the core; device index -1 is the MIDI mapper.
using MidiOutHandle = void*;
unsigned platformMidiDeviceCount();
bool platformMidiDeviceName(int deviceIndex, std::wstring& name);
bool platformMidiOpen(int deviceIndex, MidiOutHandle* handle);
uint32_t platformMidiSend(MidiOutHandle handle, uint32_t packedMessage);
void platformMidiClose(MidiOutHandle handle);

// Multimedia timer: one-shot timers whose callback runs on the timer's own thread.
using TimerCallback = void (*)();
unsigned platformTimerMaxPeriod(); // the coarsest resolution the timer offers, in ms
void platformBeginTimerPeriod(unsigned periodMs);
void platformEndTimerPeriod(unsigned periodMs);
// Calls callback once after delayMs; returns the timer's id, 0 when none could be created.
uint32_t platformStartOneShot(unsigned delayMs, unsigned resolutionMs, TimerCallback callback);
void platformKillOneShot(uint32_t timerId);

// Files. Reading is random access so that a reader never has to trust a size it was told.
struct PlatformFile;
PlatformFile* platformOpenForReading(const std::filesystem::path& path, uint64_t* size);
bool platformReadAt(PlatformFile* file, uint64_t offset, void* destination, size_t count);
void platformCloseFile(PlatformFile* file);

// Writes the pieces, in order, to a temporary file beside path and only then moves it over
// path. On any failure the temporary is removed and a file already at path is left untouched.
enum class ReplaceResult { ok, cannotCreate, cannotWrite };
struct ByteRange {
    const void* data;
    size_t size;
};
ReplaceResult platformReplaceFile(const std::filesystem::path& path, const ByteRange* pieces,
                                  size_t pieceCount);
