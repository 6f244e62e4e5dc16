// Prints what a running program shows in its windows, for the end-to-end scripts:
//   tonvira_window_texts.exe CLASS
// For every visible top-level window of the class: "title: <title>", then "<id>: <text>" for
// each child control in order. UTF-8 on standard output; exit status 1 when there is none.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring textOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

void printLine(const std::wstring& line) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    std::printf("%s\n", bytes.c_str());
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    int found = 0;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, argv[1], nullptr));) {
        if (!IsWindowVisible(window))
            continue;
        ++found;
        printLine(L"title: " + textOf(window));
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            printLine(std::to_wstring(GetDlgCtrlID(child)) + L": " + textOf(child));
    }
    return found ? 0 : 1;
}
