// Test doubles for the Win32 shell: a MIDI output that records what it is sent, message boxes
// and file dialogs that answer at once, modifier keys the test sets, a shell that opens nothing
// and no HTML Help. Every test starts from fake = Fakes{}.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Fakes {
    unsigned devices = 1;
    bool mapper = true;
    bool openFails = false;
    int unreadable = -2;        // a device whose capabilities cannot be read (-1 = the mapper)
    std::vector<uint32_t> sent; // every short message, in order
    int closes = 0;
    std::vector<std::wstring> boxes; // "caption | text | type" of each message box
    std::vector<int> boxAnswers;     // taken in order; IDOK once they run out
    // A file dialog's answers are chosen paths, or empty for Cancel; with none left it is
    // cancelled. Each dialog is written "save|open FILTER FLAGS EXTENSION", its filter's strings
    // joined with '|', then " titled" when it has a title of its own instead of the system's,
    // and " incomplete" unless structure size, owner and buffer sizes are as a dialog needs them.
    std::vector<std::wstring> dialogAnswers;
    std::vector<std::wstring> dialogs;
    std::wstring dialogStartPath; // the last dialog's
    bool shiftDown = false;
    bool ctrlDown = false;
    std::vector<std::wstring> shellOpened; // what the About box asked the shell to open
    int helpLibraryLoads = 0;              // how often HTML Help was looked for
};
extern Fakes fake;
