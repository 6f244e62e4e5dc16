// The tool's MIDI device for the key replay: it plays nothing but keeps what is sent, with the time
// the replay is at, for the synthesizer to render.
#include "cli/render.h"

#include "engine/key_events.h"
#include "engine/midi_output.h"
#include "engine/performance_state.h"
#include "recording/playback_scheduler.h"

namespace {

struct Capture {
    uint64_t timeUs = 0;
    std::vector<MidiMessage>* messages = nullptr;
};

Capture capture; // the tool has one thread

} // namespace

unsigned platformMidiDeviceCount() {
    return 1;
}

bool platformMidiDeviceName(int, std::wstring& name) {
    name = L"tonvira-tool";
    return true;
}

bool platformMidiOpen(int, MidiOutHandle* handle) {
    *handle = &capture;
    return true;
}

uint32_t platformMidiSend(MidiOutHandle, uint32_t packedMessage) {
    if (capture.messages)
        capture.messages->push_back({capture.timeUs, packedMessage});
    return 0;
}

void platformMidiClose(MidiOutHandle) {}

// Playback never runs in the tool: nothing is announced.
void notifyReplayEvent(uint32_t, uint32_t) {}
void notifyPlaybackEnd(uint32_t) {}

std::vector<MidiMessage> recordingMessages(const LoadedRecording& recording, int program) {
    std::vector<MidiMessage> messages;
    capture = {0, &messages};
    // As the window program plays a file it has just loaded: its key/mode and bass, velocity 127.
    performance = PerformanceState{};
    performance.keyMode = static_cast<int32_t>(recording.keyModeId);
    performance.autoBass = recording.autoBassWord == 1;
    performance.program = program;
    performance.deviceOpen = platformMidiOpen(performance.deviceIndex, &performance.midiOut);
    applyProgram();
    uint64_t ms = 0;
    for (const PerfEvent& event : recording.events) {
        ms += event.delayMs;
        capture.timeUs = ms * 1000;
        replayKeyEvent(event.message, event.keyData, event.octaveShift);
    }
    silenceAllChannels(); // as playback ends
    capture = {};
    return messages;
}
