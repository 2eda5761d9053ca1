#pragma once
// Registering the type library embedded in a server's executable, machine-wide
// or for the current user only.
#include <windows.h>

namespace com {

HRESULT RegisterTypeLibrary(const wchar_t* modulePath, bool perUser);
HRESULT UnregisterTypeLibrary(const wchar_t* modulePath, bool perUser);

}  // namespace com
