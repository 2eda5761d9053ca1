// FarlinkScan64.exe: the 64-bit companion of the 32-bit server. A WOW64
// process cannot list a 64-bit process's modules, so the server's scan runs
// this, with the same module search built for x86_64, when it must know
// whether a 64-bit client has the plug-in loaded:
//
//   FarlinkScan64.exe <process id> <plug-in file name>
//
// The answer is the exit code (ModuleSearch.h). No window, no COM, nothing
// written: it opens the one process, reads its module list and ends.
#include <windows.h>

#include <cwchar>

#include "detection/ModuleSearch.h"
#include "win/ScopedHandle.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return ERROR_BAD_ARGUMENTS;
    wchar_t* end = nullptr;
    const unsigned long processId = std::wcstoul(argv[1], &end, 10);
    if (*end != L'\0' || processId == 0) return ERROR_BAD_ARGUMENTS;
    // The access the server's own scan opens processes with.
    win::ScopedHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                            static_cast<DWORD>(processId)));
    if (!process) return static_cast<int>(::GetLastError());
    return static_cast<int>(sharedfarlink::FindModule(process.Get(), argv[2])
                                ? sharedfarlink::kCompanionLoaded
                                : sharedfarlink::kCompanionNotLoaded);
}
