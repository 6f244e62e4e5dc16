#include "tests/unit/fake_platform.h"

#include <cstdlib>
#include <limits>
#include <new>

namespace fake {

uint32_t nowMs = 0;
CalendarDate today{2004, 3, 5};
std::vector<uint32_t> sentMessages;
size_t failFromBytes = std::numeric_limits<size_t>::max();
size_t largestAllocation = 0;

void reset() {
    nowMs = 0;
    today = {2004, 3, 5};
    sentMessages.clear();
    failFromBytes = std::numeric_limits<size_t>::max();
    largestAllocation = 0;
}

} // namespace fake

uint32_t platformNowMs() {
    return fake::nowMs;
}

CalendarDate platformLocalDate() {
    return fake::today;
}

unsigned platformMidiDeviceCount() {
    return 1;
}

bool platformMidiDeviceName(int, std::wstring& name) {
    name = L"Test capture";
    return true;
}

bool platformMidiOpen(int, MidiOutHandle* handle) {
    *handle = &fake::sentMessages;
    return true;
}

uint32_t platformMidiSend(MidiOutHandle, uint32_t packedMessage) {
    fake::sentMessages.push_back(packedMessage);
    return 0;
}

void platformMidiClose(MidiOutHandle) {}

void* operator new(size_t size) {
    if (size > fake::largestAllocation)
        fake::largestAllocation = size;
    if (size >= fake::failFromBytes)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, size_t) noexcept {
    std::free(memory);
}
