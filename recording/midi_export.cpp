#include "recording/midi_export.h"

#include "engine/key_table.h"
#include "engine/platform.h"
#include "recording/allocation.h"
#include "recording/file_messages.h"

#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace {

constexpr uint8_t tempoEvent[] = {0x00, 0xFF, 0x51, 0x03, 0x0B, 0x96, 0xC6};
constexpr uint8_t endOfTrack[] = {0xFF, 0x2F, 0x00};
constexpr uint64_t closingPauseTicks = 399; // about 1.58 s of silence after the last note
constexpr size_t trackStartBytes = 10;      // tempo and program change
constexpr size_t trackEndBytes = 13;        // closing pause and End of Track
constexpr size_t maxBytesPerEvent = 8;      // at most 5 delta bytes and 3 event bytes

// Writing goes into a buffer sized by midiTrackCapacity, so no step needs a bounds check: a
// written event takes at most 8 bytes of its own budget (a delta carried over skipped events takes
// at most 10 bytes, paid for by their budgets), and the start and end take at most 36. Each step
// returns the position after what it wrote.

uint8_t* putBytes(uint8_t* at, const void* bytes, size_t count) {
    std::memcpy(at, bytes, count);
    return at + count;
}

uint8_t* putBE32(uint8_t* at, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        *at++ = static_cast<uint8_t>(value >> shift);
    return at;
}

uint8_t* putLongVariableLength(uint8_t* at, uint64_t value) {
    uint8_t groups[10];
    int n = 0;
    do {
        groups[n++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (n > 1)
        *at++ = groups[--n] | 0x80;
    *at++ = groups[0];
    return at;
}

// A standard MIDI variable-length quantity: 7 bits a byte, most significant first, every byte but
// the last with bit 7 set. Returns the position after it.
inline uint8_t* putVariableLength(uint8_t* at, uint64_t value) {
    if (value < 0x80) { // the common cases first: delays below half a second, then below a minute
        *at = static_cast<uint8_t>(value);
        return at + 1;
    }
    if (value < 0x4000) {
        at[0] = static_cast<uint8_t>(value >> 7 | 0x80);
        at[1] = static_cast<uint8_t>(value & 0x7F);
        return at + 2;
    }
    return putLongVariableLength(at, value);
}

// A track being written: where its length goes, where its body starts, where the next byte goes.
struct Track {
    uint8_t* lengthAt;
    uint8_t* bodyAt;
    uint8_t* at;
};

// "MTrk", room for the length, the tempo and the program change on channel.
Track startTrack(uint8_t* at, int channel, int program) {
    Track track{};
    at = putBytes(at, "MTrk", 4);
    track.lengthAt = at;
    at += 4;
    track.bodyAt = at;
    at = putBytes(at, tempoEvent, sizeof tempoEvent);
    *at++ = 0x00;
    *at++ = static_cast<uint8_t>(0xC0 | channel);
    *at++ = static_cast<uint8_t>(program);
    track.at = at;
    return track;
}

// One note event: delta, status, note, velocity 127.
void putNote(Track& track, uint64_t ticks, uint8_t status, int note) {
    uint8_t* at = putVariableLength(track.at, ticks);
    at[0] = status;
    at[1] = static_cast<uint8_t>(note & 0xFF);
    at[2] = 0x7F;
    track.at = at + 3;
}

// The closing delta, End of Track and the body length; returns the end of the chunk.
uint8_t* finishTrack(Track& track, uint64_t closingTicks, bool closingPause) {
    uint8_t* at = track.at;
    if (closingPause) {
        // A silent note after a pause, so players do not cut the last note short.
        at = putVariableLength(at, closingPauseTicks + closingTicks);
        const uint8_t pause[] = {0x90, 0x01, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00};
        at = putBytes(at, pause, sizeof pause);
    } else {
        at = putVariableLength(at, closingTicks);
    }
    at = putBytes(at, endOfTrack, sizeof endOfTrack);
    putBE32(track.lengthAt, static_cast<uint32_t>(at - track.bodyAt));
    return at;
}

// Where the track is in time: whole ticks not yet written, and the part of a tick below them, in
// units of 1 / 759 494 tick. Each event's time is converted from the start of the track, so the
// rounding never adds up and the end lands within a tick of the recording's length.
struct TickClock {
    uint64_t pendingTicks = 0;
    uint64_t fraction = 0; // below midiTempoMicroseconds

    void advance(uint32_t delayMs) {
        // Below 2^50: a 32-bit delay times 192 000, plus a fraction.
        const uint64_t scaled = uint64_t{delayMs} * midiTicksPerQuarter * 1000 + fraction;
        pendingTicks += scaled / midiTempoMicroseconds;
        fraction = scaled % midiTempoMicroseconds;
    }
    uint64_t takeTicks() { return std::exchange(pendingTicks, 0); }
};

// The melody track on channel 0 and, when bass is given, the bass track on channel 15 an octave
// lower, in one pass over the events.
void putTracks(const EventList& list, int keyMode, Track& melody, Track* bass) {
    TickClock clock;
    for (const PerfEvent& event : list) {
        clock.advance(event.delayMs);
        const KeySlot* slot = playableSlot(scanCodeOf(event.keyData));
        if (!slot || event.octaveShift < -1 || event.octaveShift > 1)
            continue; // no note for it; its time goes to the next one
        const uint64_t ticks = clock.takeTicks();
        const int note = *noteNumber(slot->octave + event.octaveShift, slot->semitone, keyMode);
        const bool on = event.message == messageKeyDown;
        putNote(melody, ticks, on ? 0x90 : 0x80, note);
        if (bass)
            putNote(*bass, ticks, on ? 0x9F : 0x8F, note - 12);
    }
    const uint64_t trailingTicks = clock.takeTicks();
    melody.at = finishTrack(melody, trailingTicks, true);
    if (bass)
        bass->at = finishTrack(*bass, trailingTicks, false);
}

} // namespace

std::optional<size_t> midiTrackCapacity(size_t count) {
    const uint64_t fixed = trackStartBytes + trackEndBytes + 13; // room for a long closing delta
    if (count > (std::numeric_limits<uint32_t>::max() - fixed) / maxBytesPerEvent)
        return std::nullopt;
    const uint64_t bytes = uint64_t{count} * maxBytesPerEvent + fixed;
    if (bytes > std::numeric_limits<size_t>::max() / 2 - 64)
        return std::nullopt; // a track and the file header must fit in one buffer
    return static_cast<size_t>(bytes);
}

std::optional<MidiFileParts> encodeMidiParts(const EventList& list, int keyMode, int program,
                                             bool autoBass) {
    if (!tonicOffset(keyMode) && !list.empty())
        return std::nullopt; // no notes to give the events
    const std::optional<size_t> capacity = midiTrackCapacity(list.size());
    if (!capacity)
        return std::nullopt;
    MidiFileParts parts{};
    const size_t headCapacity = 14 + 8 + *capacity;
    if (!tryToAllocate(
            [&] { parts.storage.resize(headCapacity + (autoBass ? 8 + *capacity : 0)); }))
        return std::nullopt;
    uint8_t* const start = parts.storage.data();
    const uint8_t header[] = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, uint8_t(autoBass ? 1 : 0), 0, uint8_t(autoBass ? 2 : 1),
        0,   0xC0};
    Track melody = startTrack(putBytes(start, header, sizeof header), 0, program);
    Track bass = autoBass ? startTrack(start + headCapacity, 15, program) : Track{};
    putTracks(list, keyMode, melody, autoBass ? &bass : nullptr);
    parts.headSize = static_cast<size_t>(melody.at - start);
    parts.bassOffset = headCapacity;
    parts.bassSize = autoBass ? static_cast<size_t>(bass.at - (start + headCapacity)) : 0;
    return parts;
}

std::optional<MidiBytes> encodeMidiFile(const EventList& list, int keyMode, int program,
                                        bool autoBass) {
    std::optional<MidiFileParts> parts = encodeMidiParts(list, keyMode, program, autoBass);
    if (!parts)
        return std::nullopt;
    MidiBytes& bytes = parts->storage;
    std::memmove(bytes.data() + parts->headSize, bytes.data() + parts->bassOffset, parts->bassSize);
    bytes.resize(parts->headSize + parts->bassSize);
    return std::move(bytes);
}

const wchar_t* exportMidiFile(const EventList& list, int keyMode, int program, bool autoBass,
                              const std::filesystem::path& path) {
    const std::optional<MidiFileParts> parts = encodeMidiParts(list, keyMode, program, autoBass);
    if (!parts)
        return msgCannotWriteFile;
    const ByteRange pieces[] = {{parts->storage.data(), parts->headSize},
                                {parts->storage.data() + parts->bassOffset, parts->bassSize}};
    return replaceFileMessage(platformReplaceFile(path, pieces, 2));
}
