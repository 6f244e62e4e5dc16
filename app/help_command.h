// The help command: the help file's default topic through HTML Help, bound at run time.
#pragma once

#include <windows.h>

#include <string>

using HtmlHelpFunction = HWND(WINAPI*)(HWND owner, const wchar_t* file, UINT command,
                                       DWORD_PTR data);

// User-interface thread only. The library is looked for once per run; once loaded it stays.
struct HelpBinding {
    bool looked = false;
    HtmlHelpFunction htmlHelp = nullptr; // null when the library or its entry was not found
};

extern HelpBinding helpBinding;

// HtmlHelpW from the HTML Help library; 0 at once when that library is unavailable.
HWND callHtmlHelp(HWND owner, const wchar_t* file, UINT command, DWORD_PTR data);
// "<folder of the program>\qv.chm::/default.htm".
std::wstring helpTopicPath();
// Opens the default topic; when help cannot be shown nothing happens.
void showHelp();
