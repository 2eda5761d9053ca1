// FarlinkScan64.exe: the 64-bit companion of the 32-bit server. A WOW64
// process cannot list a 64-bit process's modules, so the server's scan starts
// this, once per Connection Status dialog, when it must know whether a 64-bit
// client has the plug-in loaded, and asks it over a pipe (ModuleSearch.h); it
// reads with the same module search built for x86_64. No window, no COM,
// nothing written; it ends when the server closes the pipe, or dies.
#include <windows.h>

#include <cwchar>

#include "detection/ModuleSearch.h"
#include "win/ScopedHandle.h"

namespace {

using namespace sharedfarlink;

char Answer(wchar_t* request) {
    wchar_t* dll = nullptr;
    const unsigned long processId = std::wcstoul(request, &dll, 10);
    if (processId == 0 || *dll != L' ') return kCompanionCannotOpen;
    // The access the server's own scan opens processes with.
    win::ScopedHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                            static_cast<DWORD>(processId)));
    if (!process) return kCompanionCannotOpen;
    return FindModule(process.Get(), dll + 1) ? kCompanionLoaded : kCompanionNotLoaded;
}

}  // namespace

int wmain() {
    HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE), out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    wchar_t request[kCompanionRequestUnits + 1];
    DWORD units = 0, bytes = 0;
    // One unit at a time: requests are short and rare, and nothing is read
    // past the end of one.
    while (::ReadFile(in, &request[units], sizeof(wchar_t), &bytes, nullptr) && bytes == sizeof(wchar_t)) {
        if (request[units] != L'\n') {
            if (++units == kCompanionRequestUnits) return ERROR_BAD_FORMAT;
            continue;
        }
        request[units] = L'\0';
        units = 0;
        const char answer = Answer(request);
        if (!::WriteFile(out, &answer, 1, &bytes, nullptr)) break;
    }
    return 0;
}
