// The console on POSIX systems: UTF-8 out, arguments taken as UTF-8.
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/text_encoding.h"

#include <cstdio>
#include <vector>

bool writeText(Stream stream, const std::wstring& text) {
    std::FILE* file = stream == Stream::out ? stdout : stderr;
    const std::string bytes = utf8FromWide(text);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fflush(file) == 0 && written;
}

bool outputComplete() {
    return std::fflush(stdout) == 0 && !std::ferror(stdout); // the stream remembers any failure
}

std::wstring argumentText(const std::filesystem::path& argument) {
    return wideFromUtf8(argument.native());
}

std::filesystem::path defaultSoundFont() {
    return "/usr/share/sounds/sf2/default-GM.sf2"; // the system's General MIDI SoundFont
}

int main(int argc, char** argv) {
    const std::vector<std::filesystem::path> arguments(argv + 1, argv + argc);
    return runTool(arguments);
}
