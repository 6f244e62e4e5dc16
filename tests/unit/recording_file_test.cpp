#include "recording/file_messages.h"
#include "recording/recording_file.h"

#include "tests/unit/fake_platform.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

static Bytes chunk(const char* id, const Bytes& data) { // padded to an even size
    return cat({text(id, 4), le32(uint32_t(data.size())), data, Bytes(data.size() % 2, 0)});
}

static Bytes riff(const char* form, const Bytes& body) {
    return cat({text("RIFF", 4), le32(uint32_t(4 + body.size())), text(form, 4), body});
}

static Bytes format(uint32_t count, uint32_t keyMode = 1297, uint32_t bass = 0, size_t size = 24) {
    Bytes f = cat({le32(count), le32(keyMode), le32(bass), le32(0), le32(0), le32(0)});
    f.resize(size, 0);
    return f;
}

static Bytes events(uint32_t n) {
    Bytes e;
    for (uint32_t i = 0; i < n; ++i)
        e = cat({e, le32(100 * i), le32(256 + i % 2), le32((30 + i % 10) << 16), le32(i % 3 - 1)});
    return e;
}

static Bytes recording(const Bytes& fmt, const Bytes& data) {
    return riff("QV  ", cat({chunk("fmt ", fmt), chunk("data", data)}));
}

// Null when the file was taken, else its message.
static const wchar_t* decode(const Bytes& file, LoadedRecording& out) {
    const MemoryBytes memory{file.data(), file.size()};
    return decodeRecording(memoryByteSource(memory), out);
}

TEST(RecordingFile, ReaderFindsItsChunksAndTakesFieldsAsStored) {
    // No LIST; an odd-sized RIFF form of another kind first; odd-sized strangers before "fmt " and
    // "data"; bytes after the form that its size leaves out; 32-bit fields with the top byte set.
    const Bytes stored =
        cat({events(7), le32(0xFF000001u), le32(0x81000101u), le32(30 << 16), le32(0xFFFFFFFEu)});
    const Bytes file = cat({riff("WAVE", text("odd", 3)), Bytes{0},
                            riff("QV  ", cat({chunk("junk", Bytes(5, 0xAA)),
                                              chunk("fmt ", format(8, 0x80000515u, 0x01000001u)),
                                              chunk("abcd", Bytes(3, 1)), chunk("data", stored)})),
                            text("trailing", 8)});
    LoadedRecording out;
    ASSERT_EQ(decode(file, out), nullptr);
    EXPECT_EQ(out.keyModeId, 0x80000515u);
    EXPECT_EQ(out.autoBassWord, 0x01000001u);
    ASSERT_EQ(out.events.size(), 8u);
    EXPECT_EQ(std::memcmp(out.events.data(), stored.data(), stored.size()), 0);
}

// A refused file leaves the caller's recording as it was, and its sizes are never trusted.
TEST(RecordingFile, RefusedFiles) {
    const wchar_t *notStandard = msgNotStandardFile, *notSupported = msgNotSupportedFile,
                  *cannotRead = msgCannotReadFile;
    const Bytes fmt = chunk("fmt ", format(1)), data = chunk("data", events(1));
    const struct {
        const char* name;
        Bytes file;
        const wchar_t* error;
        size_t failFromBytes = SIZE_MAX;
    } cases[] = {
        // clang-format off
        {"empty", {}, notStandard},
        {"other form", riff("WAVE", cat({fmt, data})), notStandard},
        {"no fmt", riff("QV  ", data), notStandard},
        {"no data", riff("QV  ", fmt), notStandard},
        {"data first", riff("QV  ", cat({data, fmt})), notStandard},
        {"RIFF size ends before fmt", cat({text("RIFF", 4), le32(4), text("QV  ", 4), fmt, data}),
         notStandard},
        {"RIFF size ends in the data chunk's header",
         cat({text("RIFF", 4), le32(43), text("QV  ", 4), fmt, data}), notStandard},
        {"fmt of 20", recording(format(1, 1297, 0, 20), events(1)), notSupported},
        {"fmt of 28", recording(format(1, 1297, 0, 28), events(1)), notSupported},
        {"count 0", recording(format(0), {}), notSupported},
        {"no events", recording(format(1), {}), notSupported},
        {"one record short", recording(format(3), events(2)), notSupported},
        {"one record long", recording(format(3), events(4)), notSupported},
        {"16 x count wraps in 32 bits", recording(format(0x10000001u), events(1)), notSupported},
        {"data beyond the file", riff("QV  ", cat({chunk("fmt ", format(1000000)),
                                                   text("data", 4), le32(16000000), events(1)})),
         cannotRead},
        {"the data chunk's header ends the file, a window after fmt",
         riff("QV  ", cat({fmt, chunk("junk", Bytes(20000, 0)), text("data", 4), le32(16)})),
         cannotRead},
        {"RIFF size beyond the end of fmt",
         cat({text("RIFF", 4), le32(200), text("QV  ", 4), text("fmt ", 4), le32(24), le32(1)}),
         cannotRead},
        {"no memory for the events", recording(format(4), events(4)), cannotRead, 64}};
    // clang-format on
    for (const auto& c : cases) {
        LoadedRecording out{{{1, 256, 30 << 16, 0}}, 1299, 1};
        fake.reset();
        fake.failFromBytes = c.failFromBytes;
        const wchar_t* error = decode(c.file, out);
        fake.failFromBytes = SIZE_MAX;
        EXPECT_EQ(error, c.error) << c.name;
        EXPECT_LT(fake.largestAllocation, 1u << 20) << c.name;
        EXPECT_TRUE(out.events.size() == 1 && out.keyModeId == 1299 && out.autoBassWord == 1)
            << c.name;
    }
    const Bytes whole = recording(format(2), events(2));
    LoadedRecording out;
    for (size_t length = 0; length < whole.size(); ++length)
        EXPECT_NE(decode(Bytes(whole.begin(), whole.begin() + length), out), nullptr) << length;
}

// A run of empty chunks (4 MiB of zeros, one header every 8 bytes) is read through once, a window
// of 16 KiB at a time, and refused; a valid file whose chunk headers straddle windows (at 16 380
// and 32 760) is read whole.
TEST(RecordingFile, TheChunkSearchReadsTheFileOnceThroughAWindow) {
    struct Counted {
        MemoryBytes bytes;
        size_t reads = 0;
        uint64_t bytesRead = 0;
    };
    auto countedRead = [](void* context, uint64_t offset, void* to, size_t count) {
        Counted& counted = *static_cast<Counted*>(context);
        ++counted.reads;
        counted.bytesRead += count;
        const ByteSource memory = memoryByteSource(counted.bytes);
        return memory.readAt(memory.context, offset, to, count);
    };
    const Bytes zeros(4 << 20, 0);
    Counted counted{{zeros.data(), zeros.size()}};
    LoadedRecording out;
    EXPECT_EQ(decodeRecording({&counted, zeros.size(), countedRead}, out), msgNotStandardFile);
    EXPECT_LE(counted.reads, 300u); // windows overlap by less than a chunk header
    EXPECT_LT(counted.bytesRead, zeros.size() + zeros.size() / 1000);
    const Bytes file =
        riff("QV  ", cat({chunk("junk", Bytes(16360, 7)), chunk("fmt ", format(2)),
                          chunk("pad ", Bytes(16340, 7)), chunk("data", events(2))}));
    EXPECT_EQ(decode(file, out), nullptr);
    EXPECT_EQ(out.events.size(), 2u);
}

TEST(RecordingFileOnDisk, SaveLoadAndTakeUpARealSizedRecording) {
    fake.today = {2026, 12, 7};
    ScratchFolder folder;
    const auto path = folder.path / "歌曲.qvi";
    EventList list;
    for (uint32_t i = 0; i < 3000; ++i)
        list.push_back({i * 7, 256 + i % 2, (2 + i % 52) << 16 | i, int32_t(i % 3) - 1});
    const mode_t mask = ::umask(022);
    ASSERT_EQ(writeRecordingFile(list, 1314, true, path), nullptr);
    EXPECT_EQ(::umask(mask), 022u); // the writer leaves the umask as it found it
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u); // as any new file, not private to its writer
    EXPECT_EQ(folder.fileCount(), 1u);     // no temporary left behind
    const Bytes file = contents(path);
    ASSERT_EQ(file.size(), 48104u); // the header byte for byte, dated today, then the events
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 104),
              cat({text("RIFF", 4), le32(48096), text("QV  ", 4),
                   text("LIST", 4), le32(44),    text("INFO", 4),
                   text("ISFT", 4), le32(11),    text("QV by Wexi\0\0", 12),
                   text("ISCD", 4), le32(11),    text("2026-12-07\0\0", 12),
                   text("fmt ", 4), le32(24),    le32(3000),
                   le32(1314),      le32(1),     le32(0),
                   le32(0),         le32(0),     text("data", 4),
                   le32(48000)}));
    EXPECT_EQ(std::memcmp(file.data() + 104, list.data(), 48000), 0);
    const auto files = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };
    const auto openBefore = files();
    LoadedRecording out;
    ASSERT_EQ(readRecordingFile(path, out), nullptr);
    EXPECT_EQ(files(), openBefore); // the file is closed again
    EXPECT_TRUE(out.keyModeId == 1314u && out.autoBassWord == 1u);
    ASSERT_EQ(out.events.size(), 3000u);
    EXPECT_EQ(std::memcmp(out.events.data(), list.data(), 16 * 3000), 0);
    for (uint32_t keyMode : {1296u, 1297u, 1332u, 1333u}) { // taken up only in the menu's range
        ASSERT_EQ(writeRecordingFile({list[0]}, keyMode, false, path), nullptr); // replaces it
        LoadedRecording taken;
        const bool inRange = keyMode == 1297u || keyMode == 1332u;
        EXPECT_EQ(readRecordingToTakeUp(path, taken), inRange ? nullptr : msgNotSupportedFile);
        EXPECT_EQ(std::pair(taken.keyModeId, taken.autoBassWord),
                  std::pair(inRange ? keyMode : 0u, 0u))
            << keyMode;
    }
    EXPECT_EQ(contents(path).size(), 120u);
}

TEST(RecordingFileOnDisk, FailuresKeepWhatWasThere) {
    ScratchFolder folder;
    const EventList list{{1000, 256, 30 << 16, 0}, {500, 257, 30 << 16, 0}};
    LoadedRecording out;
    EXPECT_EQ(readRecordingFile(folder.path / "absent.qvi", out), msgCannotOpenFile);
    EXPECT_EQ(readRecordingFile(folder.path, out), msgCannotOpenFile);
    const auto readOnly = folder.path / "locked.qvi";
    put(readOnly, text("precious", 8));
    ::chmod(readOnly.c_str(), 0555);
    for (const fs::path& target : {folder.path / "no" / "x.qvi", folder.path, readOnly})
        EXPECT_EQ(writeRecordingFile(list, 1297, false, target), msgCannotCreateFile) << target;
    EXPECT_EQ(contents(readOnly), text("precious", 8));
    // A file size limit makes the write fail part-way, as a full disk would.
    const auto path = folder.path / "song.qvi";
    put(path, text("the previous recording", 22));
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{4096, old.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const wchar_t* error = writeRecordingFile(EventList(1000, list[0]), 1297, false, path);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(error, msgCannotWriteFile);
    EXPECT_EQ(contents(path), text("the previous recording", 22));
    EXPECT_EQ(folder.fileCount(), 2u);
}

// Replacing a file keeps its permissions, writes through a symbolic link to the file it names
// (one not there yet is created), and leaves a file this user may not write as it was, even in a
// folder where anyone may create files.
TEST(RecordingFileOnDisk, AReplacedFileKeepsItsModeAndItsLinks) {
    ScratchFolder folder;
    const EventList one{{1000, 256, 30 << 16, 0}};
    const auto mode = [](const fs::path& path) {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0 ? info.st_mode : 0u;
    };
    const auto song = folder.path / "song.qvi", link = folder.path / "link.qvi";
    put(song, text("old", 3));
    ::chmod(song.c_str(), 02640); // set-group-id kept with its owner
    fs::create_directory(folder.path / "in");
    fs::create_symlink("../song.qvi", folder.path / "in" / "up.qvi");
    fs::create_symlink("in/up.qvi", link);
    fs::create_symlink("absent.qvi", folder.path / "dangling.qvi");
    for (const fs::path& target : {song, link, folder.path / "dangling.qvi"})
        EXPECT_EQ(writeRecordingFile(one, 1297, false, target), nullptr) << target;
    EXPECT_EQ(mode(song), S_IFREG | 02640);
    EXPECT_TRUE(S_ISLNK(mode(link)) && S_ISLNK(mode(folder.path / "dangling.qvi")));
    EXPECT_EQ(contents(song).size(), 120u);
    EXPECT_EQ(contents(folder.path / "absent.qvi").size(), 120u);
    fs::create_symlink("loop.qvi", folder.path / "loop.qvi");
    EXPECT_EQ(writeRecordingFile(one, 1297, false, folder.path / "loop.qvi"), msgCannotCreateFile);

    // Others may write it, its owner may not; as root, the write runs as that owner.
    const uid_t user = ::geteuid();
    ::chmod(song.c_str(), 0066);
    ::chmod(folder.path.c_str(), 0777);
    ASSERT_TRUE(user != 0 || ::chown(song.c_str(), 65534, 65534) == 0);
    ASSERT_TRUE(user != 0 || ::seteuid(65534) == 0);
    const wchar_t* error = writeRecordingFile(one, 1297, false, song);
    ASSERT_TRUE(user != 0 || ::seteuid(0) == 0);
    EXPECT_EQ(error, msgCannotCreateFile);
    EXPECT_EQ(mode(song), S_IFREG | 0066);
    EXPECT_EQ(folder.fileCount(), 6u); // song, in, link, dangling, absent, loop: no temporary
}
