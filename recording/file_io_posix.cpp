// Files on POSIX systems, for the host build: the same contract as the Win32 version.
#include "engine/platform.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

struct PlatformFile {
    int descriptor;
};

PlatformFile* platformOpenForReading(const std::filesystem::path& path, uint64_t* size) {
    // Without blocking, so that a FIFO or a device is refused at once instead of waiting for a
    // writer; a regular file reads the same either way.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
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

// The file a name stands for: symbolic links followed to their target, which need not exist yet.
// None for a loop of links.
std::optional<std::filesystem::path> linkTarget(std::filesystem::path path) {
    for (int links = 0; links < 40; ++links) {
        std::error_code error;
        const std::filesystem::path next = std::filesystem::read_symlink(path, error);
        if (error)
            return path; // not a link (or nothing there): the name itself
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return std::nullopt;
}

} // namespace

ReplaceResult platformReplaceFile(const std::filesystem::path& name, const ByteRange* pieces,
                                  size_t pieceCount) {
    // A link stays a link: the file it points to is the one replaced.
    const std::optional<std::filesystem::path> path = linkTarget(name);
    if (!path)
        return ReplaceResult::cannotCreate;
    struct stat old {};
    const bool replacing = ::stat(path->c_str(), &old) == 0;
    // Folders, devices, files marked read-only and files this user may not write stay as they are.
    if (replacing && (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 ||
                      ::faccessat(AT_FDCWD, path->c_str(), W_OK, AT_EACCESS) != 0))
        return ReplaceResult::cannotCreate;
    std::string temporary = path->string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return ReplaceResult::cannotCreate;
    bool written = true;
    for (size_t i = 0; i < pieceCount && written; ++i)
        written = writeAll(fd, pieces[i]);
    // A replaced file keeps its owner where that may be given, and its permissions; a new file
    // gets the usual permissions, not mkstemp's private ones.
    mode_t mode = old.st_mode & 07777;
    if (!replacing) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    } else if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        mode &= ~mode_t{S_ISUID | S_ISGID}; // never set-id under another owner
    }
    ::fchmod(fd, mode); // as far as the file system keeps modes at all
    if (::close(fd) != 0)
        written = false;
    if (!written) {
        ::unlink(temporary.c_str());
        return ReplaceResult::cannotWrite;
    }
    if (::rename(temporary.c_str(), path->c_str()) != 0) {
        ::unlink(temporary.c_str());
        return ReplaceResult::cannotCreate;
    }
    return ReplaceResult::ok;
}
