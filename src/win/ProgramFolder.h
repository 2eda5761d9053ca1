#pragma once
// The folder this process's executable was started from: where the program
// finds what ships beside it (catalogues, Lingua.dll, its companion).
#include <windows.h>

#include <string>

namespace win {

// Without a trailing backslash; empty when the path cannot be read whole.
inline std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    const std::wstring program(path, n);
    return program.substr(0, program.find_last_of(L'\\'));
}

}  // namespace win
