// Files over KERNEL32, with wide paths so that names in any script work.
#include "engine/platform.h"

#include <windows.h>

#include <string>

struct PlatformFile {
    HANDLE handle;
};

PlatformFile* platformOpenForReading(const std::filesystem::path& path, uint64_t* size) {
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(handle, &length) || GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return nullptr;
    }
    *size = static_cast<uint64_t>(length.QuadPart);
    return new PlatformFile{handle};
}

bool platformReadAt(PlatformFile* file, uint64_t offset, void* destination, size_t count) {
    char* to = static_cast<char*>(destination);
    while (count > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD ask = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
        DWORD got = 0;
        if (!ReadFile(file->handle, to, ask, &got, &at) || got == 0)
            return false;
        to += got;
        offset += got;
        count -= got;
    }
    return true;
}

void platformCloseFile(PlatformFile* file) {
    CloseHandle(file->handle);
    delete file;
}

namespace {

bool writeAll(HANDLE handle, const ByteRange& piece) {
    const char* from = static_cast<const char*>(piece.data);
    size_t left = piece.size;
    while (left > 0) {
        const DWORD ask = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
        DWORD put = 0;
        if (!WriteFile(handle, from, ask, &put, nullptr) || put == 0)
            return false;
        from += put;
        left -= put;
    }
    return true;
}

// The path as CreateFileW and MoveFileExW take it at any length: from MAX_PATH characters on,
// the full path with the \\?\ prefix (\\?\UNC\ for a share).
std::wstring longPathForm(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.rfind(L"\\\\?\\", 0) == 0)
        return path;
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// A name beside the target that adds two characters to it ("song.qvi~1"), or for a name that is
// already as long as a name can be, a short one of its own in the same folder.
std::wstring temporaryNameFor(const std::filesystem::path& path, int attempt) {
    const wchar_t suffix[] = {L'~', static_cast<wchar_t>(L'0' + attempt), L'\0'};
    if (path.filename().native().size() + 2 <= 255)
        return path.native() + suffix;
    return (path.parent_path() / (std::wstring(L"tonvira") + suffix)).native();
}

// Creates a temporary file that did not exist before; INVALID_HANDLE_VALUE when none can be made.
HANDLE createTemporary(const std::filesystem::path& path, std::wstring& temporary) {
    for (int attempt = 1; attempt <= 9; ++attempt) {
        temporary = longPathForm(temporaryNameFor(path, attempt));
        HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return handle;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS &&
            error != ERROR_ACCESS_DENIED) // one left behind, or being deleted: try the next
            break;
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace

ReplaceResult platformReplaceFile(const std::filesystem::path& path, const ByteRange* pieces,
                                  size_t pieceCount) {
    const std::wstring target = longPathForm(path.native());
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return ReplaceResult::cannotCreate;
    // A file that another program holds without letting it be deleted cannot be replaced; found
    // out before anything is written (Wine's ReplaceFileW would leave a stray file behind).
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        HANDLE probe = CreateFileW(target.c_str(), DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE)
            return ReplaceResult::cannotCreate;
        CloseHandle(probe);
    }
    std::wstring temporary;
    HANDLE handle = createTemporary(path, temporary);
    if (handle == INVALID_HANDLE_VALUE)
        return ReplaceResult::cannotCreate;
    bool written = true;
    for (size_t i = 0; i < pieceCount && written; ++i)
        written = writeAll(handle, pieces[i]);
    if (!CloseHandle(handle))
        written = false;
    if (!written) {
        DeleteFileW(temporary.c_str());
        return ReplaceResult::cannotWrite;
    }
    // A file already there keeps its attributes and security: ReplaceFileW carries them over to
    // the new contents. Without a backup name, a failed replacement leaves the old file as it was.
    const bool moved = attributes != INVALID_FILE_ATTRIBUTES
                           ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                          REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                           : MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!moved) {
        DeleteFileW(temporary.c_str());
        return ReplaceResult::cannotCreate; // locked or otherwise not replaceable
    }
    return ReplaceResult::ok;
}
