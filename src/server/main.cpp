// FarlinkUI.exe: the out-of-process automation server.
#include <windows.h>

#include "server/FarlinkModule.h"
#include "win/LibrarySearch.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything is loaded by name.
    win::HardenLibrarySearch();
    // The command line is read from GetCommandLineW, program path included.
    server::FarlinkModule module;
    return module.Main();
}
