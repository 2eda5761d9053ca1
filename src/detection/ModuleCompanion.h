#pragma once
// The scan's way to a 64-bit process's modules from a 32-bit server on 64-bit
// Windows: a WOW64 process cannot list them, so the 64-bit companion beside
// the server (FarlinkScan64.exe) reads them and answers.
#include <windows.h>

#include <string>

namespace sharedfarlink {

// Seams (SystemSeams.cpp in the shipped programs; the tests can send every
// process through the companion, and name another companion).
bool ModulesNeedCompanion(HANDLE process);
std::wstring CompanionPath();

// The system's answers: true only in a WOW64 process, for a process that is
// not WOW64 itself; the companion's file beside this program.
bool SystemModulesNeedCompanion(HANDLE process);
std::wstring SystemCompanionPath();

// The executable's base name from its image path, which any process may ask
// of another whatever their bitness. False when it cannot be read.
bool ReadImageBaseName(HANDLE process, wchar_t* name, DWORD units);

// Runs the companion once on `processId` and waits a bounded time for its
// answer. False when it is missing, fails, hangs (it is ended then) or
// answers anything else; that leaves one debug-output line.
bool AskCompanion(DWORD processId, const std::wstring& dllName, bool* loaded);

}  // namespace sharedfarlink
