// What the file routines report. Each format holds one "%s" for the document's name.
#pragma once

#include "engine/platform.h"

#include <string>

inline constexpr wchar_t msgCannotCreateFile[] = L"不能创建文件%s.";
inline constexpr wchar_t msgCannotWriteFile[] = L"不能写入文件%s.";
inline constexpr wchar_t msgCannotOpenFile[] = L"不能找到或打开文件%s.";
inline constexpr wchar_t msgNotStandardFile[] = L"文件%s不是标准的Tonvira文件.";
inline constexpr wchar_t msgNotSupportedFile[] = L"文件%s不是被支持的Tonvira文件.";
inline constexpr wchar_t msgCannotReadFile[] = L"不能读取文件%s.";

// The format with its first "%s" replaced by name; no printf, so no conversion surprises.
std::wstring fillMessage(const wchar_t* format, const std::wstring& name);

// What a file writer reports for platformReplaceFile's result: null when written.
const wchar_t* replaceFileMessage(ReplaceResult result);
