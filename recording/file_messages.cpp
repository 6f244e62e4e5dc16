#include "recording/file_messages.h"

std::wstring fillMessage(const wchar_t* format, const std::wstring& name) {
    std::wstring text = format;
    const size_t at = text.find(L"%s");
    if (at != std::wstring::npos)
        text.replace(at, 2, name);
    return text;
}

const wchar_t* replaceFileMessage(ReplaceResult result) {
    switch (result) {
    case ReplaceResult::ok:
        return nullptr;
    case ReplaceResult::cannotCreate:
        return msgCannotCreateFile;
    case ReplaceResult::cannotWrite:
        break;
    }
    return msgCannotWriteFile;
}
