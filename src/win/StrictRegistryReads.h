#pragma once
// Registry reads that check what was stored: a value of the wrong type or
// shape reads as not found, so a half-written or foreign value is never taken
// for a path. The loose readers (LooseRegistryReads.h) take any bytes.
#include <windows.h>

#include <cwchar>
#include <string>

namespace win {

// Bytes of the zero-filled buffer a strict text value is read into.
constexpr DWORD kStrictTextBytes = 520;

// A text value stored as REG_SZ or REG_EXPAND_SZ (not expanded): no bytes at
// all is the empty text; otherwise the length must be a whole number of
// UTF-16 units and the last unit NUL. Longer than the buffer fails.
inline bool ReadStrictString(HKEY key, const wchar_t* name, std::wstring* text) {
    wchar_t units[kStrictTextBytes / sizeof(wchar_t)] = {};
    DWORD type = REG_NONE;
    DWORD size = kStrictTextBytes;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(units), &size) !=
        ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    if (size == 0) {
        text->clear();
        return true;
    }
    if (size % sizeof(wchar_t) != 0) return false;
    const DWORD count = size / sizeof(wchar_t);
    if (units[count - 1] != L'\0') return false;
    text->assign(units, ::wcsnlen(units, count));
    return true;
}

}  // namespace win
