#pragma once
// One line for maintainers wherever the program swallows a failure by design:
// the user sees nothing, and RemoteDesktop.txt holds only what the dialogs
// listed. DebugView shows the lines on Windows, WINEDEBUG=warn+seh under Wine 8.
//   Farlink <tag>: <where>: 0x<code>
#include <windows.h>

#include <string>

namespace win {

inline void Trace(const wchar_t* tag, const wchar_t* where, unsigned long code) {
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring line = std::wstring(L"Farlink ") + tag + L": " + where + L": 0x";
    for (int shift = 28; shift >= 0; shift -= 4) line += kDigits[(code >> shift) & 0xF];
    line += L'\n';
    ::OutputDebugStringW(line.c_str());
}

// The thread's last error as an HRESULT, for calls that report failure that way.
inline HRESULT LastErrorResult() {
    DWORD error = ::GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

}  // namespace win
