#include "app/system_seam.h"
#include "tests/win/fake_devices.h"

namespace fake {

std::vector<Box> boxes;
bool shiftDown = false;
bool ctrlDown = false;

void reset() {
    midi = MidiSetup{};
    sent.clear();
    opens = 0;
    closes = 0;
    boxes.clear();
    shiftDown = false;
    ctrlDown = false;
}

} // namespace fake

int showMessageBox(HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
    fake::boxes.push_back({text, caption, type});
    return IDOK;
}

Modifiers readModifiers() {
    return {fake::shiftDown, fake::ctrlDown};
}
