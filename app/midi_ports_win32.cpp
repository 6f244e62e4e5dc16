// The system's MIDI output devices, over WINMM.
#include "app/output_devices.h"

#include <windows.h>

#include <mmsystem.h>

unsigned midiPortCount() {
    return midiOutGetNumDevs();
}

bool midiPortName(int index, std::wstring& name) {
    MIDIOUTCAPSW caps{};
    // MIDI_MAPPER is (UINT)-1, so the mapper's index converts to it directly.
    if (midiOutGetDevCapsW(static_cast<UINT_PTR>(static_cast<UINT>(index)), &caps, sizeof caps) !=
        MMSYSERR_NOERROR)
        return false;
    caps.szPname[MAXPNAMELEN - 1] = L'\0';
    name = caps.szPname;
    return true;
}

void* midiPortOpen(int index) {
    HMIDIOUT opened = nullptr;
    if (midiOutOpen(&opened, static_cast<UINT>(index), 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
        return nullptr;
    return opened;
}

uint32_t midiPortSend(void* port, uint32_t packedMessage) {
    return midiOutShortMsg(static_cast<HMIDIOUT>(port), packedMessage);
}

void midiPortClose(void* port) {
    midiOutClose(static_cast<HMIDIOUT>(port));
}
