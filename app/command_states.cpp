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
