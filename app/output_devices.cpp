#include "app/output_devices.h"
#include "engine/platform.h"

#include <algorithm>
#include <cwctype>
#include <new>
#include <system_error>

namespace {

constexpr unsigned listedDevices = 256; // device menu identifiers 512..767

struct DeviceList {
    unsigned midiPorts = 0; // listed ones; the built-in synthesizers follow them
    std::vector<std::filesystem::path> soundFonts;
};
DeviceList devices;

// What an open handle stands for.
struct OpenDevice {
    void* port = nullptr;
    BuiltinSynth* synth = nullptr;
};

const std::filesystem::path* soundFontOf(int deviceIndex) {
    if (deviceIndex < 0 || unsigned(deviceIndex) < devices.midiPorts)
        return nullptr;
    const size_t n = unsigned(deviceIndex) - devices.midiPorts;
    return n < devices.soundFonts.size() ? &devices.soundFonts[n] : nullptr;
}

std::wstring folded(std::wstring text) {
    for (wchar_t& c : text)
        c = wchar_t(std::towlower(c));
    return text;
}

} // namespace

std::vector<std::filesystem::path> soundFontsIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::filesystem::path& path = it->path();
        if (folded(path.extension().wstring()) == L".sf2" && it->is_regular_file(error))
            found.push_back(path);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        const std::wstring x = folded(a.filename().wstring()), y = folded(b.filename().wstring());
        return x != y ? x < y : a.filename().wstring() < b.filename().wstring();
    });
    return found;
}

std::optional<int> firstBuiltinSynthDevice() {
    if (devices.soundFonts.empty())
        return std::nullopt;
    return int(devices.midiPorts);
}

unsigned platformMidiDeviceCount() {
    devices.soundFonts = soundFontsIn(soundFontFolder());
    if (devices.soundFonts.size() > listedDevices)
        devices.soundFonts.resize(listedDevices);
    const unsigned ports = midiPortCount();
    // With no SoundFont the MIDI devices are counted exactly as the system counts them.
    devices.midiPorts = devices.soundFonts.empty()
                            ? ports
                            : std::min(ports, listedDevices - unsigned(devices.soundFonts.size()));
    return devices.midiPorts + unsigned(devices.soundFonts.size());
}

bool platformMidiDeviceName(int deviceIndex, std::wstring& name) {
    if (const std::filesystem::path* font = soundFontOf(deviceIndex)) {
        name = L"内置合成器 (" + font->filename().wstring() + L")";
        return true;
    }
    return midiPortName(deviceIndex, name);
}

bool platformMidiOpen(int deviceIndex, MidiOutHandle* handle) {
    OpenDevice opened;
    if (const std::filesystem::path* font = soundFontOf(deviceIndex))
        opened.synth = builtinSynthOpen(*font);
    else
        opened.port = midiPortOpen(deviceIndex);
    if (!opened.synth && !opened.port)
        return false;
    OpenDevice* device = new (std::nothrow) OpenDevice(opened);
    if (!device) {
        if (opened.synth)
            builtinSynthClose(opened.synth);
        else
            midiPortClose(opened.port);
        return false;
    }
    *handle = device;
    return true;
}

uint32_t platformMidiSend(MidiOutHandle handle, uint32_t packedMessage) {
    const OpenDevice* device = static_cast<const OpenDevice*>(handle);
    if (device->synth) {
        builtinSynthSend(device->synth, packedMessage);
        return 0;
    }
    return midiPortSend(device->port, packedMessage);
}

void platformMidiClose(MidiOutHandle handle) {
    const OpenDevice* device = static_cast<const OpenDevice*>(handle);
    if (device->synth)
        builtinSynthClose(device->synth);
    else
        midiPortClose(device->port);
    delete device;
}
