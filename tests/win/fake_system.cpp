#include "app/system_seam.h"
#include "tests/win/fake_devices.h"

#include <cwchar>

namespace fake {

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
    opens = 0;
    closes = 0;
    boxes.clear();
    boxAnswers.clear();
    dialogAnswers.clear();
    dialogs.clear();
    shiftDown = false;
    ctrlDown = false;
    shellOpened.clear();
    helpLibraryLoads = 0;
}

} // namespace fake

int showMessageBox(HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
    fake::boxes.push_back({text, caption, type});
    if (fake::boxAnswers.empty())
        return IDOK;
    const int answer = fake::boxAnswers.front();
    fake::boxAnswers.erase(fake::boxAnswers.begin());
    return answer;
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
    if (fake::dialogAnswers.empty())
        return false;
    const std::wstring answer = fake::dialogAnswers.front();
    fake::dialogAnswers.erase(fake::dialogAnswers.begin());
    if (answer.empty() || answer.size() >= dialog.nMaxFile)
        return false;
    const size_t slash = answer.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? answer : answer.substr(slash + 1);
    wcscpy(dialog.lpstrFile, answer.c_str());
    wcscpy(dialog.lpstrFileTitle, name.c_str());
    return true;
}

void openWithShell(const wchar_t* target) {
    fake::shellOpened.push_back(target);
}

HMODULE loadHtmlHelpLibrary() {
    ++fake::helpLibraryLoads;
    return nullptr;
}
