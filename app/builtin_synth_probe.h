// What the built-in synthesizer's audio stream reports about itself, for the latency benchmark:
// the stream the system gave it, and when each block of sound was handed to the audio client.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

struct BuiltinSynth;

struct BuiltinSynthStream {
    unsigned sampleRate = 0;
    unsigned periodFrames = 0; // how often the stream asks for sound
    unsigned bufferFrames = 0; // how much it holds
    int64_t streamLatency100ns = 0;
    bool lowLatencyPeriod = false; // the period came from the shared engine's smallest one
};
// False while no stream is playing.
bool builtinSynthStream(BuiltinSynth* synth, BuiltinSynthStream& stream);

// After each block handed over: how many messages the synthesizer had taken by then, and the
// performance counter's reading right after the hand-over.
struct BuiltinSynthHandover {
    size_t messagesTaken;
    int64_t counter;
};
// Hands-over are written to log until capacity entries are there; count says how many are.
void builtinSynthWatch(BuiltinSynth* synth, BuiltinSynthHandover* log, size_t capacity,
                       std::atomic<size_t>* count);
