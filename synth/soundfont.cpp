#include "synth/soundfont.h"

#include "engine/platform.h"
#include "recording/file_messages.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr wchar_t msgNotSoundFont[] = L"文件%s不是SoundFont文件.";
constexpr wchar_t msgCompressed[] = L"文件%s是压缩的SoundFont(SF3), 不被支持.";
constexpr wchar_t msgTruncated[] = L"文件%s不完整: 一段数据比文件剩下的还长.";
constexpr wchar_t msgFileTooLarge[] = L"文件%s太大: SoundFont文件最多1 GB.";
constexpr uint64_t maxFileBytes = uint64_t{1} << 30;

uint16_t le16(const uint8_t* at) {
    return uint16_t(at[0] | at[1] << 8);
}

uint32_t le32(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

bool isId(const uint8_t* at, const char* id) {
    return std::memcmp(at, id, 4) == 0;
}

// The message for a table or chunk that is wrong; name is one of ours, never the file's bytes.
std::wstring broken(const wchar_t* name, const wchar_t* what) {
    return std::wstring(L"文件%s已损坏: ") + name + what;
}

// Stored names need not end in a 0; whatever follows a first 0 is dropped.
void copyName(char (&to)[21], const uint8_t* from) {
    std::memset(to, 0, sizeof to);
    for (size_t i = 0; i < 20 && from[i] != 0; ++i)
        to[i] = char(from[i]);
}

// The bytes of a file, in memory or read piece by piece, so that a font on disk is never held
// twice: its sample data goes straight into the font.
class Source {
  public:
    Source(const uint8_t* data, size_t size) : size(size), data(data) {}
    Source(PlatformFile* file, uint64_t size) : size(size), file(file), window(1 << 16) {}

    // count bytes from at, which the caller has checked lie in the file; false on a read error.
    bool read(uint64_t at, void* to, size_t count) {
        if (count == 0)
            return true;
        if (!file) {
            std::memcpy(to, data + at, count);
            return true;
        }
        if (count > smallRead)
            return platformReadAt(file, at, to, count);
        // Chunk headers come through a window, so that a file of many small chunks still reads
        // in few calls.
        if (at < windowAt || at + count > windowAt + windowSize) {
            windowAt = at;
            windowSize = size_t(std::min<uint64_t>(window.size(), size - at));
            if (!platformReadAt(file, at, window.data(), windowSize)) {
                windowSize = 0;
                return false;
            }
        }
        std::memcpy(to, window.data() + (at - windowAt), count);
        return true;
    }

    const uint64_t size;

  private:
    static constexpr size_t smallRead = 64;
    const uint8_t* data = nullptr;
    PlatformFile* file = nullptr;
    uint64_t windowAt = 0;
    size_t windowSize = 0;
    std::vector<uint8_t> window;
};

struct Chunk {
    uint8_t id[4] = {};
    uint8_t type[4] = {}; // of a LIST, else zeros
    uint64_t body = 0;    // offset in the file
    uint64_t size = 0;    // of the body, after a LIST's type
    bool found = false;
};

// The chunks from begin to end. Each one's size is checked against the bytes left; the pad byte
// after an odd-sized chunk may be missing at the very end. Fewer than 8 bytes left over are not
// a chunk and are ignored. Returns the message for what went wrong, nullptr if nothing did.
const wchar_t* splitChunks(Source& source, uint64_t begin, uint64_t end,
                           std::vector<Chunk>& chunks) {
    uint64_t at = begin;
    while (at <= end && end - at >= 8) {
        uint8_t header[8];
        if (!source.read(at, header, 8))
            return msgCannotReadFile;
        Chunk chunk;
        std::memcpy(chunk.id, header, 4);
        chunk.size = le32(header + 4);
        chunk.body = at + 8;
        chunk.found = true;
        if (chunk.size > end - at - 8)
            return msgTruncated;
        at += 8 + chunk.size;
        if (chunk.size % 2 != 0 && at < end)
            ++at;
        if (isId(chunk.id, "LIST") && chunk.size >= 4) {
            if (!source.read(chunk.body, chunk.type, 4))
                return msgCannotReadFile;
            chunk.body += 4;
            chunk.size -= 4;
        }
        chunks.push_back(chunk);
    }
    return nullptr;
}

// The first chunk named id among chunks, or one not found.
Chunk find(const std::vector<Chunk>& chunks, const char* id) {
    for (const Chunk& chunk : chunks)
        if (isId(chunk.id, id))
            return chunk;
    return {};
}

// The first LIST chunk of the given type, or one not found.
Chunk findList(const std::vector<Chunk>& chunks, const char* type) {
    for (const Chunk& chunk : chunks)
        if (isId(chunk.id, "LIST") && isId(chunk.type, type))
            return chunk;
    return {};
}

// Reads a table of fixed-size records, each decoded by decode(record, item).
template <size_t recordSize, typename Item, typename Decode>
std::wstring readTable(Source& source, const std::vector<Chunk>& chunks, const char* id,
                       const wchar_t* name, size_t minRecords, std::vector<Item>& items,
                       Decode decode) {
    const Chunk chunk = find(chunks, id);
    if (!chunk.found)
        return broken(L"缺少", name) + L".";
    if (chunk.size % recordSize != 0)
        return broken(name, L"的大小不是整数个记录.");
    const size_t count = size_t(chunk.size / recordSize);
    if (count < minRecords)
        return broken(name, L"缺少结尾的记录.");
    std::vector<uint8_t> bytes(size_t(chunk.size));
    if (!source.read(chunk.body, bytes.data(), bytes.size()))
        return msgCannotReadFile;
    items.resize(count);
    for (size_t i = 0; i < count; ++i)
        decode(bytes.data() + i * recordSize, items[i]);
    return {};
}

// First indices of a table into the next one (count items): never going down, the last one an
// item of that table, so that every entry's items end inside it. Returns what is wrong, if any.
template <typename Entry, typename Index>
const wchar_t* checkFirstIndices(const std::vector<Entry>& entries, Index index, size_t count) {
    for (size_t i = 1; i < entries.size(); ++i)
        if (entries[i].*index < entries[i - 1].*index)
            return L"的索引是递减的.";
    return entries.empty() || entries.back().*index < count ? nullptr : L"的索引超出范围.";
}

void decodePreset(const uint8_t* at, SfPresetHeader& p) {
    copyName(p.name, at);
    p.program = le16(at + 20);
    p.bank = le16(at + 22);
    p.firstZone = le16(at + 24);
}

void decodeInstrument(const uint8_t* at, SfInstrumentHeader& h) {
    copyName(h.name, at);
    h.firstZone = le16(at + 20);
}

void decodeSample(const uint8_t* at, SfSampleHeader& s) {
    copyName(s.name, at);
    s.start = le32(at + 20);
    s.end = le32(at + 24);
    s.loopStart = le32(at + 28);
    s.loopEnd = le32(at + 32);
    s.sampleRate = le32(at + 36);
    s.originalPitch = at[40];
    s.pitchCorrection = int8_t(at[41]);
    s.link = le16(at + 42);
    s.type = le16(at + 44);
}

void decodeZone(const uint8_t* at, SfZone& z) {
    z = {le16(at), le16(at + 2)};
}

void decodeModulator(const uint8_t* at, SfModulator& m) {
    m = {le16(at), le16(at + 2), int16_t(le16(at + 4)), le16(at + 6), le16(at + 8)};
}

void decodeGenerator(const uint8_t* at, SfGenerator& g) {
    g = {le16(at), le16(at + 2)};
}

std::wstring readTables(Source& source, const std::vector<Chunk>& pdta, SoundFont& font) {
    std::wstring error[] = {
        readTable<38>(source, pdta, "phdr", L"phdr", 2, font.presets, decodePreset),
        readTable<4>(source, pdta, "pbag", L"pbag", 1, font.presetZones, decodeZone),
        readTable<10>(source, pdta, "pmod", L"pmod", 0, font.presetModulators, decodeModulator),
        readTable<4>(source, pdta, "pgen", L"pgen", 1, font.presetGenerators, decodeGenerator),
        readTable<22>(source, pdta, "inst", L"inst", 2, font.instruments, decodeInstrument),
        readTable<4>(source, pdta, "ibag", L"ibag", 1, font.instrumentZones, decodeZone),
        readTable<10>(source, pdta, "imod", L"imod", 0, font.instrumentModulators, decodeModulator),
        readTable<4>(source, pdta, "igen", L"igen", 1, font.instrumentGenerators, decodeGenerator),
        readTable<46>(source, pdta, "shdr", L"shdr", 1, font.sampleHeaders, decodeSample),
    };
    // A modulator table with no records at all, as some editors write, gets the closing one.
    for (std::vector<SfModulator>* modulators :
         {&font.presetModulators, &font.instrumentModulators})
        if (modulators->empty())
            modulators->push_back({0, 0, 0, 0, 0});
    for (std::wstring& e : error)
        if (!e.empty())
            return e;
    return {};
}

// Every index from one table into another, and every generator naming an instrument or sample.
std::wstring checkIndices(const SoundFont& font) {
    const struct {
        const wchar_t* table; // the one indexed
        const wchar_t* wrong;
    } links[] = {
        {L"pbag",
         checkFirstIndices(font.presets, &SfPresetHeader::firstZone, font.presetZones.size())},
        {L"pgen", checkFirstIndices(font.presetZones, &SfZone::firstGenerator,
                                    font.presetGenerators.size())},
        {L"pmod", checkFirstIndices(font.presetZones, &SfZone::firstModulator,
                                    font.presetModulators.size())},
        {L"ibag", checkFirstIndices(font.instruments, &SfInstrumentHeader::firstZone,
                                    font.instrumentZones.size())},
        {L"igen", checkFirstIndices(font.instrumentZones, &SfZone::firstGenerator,
                                    font.instrumentGenerators.size())},
        {L"imod", checkFirstIndices(font.instrumentZones, &SfZone::firstModulator,
                                    font.instrumentModulators.size())},
    };
    for (const auto& link : links)
        if (link.wrong)
            return broken(link.table, link.wrong);
    // The closing records name nothing, so neither may a generator.
    for (const SfGenerator& g : font.presetGenerators)
        if (g.oper == sfInstrument && g.amount >= font.instruments.size() - 1)
            return broken(L"inst", L"的索引超出范围.");
    for (const SfGenerator& g : font.instrumentGenerators)
        if (g.oper == sfSampleID && g.amount >= font.sampleHeaders.size() - 1)
            return broken(L"shdr", L"的索引超出范围.");
    return {};
}

bool readSamples(Source& source, const Chunk& smpl, std::vector<int16_t>& samples) {
    samples.resize(size_t(smpl.size / 2));
    if (!source.read(smpl.body, samples.data(), size_t(smpl.size)))
        return false;
    if constexpr (std::endian::native != std::endian::little)
        for (int16_t& sample : samples)
            sample = int16_t(le16(reinterpret_cast<const uint8_t*>(&sample)));
    return true;
}

std::wstring decode(Source& source, SoundFont& out) {
    uint8_t header[12];
    if (source.size < 12)
        return msgNotSoundFont;
    if (!source.read(0, header, 12))
        return msgCannotReadFile;
    if (!isId(header, "RIFF") || !isId(header + 8, "sfbk"))
        return msgNotSoundFont;
    const uint64_t riffSize = le32(header + 4);
    if (riffSize < 4) // not even the form type
        return msgNotSoundFont;
    if (riffSize > source.size - 8)
        return msgTruncated;
    std::vector<Chunk> top, info, sdta, pdta;
    if (const wchar_t* error = splitChunks(source, 12, 8 + riffSize, top))
        return error;
    const Chunk infoList = findList(top, "INFO"), sdtaList = findList(top, "sdta"),
                pdtaList = findList(top, "pdta");
    for (auto [list, chunks] :
         {std::pair{&infoList, &info}, {&sdtaList, &sdta}, {&pdtaList, &pdta}})
        if (list->found)
            if (const wchar_t* error =
                    splitChunks(source, list->body, list->body + list->size, *chunks))
                return error;
    if (const Chunk ifil = find(info, "ifil"); ifil.found && ifil.size >= 4) {
        uint8_t version[2];
        if (!source.read(ifil.body, version, 2))
            return msgCannotReadFile;
        if (le16(version) == 3)
            return msgCompressed;
    }
    if (!pdtaList.found)
        return broken(L"缺少", L"pdta.");

    SoundFont font;
    if (std::wstring error = readTables(source, pdta, font); !error.empty())
        return error;
    for (size_t i = 0; i + 1 < font.sampleHeaders.size(); ++i)
        if (font.sampleHeaders[i].type & 0x10)
            return msgCompressed;
    const Chunk smpl = find(sdta, "smpl");
    if (!smpl.found)
        return broken(L"缺少", L"smpl.");
    if (smpl.size % 2 != 0)
        return broken(L"smpl", L"的大小是奇数.");
    if (std::wstring error = checkIndices(font); !error.empty())
        return error;
    const uint64_t sampleCount = smpl.size / 2;
    for (size_t i = 0; i + 1 < font.sampleHeaders.size(); ++i)
        if (const SfSampleHeader& s = font.sampleHeaders[i]; s.start > s.end || s.end > sampleCount)
            return broken(L"shdr", L"中的采样超出smpl的范围.");
    if (!readSamples(source, smpl, font.samples))
        return msgCannotReadFile;
    out = std::move(font);
    return {};
}

} // namespace

std::wstring decodeSoundFont(const uint8_t* data, size_t size, SoundFont& out) {
    Source source(data, size);
    return decode(source, out);
}

std::wstring readSoundFont(const std::filesystem::path& path, SoundFont& out) {
    uint64_t size = 0;
    PlatformFile* file = platformOpenForReading(path, &size);
    if (!file)
        return msgCannotOpenFile;
    if (size > maxFileBytes) {
        platformCloseFile(file);
        return msgFileTooLarge;
    }
    Source source(file, size);
    std::wstring message = decode(source, out);
    platformCloseFile(file);
    return message;
}
