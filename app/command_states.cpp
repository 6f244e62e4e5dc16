#include "app/command_states.h"

CommandStates statesIdleEmpty() {
    return {true, false, false, false, false, false, false, false, true};
}

CommandStates statesIdleWithRecording() {
    return {true, false, true, true, false, true, true, true, true};
}

CommandStates statesRecording() {
    return {false, true, false, false, false, false, false, false, false};
}

CommandStates statesPlaying() {
    return {false, false, false, false, true, false, false, false, false};
}

CommandStates statesAfterPlayback(bool dirty) {
    return {true, false, true, true, false, dirty, true, true, true};
}

CommandStates statesAfterLoad(bool fromCommandLine) {
    return {true, false, true, true, false, false, true, !fromCommandLine, true};
}
