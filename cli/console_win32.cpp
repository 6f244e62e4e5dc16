// The console on Windows: wide characters to a console whatever its code page, UTF-8 bytes when
// the output is redirected to a file or a pipe; the arguments arrive as wide characters.
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/text_encoding.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

bool outputLost = false; // a write to standard output failed; the tool has one thread

bool writeHandle(HANDLE handle, const std::wstring& text) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return text.empty();
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        for (size_t at = 0; at < text.size();) {
            const DWORD ask = static_cast<DWORD>(std::min<size_t>(text.size() - at, 8192));
            DWORD written = 0;
            if (!WriteConsoleW(handle, text.data() + at, ask, &written, nullptr) || written == 0)
                return false;
            at += written;
        }
        return true;
    }
    const std::string bytes = utf8FromWide(text);
    for (size_t at = 0; at < bytes.size();) {
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + at, ask, &written, nullptr) || written == 0)
            return false;
        at += written;
    }
    return true;
}

} // namespace

bool writeText(Stream stream, const std::wstring& text) {
    const bool written = writeHandle(
        GetStdHandle(stream == Stream::out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE), text);
    if (stream == Stream::out && !written)
        outputLost = true;
    return written;
}

bool outputComplete() {
    return !outputLost; // nothing is buffered: each write went out or failed
}

std::wstring argumentText(const std::filesystem::path& argument) {
    return argument.native();
}

std::filesystem::path defaultSoundFont() {
    // Beside the program.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return L"TimGM6mb.sf2";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return std::filesystem::path(path).parent_path() / L"TimGM6mb.sf2";
}

int wmain(int argc, wchar_t** argv) {
    const std::vector<std::filesystem::path> arguments(argv + 1, argv + argc);
    return runTool(arguments);
}
