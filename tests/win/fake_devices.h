// Test doubles for the Win32 shell: a MIDI output that keeps what it is sent, message boxes and
// file dialogs that answer at once, modifier keys the test sets, a shell that opens nothing and
// no HTML Help. Every test starts from fake = Fakes{}.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Fakes {
    unsigned devices = 1;
    bool openFails = false;
    std::vector<uint32_t> sent; // every short message, in order
    int closes = 0;
    std::vector<std::wstring> boxes; // "caption | text | type" of each message box
    std::vector<int> boxAnswers;     // taken in order; IDOK once they run out
    // A dialog's answers are chosen paths, or empty for Cancel (as is a dialog with none left).
    // Each dialog is written "save|open FILTER FLAGS EXTENSION", the filter's strings joined with
    // '|', and " incomplete" unless its record is filled as a plain dialog of the program needs.
    std::vector<std::wstring> dialogAnswers;
    std::vector<std::wstring> dialogs;
    std::wstring dialogStartPath; // the last dialog's
    bool shiftDown = false;
    std::vector<std::wstring> shellOpened; // what the About box asked the shell to open
    int helpLibraryLoads = 0;
};
extern Fakes fake;
