// UTF-8 for what the tool prints and for the arguments it is given on POSIX systems.
#pragma once

#include <string>

// From UTF-16 (Windows) or UTF-32 (elsewhere), whichever wchar_t holds; a lone surrogate becomes
// U+FFFD.
std::string utf8FromWide(const std::wstring& text);
// Bytes that are not UTF-8 become U+FFFD, one for each byte.
std::wstring wideFromUtf8(const std::string& text);
