// The document: the recording list, by the name it was saved or loaded under.
#pragma once

#include <filesystem>
#include <string>

// User-interface thread only.
struct DocumentState {
    std::wstring name;          // file name shown in the title; empty = untitled
    std::filesystem::path path; // where save writes without asking; empty = ask
    bool dirty = false;         // the recording list holds events that are not saved
};

extern DocumentState document;
