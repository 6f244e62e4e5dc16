#include "cli/midi_import.h"

#include "engine/key_modes.h"
#include "engine/key_table.h"
#include "recording/playback_scheduler.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

// Scan codes in the order keys are tried: the natural degrees of the two middle rows first.
std::array<unsigned, keySlotCount> keysByPreference() {
    std::array<unsigned, keySlotCount> order{};
    size_t n = 0;
    for (bool middle : {true, false})
        for (unsigned scan = 0; scan < keySlotCount; ++scan)
            if ((keyTable[scan].row == 1 || keyTable[scan].row == 2) == middle)
                order[n++] = scan;
    return order;
}

uint64_t millisecondsOf(uint64_t micros) {
    return (micros + 500) / 1000;
}

struct Sounding {
    uint64_t startMs;
    uint64_t endMs;
    int note;
    KeyChoice key;
};

// One note of a pitch at a time, as one key can only go down once: of notes that start together
// the longest stays and the others are merged into it; a note that starts while the same pitch
// sounds ends the earlier one there.
std::vector<Sounding> oneAtATime(std::vector<Sounding> notes, ImportPlan& plan) {
    std::stable_sort(notes.begin(), notes.end(), [](const Sounding& a, const Sounding& b) {
        if (a.note != b.note)
            return a.note < b.note;
        if (a.startMs != b.startMs)
            return a.startMs < b.startMs;
        return a.endMs > b.endMs;
    });
    std::vector<Sounding> kept;
    for (const Sounding& n : notes) {
        const bool samePitch = !kept.empty() && kept.back().note == n.note;
        if (samePitch && n.startMs == kept.back().startMs) {
            ++plan.merged;
            continue;
        }
        if (samePitch && n.startMs < kept.back().endMs) {
            ++plan.shortened;
            kept.back().endMs = n.startMs;
        }
        kept.push_back(n);
    }
    return kept;
}

// The key for each note number in keyMode, looked up once for a whole song.
std::array<std::optional<KeyChoice>, 128> keysFor(int keyMode) {
    std::array<std::optional<KeyChoice>, 128> keys;
    for (int note = 0; note < 128; ++note)
        keys[note] = keyForNote(note, keyMode);
    return keys;
}

// A key event at its moment in the song. Within a moment: releases of earlier notes, presses,
// then releases of notes that have no length (after their own press).
struct Timed {
    uint64_t ms;
    int order; // 0 release, 1 press, 2 release of a note pressed at the same moment
    int note;
    KeyChoice key;
};

} // namespace

std::optional<KeyChoice> keyForNote(int note, int keyMode) {
    static const std::array<unsigned, keySlotCount> order = keysByPreference();
    for (int shift : {0, -1, 1})
        for (unsigned scan : order) {
            const KeySlot* slot = playableSlot(scan);
            if (slot && noteNumber(slot->octave + shift, slot->semitone, keyMode) == note)
                return KeyChoice{scan, shift};
        }
    return std::nullopt;
}

int chooseKeyMode(const std::vector<MidiNote>& notes) {
    std::array<size_t, 128> perNote{};
    for (const MidiNote& n : notes)
        ++perNote[n.note];
    int best = keyModeFirst;
    size_t fewest = std::numeric_limits<size_t>::max();
    for (const KeyModeItem& item : keyModeItems) { // C major first, so it wins a tie
        const std::array<std::optional<KeyChoice>, 128> keys = keysFor(item.id);
        size_t missing = 0;
        for (int note = 0; note < 128; ++note)
            if (perNote[note] != 0 && !keys[note])
                missing += perNote[note];
        if (missing < fewest) {
            fewest = missing;
            best = item.id;
        }
    }
    return best;
}

ImportPlan planImport(const std::vector<MidiNote>& notes, int keyMode) {
    ImportPlan plan;
    const std::array<std::optional<KeyChoice>, 128> keys = keysFor(keyMode);
    std::vector<Sounding> sounding;
    for (const MidiNote& n : notes) {
        const std::optional<KeyChoice>& key = keys[n.note & 0x7F];
        if (!key) {
            ++plan.leftOut;
            continue;
        }
        sounding.push_back({millisecondsOf(n.startUs), millisecondsOf(n.endUs), n.note, *key});
    }
    sounding = oneAtATime(std::move(sounding), plan);
    plan.notes = sounding.size();

    std::vector<Timed> timed;
    timed.reserve(2 * sounding.size());
    for (const Sounding& n : sounding) {
        timed.push_back({n.startMs, 1, n.note, n.key});
        timed.push_back({n.endMs, n.endMs == n.startMs ? 2 : 0, n.note, n.key});
    }
    std::sort(timed.begin(), timed.end(), [](const Timed& a, const Timed& b) {
        if (a.ms != b.ms)
            return a.ms < b.ms;
        if (a.order != b.order)
            return a.order < b.order;
        return a.note < b.note;
    });

    plan.events.reserve(timed.size());
    uint64_t previous = 0; // when the previous event plays; recording starts at 0
    size_t releasesLeft = 0;
    for (size_t i = 0; i < timed.size(); ++i) {
        const Timed& event = timed[i];
        if (i == 0 || timed[i - 1].ms != event.ms) {
            // A new moment: its releases go early only to let its presses sound on time.
            size_t end = i;
            while (end < timed.size() && timed[end].ms == event.ms && timed[end].order == 0)
                ++end;
            const bool pressFollows =
                end < timed.size() && timed[end].ms == event.ms && timed[end].order == 1;
            releasesLeft = pressFollows ? end - i : 0;
        }
        uint64_t wanted = event.ms;
        if (event.order == 0 && releasesLeft != 0) {
            wanted -= std::min<uint64_t>(wanted, playbackSpacingMs * releasesLeft);
            --releasesLeft;
        }
        const uint64_t at = std::max(wanted, previous + playbackSpacingMs);
        if (at - previous > std::numeric_limits<uint32_t>::max()) {
            plan.tooLong = true;
            return plan;
        }
        if (event.order == 1)
            plan.latestMs = std::max(plan.latestMs, at - event.ms);
        plan.events.push_back({static_cast<uint32_t>(at - previous),
                               event.order == 1 ? messageKeyDown : messageKeyUp,
                               event.key.scan << 16, event.key.octaveShift});
        previous = at;
    }
    return plan;
}
