// Key latency of the real main window under Windows or Wine: for 1 000 presses and releases,
// the time from dispatching the key message to the note's midiOutShortMsg, and to the end of the
// handler (which then has drawn the key). Prints p50 and p99; asserts nothing.
#include "app/layout.h"
#include "app/output_devices.h"
#include "app/shell.h"
#include "app/system_seam.h"

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

LARGE_INTEGER firstSend{}; // when the first short message of the current key event went out
bool waitingForSend = false;

double microseconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1e6 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

void report(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const double p50 = values[values.size() / 2];
    const double p99 = values[values.size() * 99 / 100];
    std::printf("%-34s p50 %8.1f us   p99 %8.1f us   max %8.1f us\n", what, p50, p99,
                values.back());
}

} // namespace

// The real MIDI output, with the moment of each send noted.
unsigned midiPortCount() {
    return midiOutGetNumDevs();
}
bool midiPortName(int index, std::wstring& name) {
    MIDIOUTCAPSW caps{};
    if (midiOutGetDevCapsW(static_cast<UINT_PTR>(static_cast<UINT>(index)), &caps, sizeof caps) !=
        MMSYSERR_NOERROR)
        return false;
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
    if (waitingForSend) {
        QueryPerformanceCounter(&firstSend);
        waitingForSend = false;
    }
    return midiOutShortMsg(static_cast<HMIDIOUT>(port), packedMessage);
}
void midiPortClose(void* port) {
    midiOutClose(static_cast<HMIDIOUT>(port));
}

int showMessageBox(HWND, const wchar_t* text, const wchar_t*, UINT) {
    std::fwprintf(stderr, L"message: %ls\n", text);
    return IDOK;
}
Modifiers readModifiers() {
    return {false, false};
}
bool runFileDialog(OPENFILENAMEW&, bool) {
    return false;
}
void openWithShell(const wchar_t*) {}
HMODULE loadHtmlHelpLibrary() {
    return nullptr;
}

int wmain() {
    shell.instance = GetModuleHandleW(nullptr);
    if (!loadPictures() || !registerMainWindowClass())
        return 1;
    HWND window = createMainWindow(SW_SHOWNORMAL);
    if (!window)
        return 1;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);

    const unsigned scans[] = {30, 31, 32, 33, 34, 35, 36, 37};
    std::vector<double> toNote, toEnd;
    for (int i = 0; i < 1000; ++i) {
        for (UINT keyMessage : {UINT(WM_KEYDOWN), UINT(WM_KEYUP)}) {
            LARGE_INTEGER start, end;
            waitingForSend = true;
            QueryPerformanceCounter(&start);
            SendMessageW(window, keyMessage, 0, static_cast<LPARAM>(scans[i % 8]) << 16);
            QueryPerformanceCounter(&end);
            if (waitingForSend)
                return 2; // no note went out
            toNote.push_back(microseconds(firstSend.QuadPart - start.QuadPart));
            toEnd.push_back(microseconds(end.QuadPart - start.QuadPart));
        }
    }
    std::printf("key latency, %zu key messages\n", toNote.size());
    report("dispatch to midiOutShortMsg", toNote);
    report("dispatch to end of handler", toEnd);
    DestroyWindow(window);
    releasePictures();
    return 0;
}
