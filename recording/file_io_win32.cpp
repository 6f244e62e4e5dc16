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

// A name beside the target that no other writer uses at the same moment.
std::wstring temporaryNameFor(const std::filesystem::path& path) {
    return path.native() + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(GetTickCount()) + L".tmp";
}

} // namespace

ReplaceResult platformReplaceFile(const std::filesystem::path& path, const ByteRange* pieces,
                                  size_t pieceCount) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return ReplaceResult::cannotCreate;
    const std::wstring temporary = temporaryNameFor(path);
    HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
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
    if (!MoveFileExW(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return ReplaceResult::cannotCreate; // locked or otherwise not replaceable
    }
    return ReplaceResult::ok;
}
