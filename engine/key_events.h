// Key presses and releases, from the keyboard, the mouse or a recording, turned into notes: the
// octave shift of a chord, the automatic bass, Esc, and the mouse hit test.
#pragma once

#include <cstdint>
#include <optional>

// Shift and Ctrl as they are at the moment of a key event.
struct Modifiers {
    bool shift;
    bool ctrl;
};

// What the window has to do after the notes went out.
struct KeyOutcome {
    bool draw = false; // redraw key `scan`
    unsigned scan = 0;
    bool pressed = false;
    int drawShift = 0;             // the octave shift whose colour a pressed key shows
    bool outOfMemory = false;      // the recording could not grow; tell the user once
    bool recordingChanged = false; // its first event: the recording is no longer as saved
};

// A live WM_KEYDOWN (256) or WM_KEYUP (257) with its lParam. The first key of a chord takes its
// octave shift from the modifiers (Shift wins over Ctrl); later keys join that chord.
KeyOutcome handleKeyEvent(uint32_t message, uint32_t lParam, Modifiers modifiers);

// A recorded event played back with its stored shift, in the current key/mode, channel and
// velocity. Events whose shift lies outside -1..+1 are skipped, so every note stays a data byte.
KeyOutcome replayKeyEvent(uint32_t message, uint32_t keyData, int32_t octaveShift);

// Every held-key count back to 0; the octave shift stays.
void forgetHeldKeys();

// Esc: forget every held key and silence all channels; the octave shift stays.
void silenceOnEscape();

// The key under a point of the on-screen keyboard whose top-left corner is (left, top); both far
// edges count as inside. None over a gap or outside the picture.
std::optional<unsigned> keyAtPoint(int x, int y, int left, int top);
