// FarlinkUI.exe: the out-of-process automation server.
#include <windows.h>

#include "server/FarlinkModule.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The command line is read from GetCommandLineW, program path included.
    return server::TheModule().Main();
}
