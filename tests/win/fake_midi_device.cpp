#include "engine/platform.h"
#include "tests/win/fake_devices.h"

namespace fake {

MidiSetup midi;
std::vector<uint32_t> sent;
int opens = 0;
int closes = 0;

} // namespace fake

unsigned platformMidiDeviceCount() {
    return fake::midi.devices;
}

bool platformMidiDeviceName(int deviceIndex, std::wstring& name) {
    if (deviceIndex == fake::midi.unreadable)
        return false;
    if (deviceIndex == -1) {
        if (!fake::midi.mapper)
            return false;
        name = L"Test mapper";
        return true;
    }
    if (deviceIndex < 0 || static_cast<unsigned>(deviceIndex) >= fake::midi.devices)
        return false;
    name = L"Test device " + std::to_wstring(deviceIndex);
    return true;
}

bool platformMidiOpen(int deviceIndex, MidiOutHandle* handle) {
    if (fake::midi.openFails || (deviceIndex == -1 && !fake::midi.mapper))
        return false;
    ++fake::opens;
    *handle = &fake::sent;
    return true;
}

uint32_t platformMidiSend(MidiOutHandle, uint32_t packedMessage) {
    fake::sent.push_back(packedMessage);
    return 0;
}

void platformMidiClose(MidiOutHandle) {
    ++fake::closes;
}
