#pragma once
// Registering the server with COM: the AppID and class keys from the registry
// scripts in the executable, and the type library.
#include <windows.h>

namespace server {

// Resource ids of the registry scripts.
constexpr UINT kAppIdScript = 101;
constexpr UINT kFarlinkUIScript = 102;
constexpr UINT kTestProgressScript = 103;

// With `perUser`, the keys go under HKCU\Software\Classes and the type library
// is registered with the per-user calls.
HRESULT RegisterServer(HMODULE module, bool perUser);
HRESULT UnregisterServer(HMODULE module, bool perUser);

}  // namespace server
