// Tonvira's SoundFont synthesizer: General MIDI channels playing a SoundFont's presets into float
// stereo blocks. Messages come from one thread (the window's) through a queue of their own; the
// audio thread renders, never allocating, locking or waiting. No Windows headers here.
#pragma once

#include "synth/soundfont.h"

#include <cstddef>
#include <cstdint>

struct SynthSettings {
    double sampleRate = 48000;
    unsigned voiceLimit = 64;
};

struct Synthesizer; // its voices, channels and message queue

// A synthesizer playing font, which must outlive it. Everything it will need is allocated here.
Synthesizer* synthCreate(const SoundFont& font, const SynthSettings& settings);
void synthDestroy(Synthesizer* synth);

// The sending thread: a short MIDI message packed as midiOutShortMsg takes it (status in the low
// byte, then the two data bytes). Applied at the start of the next block; false when the queue is
// full and the message was dropped.
bool synthSend(Synthesizer* synth, uint32_t packedMessage);

// The audio thread: the next frames of sound, interleaved left and right, written over out.
void synthRender(Synthesizer* synth, float* out, size_t frames);

// How many messages the audio thread has taken from the queue so far: the messages sent before
// this count was reached sound from the start of the block that took them.
size_t synthMessagesTaken(const Synthesizer* synth);

// Voices still sounding; a song's render ends once this is 0 after its last message.
unsigned synthActiveVoices(const Synthesizer* synth);
