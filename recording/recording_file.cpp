#include "recording/recording_file.h"

#include "engine/key_table.h"
#include "recording/allocation.h"
#include "recording/file_messages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr uint32_t formatBlockSize = 24;
constexpr uint32_t eventSize = sizeof(PerfEvent);

void putFourCC(uint8_t* at, const char* code) {
    std::memcpy(at, code, 4);
}

void putLE32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t getLE32(const uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}

bool isFourCC(const uint8_t* at, const char* code) {
    return std::memcmp(at, code, 4) == 0;
}

// Small reads served from a window of the source, so that stepping over a run of tiny chunks (a
// file of zeros is one chunk header every 8 bytes) reads the source once per window, not once per
// chunk.
struct WindowedReader {
    const ByteSource& source;
    uint64_t start = 0; // where the window lies in the source
    size_t size = 0;    // how many of its bytes are read
    uint8_t window[16384];

    explicit WindowedReader(const ByteSource& from) : source(from) {}

    // Offsets lie far below 2^63 (they come from 32-bit sizes), so offset + count cannot wrap.
    bool readAt(uint64_t offset, void* destination, size_t count) {
        if (offset < start || offset + count > start + size) { // outside: the window moves there
            start = offset;
            size = static_cast<size_t>(
                std::min<uint64_t>(sizeof window, source.size - std::min(offset, source.size)));
            if (count > size || !source.readAt(source.context, start, window, size)) {
                size = 0;
                return false;
            }
        }
        std::memcpy(destination, window + (offset - start), count);
        return true;
    }
};

// Where a chunk's data starts and how long it says it is.
struct ChunkInfo {
    uint64_t dataOffset;
    uint32_t size;
};

// Looks for a chunk with the given id whose header lies wholly in [from, end), stepping over
// other chunks (and the pad byte after odd-sized ones) the way a RIFF reader descends.
bool findChunk(WindowedReader& source, uint64_t from, uint64_t end, const char* id,
               ChunkInfo& found) {
    uint64_t at = from;
    while (at + 8 <= end) {
        uint8_t header[8];
        if (!source.readAt(at, header, sizeof header))
            return false;
        const uint32_t size = getLE32(header + 4);
        if (isFourCC(header, id)) {
            found = {at + 8, size};
            return true;
        }
        at += 8 + uint64_t{size} + (size & 1);
    }
    return false;
}

// Finds the top-level RIFF chunk of form "QV  "; returns the end of its contents, clamped to the
// real end of the source so that nothing is searched beyond it.
bool findRecordingForm(WindowedReader& source, uint64_t& contentStart, uint64_t& contentEnd) {
    const uint64_t sourceSize = source.source.size;
    uint64_t at = 0;
    while (at + 12 <= sourceSize) {
        uint8_t header[12];
        if (!source.readAt(at, header, sizeof header))
            return false;
        const uint32_t size = getLE32(header + 4);
        if (isFourCC(header, "RIFF") && isFourCC(header + 8, "QV  ")) {
            contentStart = at + 12;
            contentEnd = std::min(at + 8 + size, sourceSize);
            return true;
        }
        at += 8 + uint64_t{size} + (size & 1);
    }
    return false;
}

bool readMemoryAt(void* context, uint64_t offset, void* destination, size_t count) {
    const MemoryBytes* bytes = static_cast<const MemoryBytes*>(context);
    if (offset > bytes->size || count > bytes->size - offset)
        return false;
    if (count != 0)
        std::memcpy(destination, bytes->data + offset, count);
    return true;
}

bool readFileAt(void* context, uint64_t offset, void* destination, size_t count) {
    return platformReadAt(static_cast<PlatformFile*>(context), offset, destination, count);
}

} // namespace

std::array<uint8_t, recordingHeaderSize>
encodeRecordingHeader(uint32_t count, uint32_t keyModeId, bool autoBass, const CalendarDate& date) {
    std::array<uint8_t, recordingHeaderSize> h{};
    uint8_t* p = h.data();
    putFourCC(p + 0, "RIFF");
    putLE32(p + 4, 96 + eventSize * count);
    putFourCC(p + 8, "QV  ");
    putFourCC(p + 12, "LIST");
    putLE32(p + 16, 44);
    putFourCC(p + 20, "INFO");
    putFourCC(p + 24, "ISFT");
    putLE32(p + 28, 11);
    std::memcpy(p + 32, "QV by Wexi", 11); // with its NUL; byte 43 is the pad
    putFourCC(p + 44, "ISCD");
    putLE32(p + 48, 11);
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d", date.year, date.month, date.day);
    std::memcpy(p + 52, stamp, 10); // bytes 62 (NUL) and 63 (pad) stay 0
    putFourCC(p + 64, "fmt ");
    putLE32(p + 68, formatBlockSize);
    putLE32(p + 72, count);
    putLE32(p + 76, keyModeId);
    putLE32(p + 80, autoBass ? 1 : 0);
    // 84..95: three reserved words, 0
    putFourCC(p + 96, "data");
    putLE32(p + 100, eventSize * count);
    return h;
}

const wchar_t* writeRecordingFile(const EventList& list, uint32_t keyModeId, bool autoBass,
                                  const std::filesystem::path& path) {
    // The RIFF size field must hold 96 + 16 x count.
    if (list.size() > (std::numeric_limits<uint32_t>::max() - 96) / eventSize)
        return msgCannotWriteFile;
    const uint32_t count = static_cast<uint32_t>(list.size());
    const auto header = encodeRecordingHeader(count, keyModeId, autoBass, platformLocalDate());
    const ByteRange pieces[] = {{header.data(), header.size()},
                                {list.data(), list.size() * sizeof(PerfEvent)}};
    return replaceFileMessage(platformReplaceFile(path, pieces, 2));
}

ByteSource memoryByteSource(const MemoryBytes& bytes) {
    return {const_cast<MemoryBytes*>(&bytes), bytes.size, readMemoryAt};
}

const wchar_t* decodeRecording(const ByteSource& source, LoadedRecording& out) {
    WindowedReader chunks(source);
    uint64_t formStart = 0, formEnd = 0;
    if (!findRecordingForm(chunks, formStart, formEnd))
        return msgNotStandardFile;

    ChunkInfo format{};
    if (!findChunk(chunks, formStart, formEnd, "fmt ", format))
        return msgNotStandardFile;
    if (format.size != formatBlockSize)
        return msgNotSupportedFile;
    uint8_t block[formatBlockSize];
    if (!source.readAt(source.context, format.dataOffset, block, sizeof block))
        return msgCannotReadFile;
    const uint32_t count = getLE32(block);
    if (count == 0)
        return msgNotSupportedFile;

    ChunkInfo data{};
    if (!findChunk(chunks, format.dataOffset + formatBlockSize, formEnd, "data", data))
        return msgNotStandardFile;
    const uint64_t dataBytes = uint64_t{count} * eventSize;
    if (data.size != dataBytes)
        return msgNotSupportedFile;

    // Only allocate what the source really holds.
    if (data.dataOffset > source.size || dataBytes > source.size - data.dataOffset ||
        dataBytes > std::numeric_limits<size_t>::max())
        return msgCannotReadFile;
    EventList events;
    if (!tryToAllocate([&] { events.resize(count); }))
        return msgCannotReadFile;
    if (!source.readAt(source.context, data.dataOffset, events.data(),
                       static_cast<size_t>(dataBytes)))
        return msgCannotReadFile;

    out.events = std::move(events);
    out.keyModeId = getLE32(block + 4);
    out.autoBassWord = getLE32(block + 8);
    return nullptr;
}

const wchar_t* readRecordingFile(const std::filesystem::path& path, LoadedRecording& out) {
    uint64_t size = 0;
    PlatformFile* file = platformOpenForReading(path, &size);
    if (!file)
        return msgCannotOpenFile;
    const wchar_t* error = decodeRecording({file, size, readFileAt}, out);
    platformCloseFile(file);
    return error;
}

const wchar_t* readRecordingToTakeUp(const std::filesystem::path& path, LoadedRecording& loaded) {
    LoadedRecording read;
    const wchar_t* error = readRecordingFile(path, read);
    if (error)
        return error;
    if (read.keyModeId < static_cast<uint32_t>(keyModeFirst) ||
        read.keyModeId > static_cast<uint32_t>(keyModeLast))
        return msgNotSupportedFile; // nothing of it is taken: the old recording stays
    loaded = std::move(read);
    return nullptr;
}
