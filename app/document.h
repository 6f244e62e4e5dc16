// The document: the recording list, by the name it was saved or loaded under.
#pragma once

#include <filesystem>
#include <string>

// User-interface thread only.
struct DocumentState {
    std::wstring name;          // file name shown in the title and prompts; empty = untitled
    std::filesystem::path path; // the recording file read or written
    bool dirty = false;         // the recording list holds events that are not saved
};

extern DocumentState document;

// The longest name or path a document takes (the size of the dialogs' buffers).
inline constexpr size_t documentPathLimit = 260;

// The name as shown: "未命名" (untitled) when empty.
std::wstring shownName(const std::wstring& name);
// "Tonvira - [name]".
std::wstring windowTitle(const std::wstring& name);
// "保存当前的变化在 name?"
std::wstring saveChangesPrompt(const std::wstring& name);
