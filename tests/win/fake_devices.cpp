#include "app/output_devices.h"
#include "app/system_seam.h"
#include "tests/win/window_fixture.h"

#include <cwchar>

template <typename T> static T takeFirst(std::vector<T>& answers, T otherwise) {
    const T first = answers.empty() ? otherwise : answers.front();
    answers.erase(answers.begin(), answers.begin() + (answers.empty() ? 0 : 1));
    return first;
}

unsigned midiPortCount() {
    return fake.devices;
}

bool midiPortName(int index, std::wstring& name) {
    name = index == -1 ? L"Test mapper" : L"Test device " + std::to_wstring(index);
    return true;
}

void* midiPortOpen(int index) {
    if (fake.openFails)
        return nullptr;
    fake.opened.push_back(L"port " + std::to_wstring(index));
    return &fake.sent;
}

uint32_t midiPortSend(void*, uint32_t packedMessage) {
    fake.sent.push_back(packedMessage);
    return 0;
}

void midiPortClose(void*) {
    ++fake.closes;
}

// A built-in synthesizer here is its SoundFont's name; its messages join the others.
std::filesystem::path soundFontFolder() {
    return fake.soundFontFolder;
}

BuiltinSynth* builtinSynthOpen(const std::filesystem::path& soundFont) {
    if (fake.synthOpenFails)
        return nullptr;
    fake.opened.push_back(L"synth " + soundFont.filename().wstring());
    return reinterpret_cast<BuiltinSynth*>(&fake.sent);
}

void builtinSynthSend(BuiltinSynth*, uint32_t packedMessage) {
    fake.sent.push_back(packedMessage);
}

void builtinSynthClose(BuiltinSynth*) {
    ++fake.closes;
}

int showMessageBox(HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
    fake.boxes.push_back(caption + std::wstring(L" | ") + text + L" | " + std::to_wstring(type));
    return takeFirst(fake.boxAnswers, int(IDOK));
}

Modifiers readModifiers() {
    return {fake.shiftDown, false};
}

bool runFileDialog(OPENFILENAMEW& dialog, bool save) {
    std::wstring shown = save ? L"save " : L"open ";
    for (const wchar_t* part = dialog.lpstrFilter; part && *part; part += wcslen(part) + 1)
        shown += (shown.back() == L' ' ? L"" : L"|") + std::wstring(part);
    shown += L" " + std::to_wstring(dialog.Flags) + L" " + dialog.lpstrDefExt;
    if (dialog.lStructSize != sizeof dialog || !dialog.hwndOwner || dialog.nMaxFile != MAX_PATH ||
        dialog.nMaxFileTitle != MAX_PATH || !dialog.lpstrFileTitle || dialog.lpstrInitialDir ||
        dialog.lpstrTitle)
        shown += L" incomplete";
    fake.dialogs.push_back(shown);
    MSG message; // what arrives while it is open is dispatched by its own loop
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
    const std::wstring answer = takeFirst(fake.dialogAnswers, std::wstring());
    if (answer.empty())
        return false;
    wcscpy(dialog.lpstrFile, answer.c_str());
    wcscpy(dialog.lpstrFileTitle, answer.substr(answer.find_last_of(L"\\/") + 1).c_str());
    return true;
}

void openWithShell(const wchar_t* target) {
    fake.shellOpened.push_back(target);
}

HMODULE loadHtmlHelpLibrary() {
    ++fake.helpLibraryLoads;
    return nullptr;
}
