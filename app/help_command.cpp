#include "app/help_command.h"
#include "app/system_seam.h"

#include <string>

HelpBinding helpBinding;

namespace {

constexpr UINT displayTopic = 0; // HH_DISPLAY_TOPIC

} // namespace

HWND callHtmlHelp(HWND owner, const wchar_t* file, UINT command, DWORD_PTR data) {
    if (!helpBinding.looked) {
        helpBinding.looked = true;
        if (HMODULE library = loadHtmlHelpLibrary()) {
            // Through a function type without parameters, which converts to any other.
            auto entry = reinterpret_cast<void (*)()>(GetProcAddress(library, "HtmlHelpW"));
            helpBinding.htmlHelp = reinterpret_cast<HtmlHelpFunction>(entry);
            if (!helpBinding.htmlHelp)
                FreeLibrary(library);
        }
    }
    return helpBinding.htmlHelp ? helpBinding.htmlHelp(owner, file, command, data) : nullptr;
}

std::wstring helpTopicPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            path.clear(); // the current folder, then
            break;
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // the name was cut short
    }
    const size_t slash = path.find_last_of(L"\\/");
    path.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return path + L"qv.chm::/default.htm";
}

void showHelp() {
    callHtmlHelp(nullptr, helpTopicPath().c_str(), displayTopic, 0);
}
