#include "app/document.h"

DocumentState document;

std::wstring shownName(const std::wstring& name) {
    return name.empty() ? L"未命名" : name;
}

std::wstring windowTitle(const std::wstring& name) {
    return L"Tonvira - [" + shownName(name) + L"]";
}

std::wstring saveChangesPrompt(const std::wstring& name) {
    return L"保存当前的变化在 " + shownName(name) + L"?";
}
