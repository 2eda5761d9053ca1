#pragma once
// The module search of the process scan, built into the server and into its
// 64-bit companion (FarlinkScan64.exe), so both read a module list the same way.
#include <windows.h>

namespace sharedfarlink {

// True when `process` (opened with PROCESS_QUERY_INFORMATION | PROCESS_VM_READ)
// has a module whose base name is `dllName`, ignoring case. An unreadable list
// counts as not loaded; only the first 1024 modules are looked at.
bool FindModule(HANDLE process, const wchar_t* dllName);

// The companion's command line is "<pid> <dll name>"; its answer is its exit
// code, one of these two values, which no crash and no ordinary exit gives.
// Any other exit code means it could not tell.
constexpr DWORD kCompanionNotLoaded = 0x464C5330;
constexpr DWORD kCompanionLoaded = 0x464C5331;
// Its file name, beside the server.
constexpr wchar_t kCompanionName[] = L"FarlinkScan64.exe";

}  // namespace sharedfarlink
