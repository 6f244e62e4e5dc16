#include "synth/soundfont.h"

#include "recording/file_messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <tuple>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes u16(unsigned v) {
    return {uint8_t(v), uint8_t(v >> 8)};
}

Bytes u32(uint32_t v) {
    return u16(v & 0xFFFF) + u16(v >> 16);
}

Bytes id(const char* s) {
    return Bytes(s, s + 4);
}

Bytes name(const char* s) { // 20 bytes, not necessarily ending in a 0
    Bytes bytes(20, 0);
    std::memcpy(bytes.data(), s, std::min<size_t>(std::strlen(s), 20));
    return bytes;
}

Bytes chunk(const char* tag, const Bytes& body) { // padded to an even size
    Bytes bytes = id(tag) + u32(uint32_t(body.size())) + body;
    if (body.size() % 2 != 0)
        bytes.push_back(0);
    return bytes;
}

Bytes list(const char* type, const Bytes& chunks) {
    return chunk("LIST", id(type) + chunks);
}

// The pieces of a small font, each free to be changed before it is put together.
struct Parts {
    Bytes ifil = u16(2) + u16(1);
    Bytes smpl = u16(0) + u16(1000) + u16(0x10000 - 1000) + u16(32767) + u16(0x8000) + u16(5) +
                 u16(6) + u16(7);
    Bytes phdr = name("Piano") + u16(0) + u16(0) + u16(0) + Bytes(12, 0) + name("Drums") + u16(0) +
                 u16(128) + u16(2) + Bytes(12, 0) + name("EOP") + u16(0) + u16(0) + u16(3) +
                 Bytes(12, 0);
    Bytes pbag = u16(0) + u16(0) + u16(2) + u16(1) + u16(3) + u16(1) + u16(4) + u16(1);
    Bytes pmod = u16(0x0502) + u16(sfInitialAttenuation) + u16(0x10000 - 960) + u16(0) + u16(0) +
                 Bytes(10, 0);
    Bytes pgen = u16(sfKeyRange) + u16(0x3C00) + u16(sfInstrument) + u16(0) + u16(sfInstrument) +
                 u16(1) + u16(sfInstrument) + u16(1) + u16(0) + u16(0);
    Bytes inst =
        name("Sine") + u16(0) + name("ABCDEFGHIJKLMNOPQRST") + u16(1) + name("EOI") + u16(2);
    Bytes ibag = u16(0) + u16(0) + u16(2) + u16(0) + u16(3) + u16(0);
    Bytes imod = Bytes(10, 0);
    Bytes igen = u16(sfSampleModes) + u16(1) + u16(sfSampleID) + u16(0) + u16(sfSampleID) + u16(1) +
                 u16(0) + u16(0);
    Bytes shdr = name("SineL") + u32(0) + u32(4) + u32(1) + u32(3) + u32(44100) + Bytes{60, 0xFB} +
                 u16(1) + u16(4) + name("SineR") + u32(4) + u32(8) + u32(9) + u32(2) + u32(22050) +
                 Bytes{72, 3} + u16(0) + u16(2) + name("EOS\0junk") + Bytes(26, 0);
    const char* form = "sfbk";
    std::vector<const char*> leftOut; // tables not put in

    Bytes table(const char* tag, const Bytes& body) const {
        for (const char* out : leftOut)
            if (std::strcmp(out, tag) == 0)
                return {};
        return chunk(tag, body);
    }
    Bytes file() const {
        const Bytes riff =
            id(form) + list("INFO", chunk("ifil", ifil) + chunk("INAM", {'a', 'b', 'c'})) +
            list("sdta", table("smpl", smpl) + chunk("sm24", {1, 2, 3, 4})) +
            list("pdta", table("phdr", phdr) + table("pbag", pbag) + table("pmod", pmod) +
                             table("pgen", pgen) + table("inst", inst) + table("ibag", ibag) +
                             table("imod", imod) + table("igen", igen) + table("shdr", shdr));
        return id("RIFF") + u32(uint32_t(riff.size())) + riff;
    }
};

std::wstring decode(const Bytes& file, SoundFont& font) {
    return decodeSoundFont(file.data(), file.size(), font);
}

TEST(SoundFont, ReadsEveryTableFieldByField) {
    SoundFont font;
    ASSERT_EQ(decode(Parts{}.file(), font), L"");

    EXPECT_EQ(font.samples, (std::vector<int16_t>{0, 1000, -1000, 32767, -32768, 5, 6, 7}));
    using Preset = std::tuple<std::string, int, int, int>;
    std::vector<Preset> presets;
    for (const SfPresetHeader& p : font.presets)
        presets.emplace_back(p.name, p.program, p.bank, p.firstZone);
    EXPECT_EQ(presets,
              (std::vector<Preset>{{"Piano", 0, 0, 0}, {"Drums", 0, 128, 2}, {"EOP", 0, 0, 3}}));
    using Pair = std::pair<int, int>;
    std::vector<Pair> zones, generators;
    for (const SfZone& z : font.presetZones)
        zones.emplace_back(z.firstGenerator, z.firstModulator);
    for (const SfGenerator& g : font.presetGenerators)
        generators.emplace_back(g.oper, g.amount);
    EXPECT_EQ(zones, (std::vector<Pair>{{0, 0}, {2, 1}, {3, 1}, {4, 1}}));
    EXPECT_EQ(generators, (std::vector<Pair>{{43, 0x3C00}, {41, 0}, {41, 1}, {41, 1}, {0, 0}}));
    ASSERT_EQ(font.presetModulators.size(), 2u);
    const SfModulator& m = font.presetModulators[0];
    EXPECT_EQ(std::make_tuple(m.source, m.destination, m.amount, m.amountSource, m.transform),
              std::make_tuple(0x0502, 48, -960, 0, 0));

    std::vector<std::pair<std::string, int>> instruments;
    for (const SfInstrumentHeader& h : font.instruments)
        instruments.emplace_back(h.name, h.firstZone);
    EXPECT_EQ(instruments, (std::vector<std::pair<std::string, int>>{
                               {"Sine", 0}, {"ABCDEFGHIJKLMNOPQRST", 1}, {"EOI", 2}}));
    zones.clear();
    generators.clear();
    for (const SfZone& z : font.instrumentZones)
        zones.emplace_back(z.firstGenerator, z.firstModulator);
    for (const SfGenerator& g : font.instrumentGenerators)
        generators.emplace_back(g.oper, g.amount);
    EXPECT_EQ(zones, (std::vector<Pair>{{0, 0}, {2, 0}, {3, 0}}));
    EXPECT_EQ(generators, (std::vector<Pair>{{54, 1}, {53, 0}, {53, 1}, {0, 0}}));
    EXPECT_EQ(font.instrumentModulators.size(), 1u);

    using Sample = std::tuple<std::string, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, int,
                              int, int, int>;
    std::vector<Sample> samples;
    for (const SfSampleHeader& s : font.sampleHeaders)
        samples.emplace_back(s.name, s.start, s.end, s.loopStart, s.loopEnd, s.sampleRate,
                             s.originalPitch, s.pitchCorrection, s.link, s.type);
    EXPECT_EQ(samples, (std::vector<Sample>{{"SineL", 0, 4, 1, 3, 44100, 60, -5, 1, 4},
                                            {"SineR", 4, 8, 9, 2, 22050, 72, 3, 0, 2},
                                            {"EOS", 0, 0, 0, 0, 0, 0, 0, 0, 0}}));
}

TEST(SoundFont, BrokenFilesRefusedWithWhatIsWrongAndTheFontLeftAsItWas) {
    const std::wstring cut = L"文件%s不完整: 一段数据比文件剩下的还长.",
                       sf3 = L"文件%s是压缩的SoundFont(SF3), 不被支持.",
                       notFont = L"文件%s不是SoundFont文件.", bad = L"文件%s已损坏: ";
    auto last = [](Bytes& table, size_t recordSize, size_t at) { // a field of the closing record
        return table.begin() + ptrdiff_t(table.size() - recordSize + at);
    };
    const std::pair<std::function<void(Parts&)>, std::wstring> cases[] = {
        {[](Parts& p) { p.form = "WAVE"; }, notFont},
        {[](Parts& p) { p.pgen.resize(p.pgen.size() - 2); }, bad + L"pgen的大小不是整数个记录."},
        {[](Parts& p) { p.shdr.push_back(0); }, bad + L"shdr的大小不是整数个记录."},
        {[](Parts& p) { p.leftOut = {"imod"}; }, bad + L"缺少imod."},
        {[](Parts& p) { p.leftOut = {"smpl"}; }, bad + L"缺少smpl."},
        {[](Parts& p) { p.phdr.resize(38); }, bad + L"phdr缺少结尾的记录."},
        {[](Parts& p) { p.inst.resize(22); }, bad + L"inst缺少结尾的记录."},
        {[](Parts& p) { p.pbag.clear(); }, bad + L"pbag缺少结尾的记录."},
        {[](Parts& p) { p.smpl.push_back(0); }, bad + L"smpl的大小是奇数."},
        // Zone and generator indices: going down, or past the closing record.
        {[&](Parts& p) { *last(p.phdr, 38, 24) = 1; }, bad + L"pbag的索引是递减的."},
        {[&](Parts& p) { *last(p.phdr, 38, 24) = 4; }, bad + L"pbag的索引超出范围."},
        {[&](Parts& p) { *last(p.pbag, 4, 0) = 5; }, bad + L"pgen的索引超出范围."},
        {[&](Parts& p) { *last(p.pbag, 4, 2) = 0; }, bad + L"pmod的索引是递减的."},
        {[&](Parts& p) { *last(p.inst, 22, 20) = 3; }, bad + L"ibag的索引超出范围."},
        {[&](Parts& p) { *last(p.ibag, 4, 0) = 1; }, bad + L"igen的索引是递减的."},
        {[&](Parts& p) { *last(p.ibag, 4, 2) = 1; }, bad + L"imod的索引超出范围."},
        // An instrument or sample generator naming a closing record or beyond.
        {[](Parts& p) { p.pgen[14] = 2; }, bad + L"inst的索引超出范围."},
        {[](Parts& p) { p.pgen[15] = 0xFF; }, bad + L"inst的索引超出范围."},
        {[](Parts& p) { p.igen[10] = 2; }, bad + L"shdr的索引超出范围."},
        {[](Parts& p) { p.shdr[46 + 24] = 9; }, bad + L"shdr中的采样超出smpl的范围."},
        {[](Parts& p) { p.shdr[20] = 5; }, bad + L"shdr中的采样超出smpl的范围."},
        {[](Parts& p) { p.ifil = u16(3) + u16(1); }, sf3},
        {[](Parts& p) { p.shdr[46 + 44] = 0x12; }, sf3},
    };
    for (const auto& [change, message] : cases) {
        Parts parts;
        change(parts);
        SoundFont font;
        font.presets.resize(7);
        EXPECT_EQ(decode(parts.file(), font), message);
        EXPECT_EQ(font.presets.size(), 7u) << message;
    }

    // Sizes that run beyond the file, from the RIFF form's down to a table's inside its list.
    const Bytes whole = Parts{}.file();
    Bytes tableTooLong = whole;
    tableTooLong[whole.size() - (8 + 3 * 46) + 4] = 0xFF; // shdr's size, the last chunk
    const std::pair<Bytes, std::wstring> sizes[] = {
        {{}, notFont},
        {Bytes(whole.begin(), whole.begin() + 11), notFont},
        {id("RIFF") + u32(0) + id("sfbk") + Bytes(8, 0), notFont},
        {Bytes(whole.begin(), whole.end() - 1), cut},
        {tableTooLong, cut},
    };
    for (const auto& [file, message] : sizes) {
        SoundFont font;
        EXPECT_EQ(decode(file, font), message);
    }
}

TEST(SoundFont, LenientWhereRealFontsDiffer) {
    // No modulator records at all; an odd last chunk without its pad byte; data after the form.
    Parts parts;
    parts.pmod.clear();
    parts.imod.clear();
    parts.pbag = u16(0) + u16(0) + u16(2) + u16(0) + u16(3) + u16(0) + u16(4) + u16(0);
    Bytes file = parts.file() + id("JUNK") + u32(3) + Bytes{1, 2, 3};
    const Bytes riffSize = u32(uint32_t(file.size() - 8));
    std::copy(riffSize.begin(), riffSize.end(), file.begin() + 4);
    file = file + Bytes{'x', 'y', 'z'};
    SoundFont font;
    ASSERT_EQ(decode(file, font), L"");
    EXPECT_EQ(font.presetModulators.size(), 1u);
    EXPECT_EQ(font.instrumentModulators.size(), 1u);
    EXPECT_EQ(font.presetModulators[0].destination, 0);
    EXPECT_EQ(font.samples.size(), 8u);
}

TEST(SoundFont, ReadFromFileOrRefused) {
    const std::filesystem::path path = ::testing::TempDir() + "tonvira_soundfont_test.sf2";
    const Bytes bytes = Parts{}.file();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    SoundFont font;
    EXPECT_EQ(readSoundFont(path, font), L"");
    EXPECT_EQ(font.samples.size(), 8u);
    std::filesystem::resize_file(path, (uint64_t{1} << 30) + 1); // sparse: nothing is read
    EXPECT_EQ(readSoundFont(path, font), L"文件%s太大: SoundFont文件最多1 GB.");
    std::filesystem::remove(path);
    EXPECT_EQ(readSoundFont(path, font), msgCannotOpenFile);
}

// Counts from the file's chunk sizes, read apart from this reader.
TEST(SoundFont, ReadsFluidR3) {
    const std::filesystem::path path = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << path << " is not installed";
    SoundFont font;
    ASSERT_EQ(readSoundFont(path, font), L"");
    EXPECT_EQ(font.samples.size(), 74098056u);
    EXPECT_EQ(font.presets.size(), 190u);
    EXPECT_EQ(font.presetZones.size(), 1055u);
    EXPECT_EQ(font.presetModulators.size(), 1u);
    EXPECT_EQ(font.presetGenerators.size(), 3060u);
    EXPECT_EQ(font.instruments.size(), 194u);
    EXPECT_EQ(font.instrumentZones.size(), 2819u);
    EXPECT_EQ(font.instrumentModulators.size(), 747u);
    EXPECT_EQ(font.instrumentGenerators.size(), 22464u);
    EXPECT_EQ(font.sampleHeaders.size(), 1419u);
    EXPECT_STREQ(font.presets[0].name, "Gun Shot");
    EXPECT_EQ(font.presets[0].program, 127);
    EXPECT_STREQ(font.presets.back().name, "EOP");
    EXPECT_STREQ(font.instruments[0].name, "Gun");
    const SfSampleHeader& s = font.sampleHeaders[0];
    EXPECT_EQ(std::make_tuple(s.start, s.end, s.loopStart, s.loopEnd, s.sampleRate),
              std::make_tuple(0u, 15394u, 8u, 15386u, 11025u));
}

} // namespace
