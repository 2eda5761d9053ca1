#pragma once
// Registry reads that do not test the stored type: the installation and add-in
// values are read this way, so a value written with an unexpected type is
// still taken at its bytes. Strict, type-checked reads belong elsewhere.
#include <windows.h>

#include <cwchar>
#include <string>

namespace win {

// Bytes of the zero-filled buffer every loose text value is read into.
constexpr DWORD kLooseTextBytes = 520;

// Reads any value into a zero-filled 520-byte buffer. A value longer than the
// buffer fails. `units` receives the buffer, viewed as 260 UTF-16 units.
inline bool ReadLooseValue(HKEY key, const wchar_t* name, wchar_t (&units)[kLooseTextBytes / 2]) {
    DWORD size = kLooseTextBytes;
    return ::RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(units),
                              &size) == ERROR_SUCCESS;
}

// A text value: whatever was stored, up to the first NUL (or the end of the
// buffer when a value fills it without one).
inline bool ReadLooseString(HKEY key, const wchar_t* name, std::wstring* text) {
    wchar_t units[kLooseTextBytes / 2] = {};
    if (!ReadLooseValue(key, name, units)) return false;
    text->assign(units, ::wcsnlen(units, kLooseTextBytes / 2));
    return true;
}

// A number read into a zero-filled 4-byte buffer; longer values fail, shorter
// ones fill the low bytes.
inline bool ReadLooseDword(HKEY key, const wchar_t* name, DWORD* number) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS)
        return false;
    *number = value;
    return true;
}

// Whether the value exists, whatever its type and data.
inline bool LooseValueExists(HKEY key, const wchar_t* name) {
    return ::RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace win
