// Which recording, playback and file commands are available in each situation; the menu items
// and the five buttons follow the same sets.
#pragma once

struct CommandStates {
    bool recordStart;
    bool recordStop;
    bool play;
    bool playLoop;
    bool playStop;
    bool save;
    bool saveAs;
    bool exportMidi;
    bool load;
};

// Nothing is recorded or playing: after start-up, after a recording with no event.
CommandStates statesIdleEmpty();
// A recording is present and nothing runs.
CommandStates statesIdleWithRecording();
// Recording is under way.
CommandStates statesRecording();
// Playback is under way.
CommandStates statesPlaying();
// After playback stops: save only while the recording is unsaved.
CommandStates statesAfterPlayback(bool dirty);
// After a recording file was taken up; the one named on the command line leaves export grayed.
CommandStates statesAfterLoad(bool fromCommandLine);
