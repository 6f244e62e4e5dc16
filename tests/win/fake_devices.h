// Test doubles for the Win32 shell: a MIDI output that records what it is sent, message boxes
// and file dialogs that answer at once, modifier keys the test sets, a shell that opens nothing
// and no HTML Help.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fake {

struct MidiSetup {
    unsigned devices = 1;
    bool mapper = true;
    bool openFails = false;
    int unreadable = -2; // a device whose capabilities cannot be read (-1 = the mapper)
};
extern MidiSetup midi;
extern std::vector<uint32_t> sent; // every short message, in order
extern int opens;
extern int closes;

struct Box {
    std::wstring text;
    std::wstring caption;
    unsigned type;
};
extern std::vector<Box> boxes;
extern std::vector<int> boxAnswers; // taken in order; IDOK once they run out

// A file dialog's answers are chosen paths, or empty for Cancel; with none left it is cancelled.
struct DialogCall {
    bool save;
    std::wstring filter; // its strings joined with '|', up to the empty one that ends it
    unsigned flags;
    std::wstring defaultExtension;
    bool titled; // a title of its own instead of the system's
    bool whole;  // structure size, owner and buffer sizes as a dialog needs them
    std::wstring startPath;
};
extern std::vector<std::wstring> dialogAnswers;
extern std::vector<DialogCall> dialogs;

extern bool shiftDown;
extern bool ctrlDown;

extern std::vector<std::wstring> shellOpened; // what the About box asked the shell to open
extern int helpLibraryLoads;                  // how often HTML Help was looked for

void reset();

} // namespace fake
