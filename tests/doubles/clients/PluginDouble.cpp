// A DLL that does nothing: copied under the plug-in's file name, it is what a
// client double loads so the scan has a real module to find.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
