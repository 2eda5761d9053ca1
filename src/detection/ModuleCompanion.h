#pragma once
// The scan's way to a 64-bit process's modules from a 32-bit server on 64-bit
// Windows: a WOW64 process cannot list them, so the 64-bit companion beside
// the server (FarlinkScan64.exe) reads them and answers.
#include <windows.h>

#include <string>

#include "win/ScopedHandle.h"

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

// One companion process, started at the first question and ended with this
// object (or when this process dies: its pipe breaks). Every question waits a
// bounded time; a companion that is missing, fails, hangs (it is ended then)
// or answers anything else is not asked again, and leaves one debug-output line.
class ModuleCompanion {
public:
    ModuleCompanion() = default;
    ~ModuleCompanion();
    ModuleCompanion(const ModuleCompanion&) = delete;
    ModuleCompanion& operator=(const ModuleCompanion&) = delete;

    // False when it could not tell; else `loaded` says whether `dllName` is
    // loaded in `processId`.
    bool FindModule(DWORD processId, const std::wstring& dllName, bool* loaded);

private:
    bool Start();
    // One overlapped transfer on the pipe, bounded; false when it did not complete.
    bool Transfer(bool write, void* data, DWORD bytes);
    void Fail(const wchar_t* where, HRESULT hr);
    void End(bool kill);

    win::ScopedHandle process_, pipe_, event_;
    bool failed_ = false;
};

}  // namespace sharedfarlink
