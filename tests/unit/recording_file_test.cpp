#include "recording/file_messages.h"
#include "recording/recording_file.h"

#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes text(const char* s, size_t n) {
    return Bytes(s, s + n);
}

Bytes le32(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes chunk(const char* id, const Bytes& data) {
    Bytes c = cat({text(id, 4), le32(uint32_t(data.size())), data});
    if (data.size() % 2)
        c.push_back(0);
    return c;
}

Bytes riff(const char* form, const Bytes& body) {
    return cat({text("RIFF", 4), le32(uint32_t(4 + body.size())), text(form, 4), body});
}

Bytes format(uint32_t count, uint32_t keyMode, uint32_t bass, size_t size = 24) {
    Bytes f = cat({le32(count), le32(keyMode), le32(bass), le32(0), le32(0), le32(0)});
    f.resize(size, 0);
    return f;
}

Bytes events(uint32_t n) {
    Bytes e;
    for (uint32_t i = 0; i < n; ++i)
        e = cat({e, le32(100 * i), le32(i % 2 ? 257 : 256), le32((30 + i % 10) << 16),
                 le32(i % 3 - 1)});
    return e;
}

const wchar_t* decode(const Bytes& bytes, LoadedRecording& out) {
    const MemoryBytes memory{bytes.data(), bytes.size()};
    return decodeRecording(memoryByteSource(memory), out);
}

std::wstring decodeError(const Bytes& bytes) {
    LoadedRecording out;
    const wchar_t* error = decode(bytes, out);
    return error ? error : L"ok";
}

const std::wstring notStandard = L"文件%s不是标准的Tonvira文件.";
const std::wstring notSupported = L"文件%s不是被支持的Tonvira文件.";
const std::wstring cannotRead = L"不能读取文件%s.";

TEST(RecordingFile, OneEventFileIsByteExact) {
    const PerfEvent event{1000, 256, 0x001E0001, 0};
    const auto header = encodeRecordingHeader(1, 1297, false, {2004, 3, 5});
    Bytes file(header.begin(), header.end());
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&event);
    file.insert(file.end(), raw, raw + sizeof event);
    const Bytes expected = cat({
        text("RIFF", 4),  le32(112),  text("QV  ", 4),
        text("LIST", 4),  le32(44),   text("INFO", 4),
        text("ISFT", 4),  le32(11),   text("QV by Wexi\0\0", 12),
        text("ISCD", 4),  le32(11),   text("2004-03-05\0\0", 12),
        text("fmt ", 4),  le32(24),   le32(1),
        le32(1297),       le32(0),    le32(0),
        le32(0),          le32(0),    text("data", 4),
        le32(16),         le32(1000), le32(256),
        le32(0x001E0001), le32(0),
    });
    EXPECT_EQ(file.size(), 120u);
    EXPECT_EQ(file, expected);
    const auto withBass = encodeRecordingHeader(3, 1302, true, {2026, 12, 31});
    EXPECT_EQ(Bytes(withBass.begin() + 4, withBass.begin() + 8), le32(96 + 48));
    EXPECT_EQ(Bytes(withBass.begin() + 52, withBass.begin() + 64), text("2026-12-31\0\0", 12));
    EXPECT_EQ(Bytes(withBass.begin() + 80, withBass.begin() + 84), le32(1));
    EXPECT_EQ(Bytes(withBass.begin() + 100, withBass.begin() + 104), le32(48));
}

TEST(RecordingFile, ReaderTakesWhatTheWriterWrote) {
    const Bytes eventBytes = events(7);
    const auto header = encodeRecordingHeader(7, 1330, true, {2004, 3, 5});
    const Bytes file = cat({Bytes(header.begin(), header.end()), eventBytes});
    LoadedRecording out;
    ASSERT_EQ(decode(file, out), nullptr);
    EXPECT_EQ(out.keyModeId, 1330u);
    EXPECT_EQ(out.autoBassWord, 1u);
    ASSERT_EQ(out.events.size(), 7u);
    EXPECT_EQ(std::memcmp(out.events.data(), eventBytes.data(), eventBytes.size()), 0);
    EXPECT_EQ(out.events[5].octaveShift, 1);
    EXPECT_EQ(out.events[3].message, 257u);
}

TEST(RecordingFile, OtherChunksAreSkippedAndSettingsComeBackRaw) {
    // No LIST, an odd-sized stranger before "fmt " and another between "fmt " and "data".
    const Bytes file =
        riff("QV  ", cat({chunk("junk", Bytes(5, 0xAA)), chunk("fmt ", format(2, 1400, 2)),
                          chunk("abcd", Bytes(3, 1)), chunk("data", events(2))}));
    LoadedRecording out;
    ASSERT_EQ(decode(file, out), nullptr);
    EXPECT_EQ(out.events.size(), 2u);
    EXPECT_EQ(out.keyModeId, 1400u); // judged by the caller
    EXPECT_EQ(out.autoBassWord, 2u); // anything but 1 means off, to the caller
}

TEST(RecordingFile, NotStandardFiles) {
    EXPECT_EQ(decodeError({}), notStandard);
    EXPECT_EQ(decodeError(text("hello, world", 12)), notStandard);
    EXPECT_EQ(decodeError(
                  riff("WAVE", cat({chunk("fmt ", format(1, 1297, 0)), chunk("data", events(1))}))),
              notStandard);
    EXPECT_EQ(decodeError(riff("QV  ", chunk("data", events(1)))), notStandard);
    EXPECT_EQ(decodeError(riff("QV  ", chunk("fmt ", format(1, 1297, 0)))), notStandard);
    EXPECT_EQ(decodeError(
                  riff("QV  ", cat({chunk("data", events(1)), chunk("fmt ", format(1, 1297, 0))}))),
              notStandard);
}

TEST(RecordingFile, NotSupportedFiles) {
    auto file = [](const Bytes& fmt, const Bytes& data) {
        return riff("QV  ", cat({chunk("fmt ", fmt), chunk("data", data)}));
    };
    EXPECT_EQ(decodeError(file(format(1, 1297, 0, 20), events(1))), notSupported);
    EXPECT_EQ(decodeError(file(format(1, 1297, 0, 28), events(1))), notSupported);
    EXPECT_EQ(decodeError(file(format(0, 1297, 0), {})), notSupported);
    EXPECT_EQ(decodeError(file(format(3, 1297, 0), events(2))), notSupported);
    EXPECT_EQ(decodeError(file(format(3, 1297, 0), events(4))), notSupported);
    // 16 x count must not wrap around in 32 bits: 0x10000001 x 16 = 0x100000010.
    EXPECT_EQ(decodeError(file(format(0x10000001u, 1297, 0), events(1))), notSupported);
}

TEST(RecordingFile, TruncatedFilesCannotBeReadAndAreNeverTrusted) {
    // "data" promises a million events; the file holds one. Nothing near 16 MB may be allocated.
    Bytes promising = riff("QV  ", cat({chunk("fmt ", format(1000000, 1297, 0)), text("data", 4),
                                        le32(16000000), events(1)}));
    fake::largestAllocation = 0;
    EXPECT_EQ(decodeError(promising), cannotRead);
    EXPECT_LT(fake::largestAllocation, 1u << 20);
    // The RIFF size may promise more than the file holds too.
    Bytes shortFormat =
        cat({text("RIFF", 4), le32(200), text("QV  ", 4), text("fmt ", 4), le32(24), le32(1)});
    EXPECT_EQ(decodeError(shortFormat), cannotRead);
    // Every truncation of a valid file fails cleanly.
    const Bytes whole =
        riff("QV  ", cat({chunk("fmt ", format(2, 1297, 0)), chunk("data", events(2))}));
    for (size_t length = 0; length < whole.size(); ++length)
        EXPECT_NE(decodeError(Bytes(whole.begin(), whole.begin() + length)), L"ok") << length;
}

TEST(RecordingFile, FailedReadLeavesTheCallersRecordingAlone) {
    LoadedRecording out;
    out.events = {{1, 256, 30 << 16, 0}};
    out.keyModeId = 1299;
    out.autoBassWord = 1;
    const Bytes file =
        riff("QV  ", cat({chunk("fmt ", format(2, 1297, 0)), chunk("data", events(1))}));
    EXPECT_NE(decode(file, out), nullptr);
    EXPECT_EQ(out.events.size(), 1u);
    EXPECT_EQ(out.keyModeId, 1299u);
    EXPECT_EQ(out.autoBassWord, 1u);
}

// Files on disk, in a folder of this test's own.
class RecordingFileOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        fake::reset();
        folder = fs::temp_directory_path() /
                 ("tonvira-test-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    static Bytes contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void put(const fs::path& path, const Bytes& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    size_t filesInFolder() const {
        return size_t(std::distance(fs::directory_iterator(folder), {}));
    }

    fs::path folder;
    const EventList list{{1000, 256, 30 << 16, 0}, {500, 257, 30 << 16, 0}};
};

TEST_F(RecordingFileOnDisk, SaveAndLoadRoundTrip) {
    const fs::path path = folder / "歌曲.qvi";
    ASSERT_EQ(writeRecordingFile(list, 1314, true, path), nullptr);
    EXPECT_EQ(fs::file_size(path), 104u + 32u);
    EXPECT_EQ(filesInFolder(), 1u); // no temporary left behind
    LoadedRecording out;
    ASSERT_EQ(readRecordingFile(path, out), nullptr);
    EXPECT_EQ(out.keyModeId, 1314u);
    EXPECT_EQ(out.autoBassWord, 1u);
    ASSERT_EQ(out.events.size(), 2u);
    EXPECT_EQ(std::memcmp(out.events.data(), list.data(), 32), 0);
    // Saving again replaces the file.
    ASSERT_EQ(writeRecordingFile({list[0]}, 1297, false, path), nullptr);
    EXPECT_EQ(fs::file_size(path), 120u);
}

TEST_F(RecordingFileOnDisk, TakingUpRefusesKeyModesOutsideTheMenusRange) {
    const fs::path path = folder / "k.qvi";
    for (uint32_t keyMode : {1296u, 1297u, 1332u, 1333u}) {
        ASSERT_EQ(writeRecordingFile(list, keyMode, false, path), nullptr);
        LoadedRecording out;
        out.keyModeId = 7;
        const wchar_t* error = readRecordingToTakeUp(path, out);
        const bool inRange = keyMode == 1297u || keyMode == 1332u;
        EXPECT_EQ(error, inRange ? nullptr : msgNotSupportedFile) << keyMode;
        EXPECT_EQ(out.keyModeId, inRange ? keyMode : 7u) << keyMode;
    }
}

TEST_F(RecordingFileOnDisk, MissingOrUnopenableFilesCannotBeFound) {
    LoadedRecording out;
    EXPECT_EQ(std::wstring(readRecordingFile(folder / "absent.qvi", out)),
              L"不能找到或打开文件%s.");
    EXPECT_EQ(std::wstring(readRecordingFile(folder, out)), L"不能找到或打开文件%s.");
}

TEST_F(RecordingFileOnDisk, ImpossibleTargetsCannotBeCreatedAndKeepWhatWasThere) {
    const std::wstring cannotCreate = L"不能创建文件%s.";
    EXPECT_EQ(std::wstring(writeRecordingFile(list, 1297, false, folder / "no" / "such" / "x.qvi")),
              cannotCreate);
    EXPECT_EQ(std::wstring(writeRecordingFile(list, 1297, false, folder)), cannotCreate);
    const fs::path readOnly = folder / "locked.qvi";
    put(readOnly, text("precious", 8));
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_EQ(std::wstring(writeRecordingFile(list, 1297, false, readOnly)), cannotCreate);
    EXPECT_EQ(contents(readOnly), text("precious", 8));
    EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(RecordingFileOnDisk, DiskFullKeepsThePreviousFileAndLeavesNoTemporary) {
    const fs::path path = folder / "song.qvi";
    put(path, text("the previous recording", 22));
    EventList big(10000, PerfEvent{10, 256, 30 << 16, 0});
    // A file size limit makes the write fail part-way, as a full disk would.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const wchar_t* error = writeRecordingFile(big, 1297, false, path);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(std::wstring(error), L"不能写入文件%s.");
    EXPECT_EQ(contents(path), text("the previous recording", 22));
    EXPECT_EQ(filesInFolder(), 1u);
}

TEST(FileMessages, NameFillsThePlaceholder) {
    EXPECT_EQ(fillMessage(L"不能读取文件%s.", L"a.qvi"), L"不能读取文件a.qvi.");
    EXPECT_EQ(fillMessage(L"文件%s不是标准的Tonvira文件.", L"%s"), L"文件%s不是标准的Tonvira文件.");
}

} // namespace
