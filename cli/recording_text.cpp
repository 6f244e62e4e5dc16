#include "cli/recording_text.h"

#include "engine/key_modes.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <deque>
#include <optional>
#include <vector>

namespace {

constexpr size_t notationPieceChars = 1 << 16; // the notation is handed on in pieces of this size

// Legends of the keys by scan code; empty where no key plays.
const wchar_t* const keyLegend[keySlotCount] = {
    L"", L"", L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"0", L"-", L"=",
    L"", L"", L"Q", L"W", L"E", L"R", L"T", L"Y", L"U", L"I", L"O", L"P", L"[", L"]",
    L"", L"", L"A", L"S", L"D", L"F", L"G", L"H", L"J", L"K", L"L", L";", L"'", L"",
    L"", L"", L"Z", L"X", L"C", L"V", L"B", L"N", L"M", L",", L".", L"/",
};

// A press or release that sounds: a key that plays, with a shift that replay takes.
const KeySlot* soundingSlot(const PerfEvent& event) {
    if (event.octaveShift < -1 || event.octaveShift > 1)
        return nullptr;
    return playableSlot(scanCodeOf(event.keyData));
}

std::wstring keyModeText(uint32_t keyMode) {
    const std::wstring name = keyModeName(static_cast<int>(keyMode));
    return name.empty() ? std::to_wstring(keyMode) + L" (无此调式)" : name;
}

std::wstring noteText(std::optional<int> note) {
    if (!note)
        return L"-";
    return noteName(*note) + L" (" + std::to_wstring(*note) + L")";
}

// The text and at least one blank, to width: a column as wide as its heading, or wider.
std::wstring padded(std::wstring text, size_t width) {
    text.append(text.size() < width ? width - text.size() : 1, L' ');
    return text;
}

std::wstring seconds(uint64_t ms) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%llu.%03u", static_cast<unsigned long long>(ms / 1000),
                  static_cast<unsigned>(ms % 1000));
    return text;
}

} // namespace

std::wstring formatTime(uint64_t ms) {
    wchar_t text[48];
    std::swprintf(text, 48, L"%llu:%02u.%03u", static_cast<unsigned long long>(ms / 60000),
                  static_cast<unsigned>(ms / 1000 % 60), static_cast<unsigned>(ms % 1000));
    return text;
}

std::wstring noteName(int note) {
    static const wchar_t* const names[12] = {L"C",  L"C#", L"D",  L"D#", L"E",  L"F",
                                             L"F#", L"G",  L"G#", L"A",  L"A#", L"B"};
    return names[note % 12] + std::to_wstring(note / 12 - 1);
}

std::wstring degreeText(const KeySlot& slot) {
    std::wstring text;
    for (int octave = slot.octave; octave < 5; ++octave)
        text += L'.';
    for (const char* c = slot.label; *c; ++c)
        text += static_cast<wchar_t>(*c);
    if (slot.octave == 6)
        text += L'.';
    return text;
}

std::wstring keyText(unsigned scan, int octaveShift) {
    const std::wstring legend = scan < keySlotCount ? keyLegend[scan] : L"";
    if (octaveShift > 0)
        return L"Shift+" + legend;
    if (octaveShift < 0)
        return L"Ctrl+" + legend;
    return legend;
}

std::wstring recordingInfo(const LoadedRecording& recording) {
    size_t notes = 0;
    uint64_t durationMs = 0;
    std::optional<int> lowest, highest;
    bool raised = false, lowered = false;
    for (const PerfEvent& event : recording.events) {
        durationMs += event.delayMs;
        const KeySlot* slot = soundingSlot(event);
        if (!slot || event.message != messageKeyDown)
            continue;
        ++notes;
        raised |= event.octaveShift > 0;
        lowered |= event.octaveShift < 0;
        if (const std::optional<int> note =
                noteNumber(slot->octave + event.octaveShift, slot->semitone,
                           static_cast<int>(recording.keyModeId))) {
            lowest = std::min(lowest.value_or(*note), *note);
            highest = std::max(highest.value_or(*note), *note);
        }
    }
    return L"调式: " + keyModeText(recording.keyModeId) + L"\n" + L"自动低音: " +
           (recording.autoBassWord == 1 ? L"开" : L"关") + L"\n" + L"事件: " +
           std::to_wstring(recording.events.size()) + L", 音符: " + std::to_wstring(notes) + L"\n" +
           L"时长: " + formatTime(durationMs) + L"\n" + L"最低音: " + noteText(lowest) +
           L", 最高音: " + noteText(highest) + L"\n" + L"Shift和弦: " + (raised ? L"有" : L"无") +
           L", Ctrl和弦: " + (lowered ? L"有" : L"无") + L"\n";
}

bool writeRecordingNotation(const LoadedRecording& recording, const TextWriter& write) {
    struct Line {
        uint64_t startMs;
        std::optional<uint64_t> lengthMs;
        const KeySlot* slot;
        unsigned scan;
        int shift;
    };
    // Lines not yet written, in order of start; a line is written once it and every line before
    // it know their length, so only the notes still held wait in memory.
    std::deque<Line> pending;
    size_t firstPending = 0; // the number of pending.front() among all lines
    // Presses still waiting for their release, per key and shift (a release ends the note of its
    // own shift), first pressed first released: numbers of their lines.
    std::array<std::deque<size_t>, keySlotCount * 3> waiting;
    const int keyMode = static_cast<int>(recording.keyModeId);
    std::wstring text = L"调式: " + keyModeText(recording.keyModeId) + L"\n";
    text += L"开始      时长    简谱  按键      音名\n";
    auto takeLine = [&] {
        const Line& line = pending.front();
        const std::optional<int> note =
            noteNumber(line.slot->octave + line.shift, line.slot->semitone, keyMode);
        text += padded(formatTime(line.startMs), 10) +
                padded(line.lengthMs ? seconds(*line.lengthMs) : L"-", 8) +
                padded(degreeText(*line.slot), 6) + padded(keyText(line.scan, line.shift), 10) +
                (note ? noteName(*note) : L"-") + L"\n";
        pending.pop_front();
        ++firstPending;
    };
    uint64_t now = 0;
    for (const PerfEvent& event : recording.events) {
        now += event.delayMs;
        const KeySlot* slot = soundingSlot(event);
        if (!slot)
            continue;
        const unsigned scan = scanCodeOf(event.keyData);
        std::deque<size_t>& pressed =
            waiting[scan * 3 + static_cast<unsigned>(event.octaveShift + 1)];
        if (event.message == messageKeyDown) {
            pressed.push_back(firstPending + pending.size());
            pending.push_back({now, std::nullopt, slot, scan, event.octaveShift});
        } else if (!pressed.empty()) {
            Line& line = pending[pressed.front() - firstPending];
            pressed.pop_front();
            line.lengthMs = now - line.startMs;
        }
        while (!pending.empty() && pending.front().lengthMs)
            takeLine();
        if (text.size() >= notationPieceChars) {
            if (!write(text))
                return false;
            text.clear();
        }
    }
    while (!pending.empty())
        takeLine();
    return write(text);
}
