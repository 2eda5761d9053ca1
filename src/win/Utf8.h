#pragma once
// Wide text as UTF-8, for what the tools write to pipes and files.
#include <windows.h>

#include <string>

namespace win {

inline std::string Utf8(const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0) ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, &bytes[0], size, nullptr, nullptr);
    return bytes;
}

}  // namespace win
