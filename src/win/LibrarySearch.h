#pragma once
// Takes the current directory out of the process's library search, before
// anything is loaded by name: administrators run our programs from scripts,
// as SYSTEM, in whatever folder the script runs in, and a library planted
// there must never load. The application folder, the system folders and
// folders added on purpose stay.
#include <windows.h>

#include "win/Trace.h"

namespace win {

inline void HardenLibrarySearch() {
    // Windows 7 has SetDefaultDllDirectories only with KB2533623: looked up,
    // so the image still starts without it; SetDllDirectoryW("") then still
    // drops the current directory from the search.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS))
        Trace(L"win", L"SetDefaultDllDirectories", setDefault ? LastErrorResult() : E_NOTIMPL);
    if (!::SetDllDirectoryW(L"")) Trace(L"win", L"SetDllDirectoryW", LastErrorResult());
}

}  // namespace win
