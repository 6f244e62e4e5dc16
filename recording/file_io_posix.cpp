// Files on POSIX systems, for the host build: the same contract as the Win32 version.
#include "engine/platform.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

struct PlatformFile {
    int descriptor;
};

PlatformFile* platformOpenForReading(const std::filesystem::path& path, uint64_t* size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    *size = static_cast<uint64_t>(info.st_size);
    return new PlatformFile{fd};
}

bool platformReadAt(PlatformFile* file, uint64_t offset, void* destination, size_t count) {
    char* to = static_cast<char*>(destination);
    while (count > 0) {
        const ssize_t got = ::pread(file->descriptor, to, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        to += got;
        offset += static_cast<uint64_t>(got);
        count -= static_cast<size_t>(got);
    }
    return true;
}

void platformCloseFile(PlatformFile* file) {
    ::close(file->descriptor);
    delete file;
}

namespace {

bool writeAll(int fd, const ByteRange& piece) {
    const char* from = static_cast<const char*>(piece.data);
    size_t left = piece.size;
    while (left > 0) {
        const ssize_t put = ::write(fd, from, left);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        from += put;
        left -= static_cast<size_t>(put);
    }
    return true;
}

} // namespace

ReplaceResult platformReplaceFile(const std::filesystem::path& path, const ByteRange* pieces,
                                  size_t pieceCount) {
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0 &&
        (!S_ISREG(target.st_mode) || (target.st_mode & 0222) == 0))
        return ReplaceResult::cannotCreate; // folders, devices and read-only files stay as they are
    std::string temporary = path.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return ReplaceResult::cannotCreate;
    bool written = true;
    for (size_t i = 0; i < pieceCount && written; ++i)
        written = writeAll(fd, pieces[i]);
    // The new file gets the usual permissions, not mkstemp's private ones.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    if (::close(fd) != 0)
        written = false;
    if (!written) {
        ::unlink(temporary.c_str());
        return ReplaceResult::cannotWrite;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return ReplaceResult::cannotCreate;
    }
    return ReplaceResult::ok;
}
