// The fakes behind the platform and system seams (see fake_devices.h).
#include "tests/win/fake_devices.h"
#include "app/system_seam.h"
#include "engine/platform.h"

#include <cwchar>

namespace fake {

MidiSetup midi;
std::vector<uint32_t> sent;
int opens = 0;
int closes = 0;
std::vector<Box> boxes;
std::vector<int> boxAnswers;
std::vector<std::wstring> dialogAnswers;
std::vector<DialogCall> dialogs;
bool shiftDown = false;
bool ctrlDown = false;
std::vector<std::wstring> shellOpened;
int helpLibraryLoads = 0;

void reset() {
    midi = MidiSetup{};
    sent.clear();
    opens = closes = helpLibraryLoads = 0;
    boxes.clear();
    boxAnswers.clear();
    dialogAnswers.clear();
    dialogs.clear();
    shiftDown = ctrlDown = false;
    shellOpened.clear();
}

template <typename T> T takeFirst(std::vector<T>& answers, T otherwise) {
    if (answers.empty())
        return otherwise;
    const T first = answers.front();
    answers.erase(answers.begin());
    return first;
}

} // namespace fake

unsigned platformMidiDeviceCount() {
    return fake::midi.devices;
}

bool platformMidiDeviceName(int deviceIndex, std::wstring& name) {
    if (deviceIndex == fake::midi.unreadable || (deviceIndex == -1 && !fake::midi.mapper) ||
        deviceIndex < -1 || deviceIndex >= int(fake::midi.devices))
        return false;
    name = deviceIndex == -1 ? L"Test mapper" : L"Test device " + std::to_wstring(deviceIndex);
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

int showMessageBox(HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
    fake::boxes.push_back({text, caption, type});
    return fake::takeFirst(fake::boxAnswers, int(IDOK));
}

Modifiers readModifiers() {
    return {fake::shiftDown, fake::ctrlDown};
}

bool runFileDialog(OPENFILENAMEW& dialog, bool save) {
    std::wstring filter;
    for (const wchar_t* part = dialog.lpstrFilter; part && *part; part += wcslen(part) + 1)
        filter += (filter.empty() ? L"" : L"|") + std::wstring(part);
    const bool whole = dialog.lStructSize == sizeof dialog && dialog.hwndOwner &&
                       dialog.nMaxFile == MAX_PATH && dialog.nMaxFileTitle == MAX_PATH &&
                       dialog.lpstrFileTitle && !dialog.lpstrInitialDir;
    fake::dialogs.push_back({save, filter, static_cast<unsigned>(dialog.Flags),
                             dialog.lpstrDefExt ? dialog.lpstrDefExt : L"",
                             dialog.lpstrTitle != nullptr, whole, dialog.lpstrFile});
    const std::wstring answer = fake::takeFirst(fake::dialogAnswers, std::wstring());
    if (answer.empty() || answer.size() >= dialog.nMaxFile)
        return false;
    wcscpy(dialog.lpstrFile, answer.c_str());
    wcscpy(dialog.lpstrFileTitle, answer.substr(answer.find_last_of(L"\\/") + 1).c_str());
    return true;
}

void openWithShell(const wchar_t* target) {
    fake::shellOpened.push_back(target);
}

HMODULE loadHtmlHelpLibrary() {
    ++fake::helpLibraryLoads;
    return nullptr;
}
