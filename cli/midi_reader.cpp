#include "cli/midi_reader.h"

#include "engine/platform.h"
#include "recording/file_messages.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr wchar_t msgNotMidi[] = L"文件%s不是标准的MIDI文件.";
constexpr wchar_t msgUnsupportedFormat[] = L"文件%s的MIDI格式不被支持(只能导入格式0和格式1).";
constexpr wchar_t msgBadDivision[] = L"文件%s的时间单位无效.";
constexpr wchar_t msgMissingTracks[] = L"文件%s的音轨比文件头所说的少.";
constexpr wchar_t msgTruncated[] = L"文件%s不完整: 一段数据比文件剩下的还长.";
constexpr wchar_t msgBadEvent[] = L"文件%s中有无效的MIDI事件.";
constexpr wchar_t msgBadTempo[] = L"文件%s中有无效的速度设置.";
constexpr wchar_t msgTooLong[] = L"文件%s中的乐曲太长.";
constexpr wchar_t msgFileTooLarge[] = L"文件%s太大: MIDI文件最多256 MB.";
constexpr uint64_t maxFileBytes = 256u << 20; // far beyond any song; refuses junk
// Songs end within 2^32 - 1 ms, so that every delay between two key events fits its field.
constexpr uint64_t maxMicros = uint64_t{0xFFFFFFFF} * 1000;

uint32_t getBE32(const uint8_t* at) {
    return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

unsigned getBE16(const uint8_t* at) {
    return unsigned{at[0]} << 8 | at[1];
}

// floor(a x b / c) without overflow; none beyond maxMicros. b and c stay below 2^30.
std::optional<uint64_t> scaled(uint64_t a, uint64_t b, uint64_t c) {
    const uint64_t whole = a / c, rest = a % c;
    if (whole != 0 && b > maxMicros / whole)
        return std::nullopt;
    const uint64_t result = whole * b + rest * b / c;
    if (result > maxMicros)
        return std::nullopt;
    return result;
}

struct TempoChange {
    uint64_t tick;
    uint32_t microsPerQuarter;
};

struct TickMessage {
    uint64_t tick;
    uint32_t packed;
};

struct TickNote {
    uint64_t startTick;
    uint64_t endTick;
    uint8_t note;
    uint8_t channel;
    uint16_t track;
};

// Notes begun and not yet ended, per channel and note number, first begun first ended. One for
// the whole file, emptied at the end of each track, so that many tracks cost no more than one.
struct OpenNotes {
    struct Queue {
        std::vector<size_t> items;
        size_t head = 0;
    };
    std::vector<Queue> byKey = std::vector<Queue>(16 * 128);
    std::vector<size_t> used; // keys whose queue is not empty

    // Notes still sounding when a track ends end with it.
    void endAll(std::vector<TickNote>& notes, uint64_t tick) {
        for (size_t key : used) {
            Queue& queue = byKey[key];
            for (size_t i = queue.head; i < queue.items.size(); ++i)
                notes[queue.items[i]].endTick = tick;
            queue.items.clear();
            queue.head = 0;
        }
        used.clear();
    }
};

// One track chunk's events, from at to end, adding its notes and tempo changes.
class TrackReader {
  public:
    TrackReader(const uint8_t* file, size_t at, size_t end, uint16_t track)
        : file_(file), at_(at), end_(end), track_(track) {}

    MidiReadError read(std::vector<TickNote>& notes, std::vector<TempoChange>& tempos,
                       OpenNotes& open, std::vector<TickMessage>& messages) {
        uint64_t tick = 0;
        uint8_t running = 0;
        while (at_ < end_) {
            uint64_t delta = 0;
            if (!variableLength(delta))
                return fail(badQuantity_ ? msgBadEvent : msgTruncated);
            tick += delta;
            if (at_ >= end_)
                return fail(msgTruncated);
            const size_t eventAt = at_;
            uint8_t status = file_[at_];
            if (status & 0x80)
                ++at_;
            else if (running != 0)
                status = running; // running status: the data follows at once
            else
                return fail(msgBadEvent, eventAt);
            if (status < 0xF0) {
                running = status;
                const size_t count = (status & 0xE0) == 0xC0 ? 1 : 2; // program, pressure: one
                if (end_ - at_ < count)
                    return fail(msgTruncated, eventAt);
                const uint8_t first = file_[at_];
                const uint8_t second = count == 2 ? file_[at_ + 1] : 0;
                if ((first | second) & 0x80)
                    return fail(msgBadEvent, eventAt);
                at_ += count;
                messages.push_back(
                    {tick, uint32_t{status} | uint32_t{first} << 8 | uint32_t{second} << 16});
                channelMessage(status, first, second, tick, notes, open);
            } else if (status == 0xFF) {
                // Meta events and system exclusive leave running status as it was: real files
                // go on with data bytes after them, and common readers take that.
                if (at_ >= end_)
                    return fail(msgTruncated, eventAt);
                const uint8_t type = file_[at_++];
                uint64_t length = 0;
                if (!variableLength(length))
                    return fail(badQuantity_ ? msgBadEvent : msgTruncated, eventAt);
                if (length > end_ - at_)
                    return fail(msgTruncated, eventAt);
                if (type == 0x2F)
                    break; // End of Track: whatever follows in the chunk is not part of it
                if (type == 0x51) {
                    const uint32_t tempo = length != 3
                                               ? 0
                                               : uint32_t{file_[at_]} << 16 |
                                                     uint32_t{file_[at_ + 1]} << 8 | file_[at_ + 2];
                    if (tempo == 0)
                        return fail(msgBadTempo, eventAt);
                    tempos.push_back({tick, tempo});
                }
                at_ += static_cast<size_t>(length);
            } else if (status == 0xF0 || status == 0xF7) {
                uint64_t length = 0;
                if (!variableLength(length))
                    return fail(badQuantity_ ? msgBadEvent : msgTruncated, eventAt);
                if (length > end_ - at_)
                    return fail(msgTruncated, eventAt);
                at_ += static_cast<size_t>(length);
            } else {
                return fail(msgBadEvent,
                            eventAt); // real-time and common messages have no place here
            }
        }
        open.endAll(notes, tick);
        return {};
    }

  private:
    // A variable-length quantity of at most four bytes.
    bool variableLength(uint64_t& value) {
        value = 0;
        for (int n = 0; n < 4; ++n) {
            if (at_ >= end_)
                return false;
            const uint8_t byte = file_[at_++];
            value = value << 7 | (byte & 0x7F);
            if (!(byte & 0x80))
                return true;
        }
        badQuantity_ = true;
        return false;
    }

    void channelMessage(uint8_t status, uint8_t note, uint8_t velocity, uint64_t tick,
                        std::vector<TickNote>& notes, OpenNotes& open) {
        const uint8_t kind = status & 0xF0, channel = status & 0x0F;
        if (kind != 0x80 && kind != 0x90)
            return;
        const size_t key = size_t{channel} * 128 + note;
        OpenNotes::Queue& queue = open.byKey[key];
        if (kind == 0x90 && velocity != 0) {
            if (queue.items.empty())
                open.used.push_back(key);
            queue.items.push_back(notes.size());
            notes.push_back({tick, tick, note, channel, track_});
        } else if (queue.head < queue.items.size()) { // a note-off, or a note-on of velocity 0
            notes[queue.items[queue.head++]].endTick = tick; // emptied at the end of the track
        }
    }

    MidiReadError fail(const wchar_t* format) { return {format, track_, at_}; }
    MidiReadError fail(const wchar_t* format, size_t at) { return {format, track_, at}; }

    const uint8_t* file_;
    size_t at_;
    size_t end_;
    uint16_t track_;
    bool badQuantity_ = false;
};

// Time in microseconds of every tick, from the tempo changes of all tracks (500 000 us per
// quarter until the first) or from SMPTE frames.
class TimeMap {
  public:
    TimeMap(unsigned division, std::vector<TempoChange> tempos) : division_(division) {
        std::stable_sort(
            tempos.begin(), tempos.end(),
            [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        segments_.push_back({0, 0, 500000});
        for (const TempoChange& change : tempos) {
            const Segment& last = segments_.back();
            const std::optional<uint64_t> at = microsAt(last, change.tick);
            if (!at) {
                tooLong_ = true;
                return;
            }
            segments_.push_back({change.tick, *at, change.microsPerQuarter});
        }
    }

    bool tooLong() const { return tooLong_; }

    std::optional<uint64_t> micros(uint64_t tick) const {
        if (division_ & 0x8000) { // SMPTE: frames per second (29 = 29.97) and ticks per frame
            const unsigned fps = 256 - (division_ >> 8), perFrame = division_ & 0xFF;
            return fps == 29 ? scaled(tick, 100000000, uint64_t{2997} * perFrame)
                             : scaled(tick, 1000000, uint64_t{fps} * perFrame);
        }
        // The last change at or before tick; several at one tick: the last of them holds.
        auto after = std::upper_bound(segments_.begin(), segments_.end(), tick,
                                      [](uint64_t t, const Segment& s) { return t < s.tick; });
        return microsAt(*(after - 1), tick);
    }

  private:
    struct Segment {
        uint64_t tick;
        uint64_t micros;
        uint32_t microsPerQuarter;
    };

    std::optional<uint64_t> microsAt(const Segment& from, uint64_t tick) const {
        const std::optional<uint64_t> more =
            scaled(tick - from.tick, from.microsPerQuarter, division_);
        if (!more || *more > maxMicros - from.micros)
            return std::nullopt;
        return from.micros + *more;
    }

    unsigned division_;
    std::vector<Segment> segments_;
    bool tooLong_ = false;
};

bool validDivision(unsigned division) {
    if (!(division & 0x8000))
        return division != 0;
    const unsigned fps = 256 - (division >> 8);
    return (fps == 24 || fps == 25 || fps == 29 || fps == 30) && (division & 0xFF) != 0;
}

} // namespace

MidiReadError decodeMidiSong(const uint8_t* data, size_t size, MidiSong& out) {
    if (size < 8 || std::memcmp(data, "MThd", 4) != 0)
        return {msgNotMidi};
    const uint32_t headerLength = getBE32(data + 4);
    if (headerLength < 6)
        return {msgNotMidi};
    if (headerLength > size - 8)
        return {msgTruncated, -1, 4};
    const unsigned format = getBE16(data + 8), declaredTracks = getBE16(data + 10),
                   division = getBE16(data + 12);
    if (format > 1)
        return {msgUnsupportedFormat};
    if (!validDivision(division))
        return {msgBadDivision, -1, 12};

    std::vector<TickNote> tickNotes;
    std::vector<TempoChange> tempos;
    std::vector<TickMessage> tickMessages;
    OpenNotes open;
    size_t at = 8 + size_t{headerLength};
    unsigned tracks = 0;
    while (tracks < declaredTracks) {
        if (size - at < 8)
            return {msgMissingTracks, static_cast<int>(tracks), at};
        const uint32_t length = getBE32(data + at + 4);
        if (length > size - at - 8)
            return {msgTruncated, static_cast<int>(tracks), at + 4};
        if (std::memcmp(data + at, "MTrk", 4) == 0) { // other chunks are skipped
            TrackReader reader(data, at + 8, at + 8 + length, static_cast<uint16_t>(tracks));
            if (const MidiReadError error = reader.read(tickNotes, tempos, open, tickMessages);
                error.format)
                return error;
            ++tracks;
        }
        at += 8 + size_t{length};
    }

    const TimeMap time(division, std::move(tempos));
    if (time.tooLong())
        return {msgTooLong};
    std::vector<MidiNote> notes;
    notes.reserve(tickNotes.size());
    for (const TickNote& n : tickNotes) {
        const std::optional<uint64_t> start = time.micros(n.startTick);
        const std::optional<uint64_t> end = time.micros(n.endTick);
        if (!start || !end)
            return {msgTooLong};
        notes.push_back({*start, *end, n.note, n.channel, n.track});
    }
    std::stable_sort(notes.begin(), notes.end(),
                     [](const MidiNote& a, const MidiNote& b) { return a.startUs < b.startUs; });
    std::vector<MidiMessage> messages;
    messages.reserve(tickMessages.size());
    for (const TickMessage& m : tickMessages) {
        const std::optional<uint64_t> at = time.micros(m.tick);
        if (!at)
            return {msgTooLong};
        messages.push_back({*at, m.packed});
    }
    std::stable_sort(
        messages.begin(), messages.end(),
        [](const MidiMessage& a, const MidiMessage& b) { return a.timeUs < b.timeUs; });
    out.format = format;
    out.trackCount = tracks;
    out.notes = std::move(notes);
    out.messages = std::move(messages);
    return {};
}

MidiReadError readMidiSong(const std::filesystem::path& path, MidiSong& out) {
    uint64_t size = 0;
    PlatformFile* file = platformOpenForReading(path, &size);
    if (!file)
        return {msgCannotOpenFile};
    if (size > maxFileBytes) {
        platformCloseFile(file);
        return {msgFileTooLarge};
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    const bool read = platformReadAt(file, 0, bytes.data(), bytes.size());
    platformCloseFile(file);
    if (!read)
        return {msgCannotReadFile};
    return decodeMidiSong(bytes.data(), bytes.size(), out);
}

std::wstring midiErrorText(const MidiReadError& error, const std::wstring& name) {
    std::wstring text = fillMessage(error.format, name);
    if (error.track >= 0)
        text += L" (第" + std::to_wstring(error.track + 1) + L"轨, 第" +
                std::to_wstring(error.offset) + L"字节)";
    else if (error.offset != 0)
        text += L" (第" + std::to_wstring(error.offset) + L"字节)";
    return text;
}
