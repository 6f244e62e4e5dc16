// Where the tool's text goes and how its arguments read as text; one implementation per platform
// (console_posix.cpp, console_win32.cpp), each also holding the program's entry point.
#pragma once

#include <filesystem>
#include <string>

enum class Stream { out, err };

// UTF-8 bytes, or on a Windows console its wide-character output. False when not all of it could
// be written (a full disk, a closed pipe).
bool writeText(Stream stream, const std::wstring& text);

// Whether everything meant for standard output got there, once what is still buffered is out.
bool outputComplete();

// An argument or a path as text, to compare with an option or to name the file in a message.
std::wstring argumentText(const std::filesystem::path& argument);

// The SoundFont render takes when none is named.
std::filesystem::path defaultSoundFont();
