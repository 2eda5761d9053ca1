#pragma once
// Registering the server with COM: the class keys from the registry scripts in
// the executable, and the type library.
#include <windows.h>

#include "server/RegistryScript.h"

namespace server {

// Resource ids of the registry scripts.
constexpr UINT kAppIdScript = 101;
constexpr UINT kFarlinkUIScript = 102;
constexpr UINT kTestProgressScript = 103;

// "{0F8A4C36-B21D-4E57-9C03-D5A76E1B2F48}"
extern const wchar_t kAppIdString[];

// Process-wide: register under HKCU\Software\Classes and with the per-user
// type library calls.
void SetPerUserRegistration(bool perUser);
bool IsPerUserRegistration();

// Class scripts (TestProgress, then FarlinkUI) and the type library.
HRESULT RegisterServer(HMODULE module);
HRESULT UnregisterServer(HMODULE module);

// The AppID script, which the switches run around the two calls above.
HRESULT RunAppIdScript(HMODULE module, ScriptMode mode);

HRESULT RegisterTypeLibrary(const wchar_t* modulePath);
HRESULT UnregisterTypeLibrary(const wchar_t* modulePath);

}  // namespace server
