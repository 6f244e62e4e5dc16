// MIDI output over WINMM.
#include "engine/platform.h"

#include <windows.h>

#include <mmsystem.h>

unsigned platformMidiDeviceCount() {
    return midiOutGetNumDevs();
}

bool platformMidiDeviceName(int deviceIndex, std::wstring& name) {
    MIDIOUTCAPSW caps{};
    // MIDI_MAPPER is (UINT)-1, so the mapper's index converts to it directly.
    if (midiOutGetDevCapsW(static_cast<UINT_PTR>(static_cast<UINT>(deviceIndex)), &caps,
                           sizeof caps) != MMSYSERR_NOERROR)
        return false;
    caps.szPname[MAXPNAMELEN - 1] = L'\0';
    name = caps.szPname;
    return true;
}

bool platformMidiOpen(int deviceIndex, MidiOutHandle* handle) {
    HMIDIOUT opened = nullptr;
    if (midiOutOpen(&opened, static_cast<UINT>(deviceIndex), 0, 0, CALLBACK_NULL) !=
        MMSYSERR_NOERROR)
        return false;
    *handle = opened;
    return true;
}

uint32_t platformMidiSend(MidiOutHandle handle, uint32_t packedMessage) {
    return midiOutShortMsg(static_cast<HMIDIOUT>(handle), packedMessage);
}

void platformMidiClose(MidiOutHandle handle) {
    midiOutClose(static_cast<HMIDIOUT>(handle));
}
