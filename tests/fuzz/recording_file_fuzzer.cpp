// Arbitrary bytes to the recording-file reader: it fails cleanly or reads events the bytes hold.
#include "recording/recording_file.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MemoryBytes bytes{data, size};
    LoadedRecording loaded;
    if (decodeRecording(memoryByteSource(bytes), loaded) == nullptr &&
        (loaded.events.empty() || loaded.events.size() * sizeof(PerfEvent) > size))
        std::abort();
    return 0;
}
