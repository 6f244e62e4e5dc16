#include "engine/key_events.h"

#include "engine/key_table.h"
#include "engine/midi_output.h"
#include "engine/performance_state.h"
#include "recording/event_lists.h"

#include <algorithm>

namespace {

constexpr uint32_t repeatFlag = 1u << 30;

bool chordInProgress() {
    const PerformanceState& p = performance;
    return p.heldNormal != 0 || p.heldRaised != 0 || p.heldLowered != 0;
}

KeyOutcome drawn(unsigned scan, bool pressed, int shift) {
    KeyOutcome outcome;
    outcome.draw = true;
    outcome.scan = scan;
    outcome.pressed = pressed;
    outcome.drawShift = shift;
    return outcome;
}

AppendResult record(uint32_t message, uint32_t lParam) {
    return appendPerfEvent(message, lParam, performance.octaveShift);
}

void sendKeyNotes(bool on, int octave, int semitone) {
    PerformanceState& p = performance;
    if (on) {
        sendNoteOn(p.midiOut, p.channel, octave, semitone, p.velocity);
        if (p.autoBass)
            sendNoteOn(p.midiOut, bassChannel, octave - 1, semitone, p.velocity);
    } else {
        sendNoteOff(p.midiOut, p.channel, octave, semitone, 0);
        if (p.autoBass)
            sendNoteOff(p.midiOut, bassChannel, octave - 1, semitone, 0);
    }
}

// Joins the chord in progress or starts one; returns the shift the key sounds with.
int pressShift(Modifiers modifiers) {
    PerformanceState& p = performance;
    if (chordInProgress()) {
        switch (p.octaveShift) {
        case 1:
            ++p.heldRaised;
            break;
        case -1:
            ++p.heldLowered;
            break;
        default:
            ++p.heldNormal;
            break;
        }
        return p.octaveShift;
    }
    if (modifiers.shift) {
        p.octaveShift = 1;
        p.heldRaised = 1;
    } else if (modifiers.ctrl) {
        p.octaveShift = -1;
        p.heldLowered = 1;
    } else {
        p.octaveShift = 0;
        p.heldNormal = 1;
    }
    return p.octaveShift;
}

// Takes the released key off its chord's count; returns the shift it was sounding with.
int releaseShift() {
    PerformanceState& p = performance;
    const int shift = p.octaveShift;
    int32_t& held = shift == 1 ? p.heldRaised : shift == -1 ? p.heldLowered : p.heldNormal;
    if (--held == 0)
        p.octaveShift = 0;
    return shift == 1 || shift == -1 ? shift : 0;
}

} // namespace

KeyOutcome handleKeyEvent(uint32_t message, uint32_t lParam, Modifiers modifiers) {
    if (!performance.deviceOpen)
        return {};
    const unsigned scan = scanCodeOf(lParam);
    const KeySlot* slot = playableSlot(scan);
    if (!slot)
        return {};
    uint32_t& pressesDown = performance.pressesDown[scan];
    if (message != messageKeyDown) {
        if (pressesDown == 0)
            return {}; // its press never reached us
        --pressesDown;
        const AppendResult recorded = record(messageKeyUp, lParam); // shift as it sounded
        const int shift = releaseShift();
        sendKeyNotes(false, slot->octave + shift, slot->semitone);
        KeyOutcome outcome = drawn(scan, false, 0);
        outcome.outOfMemory = recorded == AppendResult::outOfMemory;
        return outcome;
    }
    if ((lParam & repeatFlag) && chordInProgress())
        return {}; // auto-repeat of a key in the chord
    const int shift = pressShift(modifiers);
    ++pressesDown;
    if (lParam & repeatFlag)
        return {}; // counted, but a repeat never sounds or records
    const AppendResult recorded = record(messageKeyDown, lParam);
    sendKeyNotes(true, slot->octave + shift, slot->semitone);
    KeyOutcome outcome = drawn(scan, true, performance.octaveShift);
    outcome.outOfMemory = recorded == AppendResult::outOfMemory;
    outcome.recordingChanged = recorded == AppendResult::appendedFirst;
    return outcome;
}

KeyOutcome replayKeyEvent(uint32_t message, uint32_t keyData, int32_t octaveShift) {
    if (!performance.deviceOpen)
        return {};
    const unsigned scan = scanCodeOf(keyData);
    const KeySlot* slot = playableSlot(scan);
    if (!slot || octaveShift < -1 || octaveShift > 1)
        return {};
    const bool press = message != messageKeyUp;
    sendKeyNotes(press, slot->octave + octaveShift, slot->semitone);
    return drawn(scan, press, octaveShift);
}

void forgetHeldKeys() {
    performance.heldNormal = 0;
    performance.heldRaised = 0;
    performance.heldLowered = 0;
}

void silenceOnEscape() {
    forgetHeldKeys();
    silenceAllChannels();
}

std::optional<unsigned> keyAtPoint(int x, int y, int left, int top) {
    if (x < left || x > left + 475 || y < top || y > top + 156)
        return std::nullopt;
    const int row = std::min((y - top) / 39, 3);
    int halfColumn = row % 2 == 0 ? (x - left) / 38 * 2 : (x - left - 19) / 38 * 2 + 1;
    halfColumn = std::clamp(halfColumn, 0, 23);
    for (unsigned scan = 0; scan < keySlotCount; ++scan)
        if (keyTable[scan].row == row && keyTable[scan].halfColumn == halfColumn)
            return scan;
    return std::nullopt;
}
