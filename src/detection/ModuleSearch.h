#pragma once
// The module search of the process scan, built into the server and into its
// 64-bit companion (FarlinkScan64.exe), so both read a module list the same way.
#include <windows.h>

namespace sharedfarlink {

// True when `process` (opened with PROCESS_QUERY_INFORMATION | PROCESS_VM_READ)
// has a module whose base name is `dllName`, ignoring case. An unreadable list
// counts as not loaded; only the first 1024 modules are looked at.
bool FindModule(HANDLE process, const wchar_t* dllName);

// The companion's protocol, over the pipe that is its standard input and
// output: each request is "<process id> <dll name>\n" in UTF-16, each answer
// one byte. It ends when the pipe closes.
constexpr char kCompanionLoaded = '1';
constexpr char kCompanionNotLoaded = '0';
constexpr char kCompanionCannotOpen = '-';
constexpr DWORD kCompanionRequestUnits = 300;  // the longest request, in UTF-16 units
// Its file name, beside the server.
constexpr wchar_t kCompanionName[] = L"FarlinkScan64.exe";

}  // namespace sharedfarlink
