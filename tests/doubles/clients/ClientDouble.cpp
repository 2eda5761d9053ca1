// Stands in for a remote client program: copied under a client's file name,
// it optionally loads a DLL, says "ready", and idles until told to go.
//
//   client_double.exe [--load <dll name>] [--event <event name>]
//
// Without arguments it says nothing: a scan companion that never answers.
// It ends when the named event is signalled, or after 60 s in any case, so a
// test that dies cannot leave it running for long.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    const wchar_t* dll = nullptr;
    const wchar_t* event = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::wcscmp(argv[i], L"--load") == 0) dll = argv[i + 1];
        else if (std::wcscmp(argv[i], L"--event") == 0) event = argv[i + 1];
    }
    // The name is passed as given: the module list keeps the case of the
    // name handed to LoadLibraryW.
    HMODULE module = dll ? ::LoadLibraryW(dll) : nullptr;
    if (argc > 1) {
        std::printf("ready %d\n", module ? 1 : 0);
        std::fflush(stdout);
    }

    HANDLE quit = event ? ::OpenEventW(SYNCHRONIZE, FALSE, event) : nullptr;
    if (quit) {
        ::WaitForSingleObject(quit, 60000);
        ::CloseHandle(quit);
    } else {
        ::Sleep(60000);
    }
    return dll && !module ? 2 : 0;
}
