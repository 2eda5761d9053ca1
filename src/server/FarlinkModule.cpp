#include "server/FarlinkModule.h"

#include <msi.h>

#include "com/DispatchImpl.h"
#include "com/ServerLock.h"
#include "server/Registration.h"

namespace server {

namespace {
// Lets a client that released its last object see the server gone without
// racing a new activation against a half-shut server.
constexpr DWORD kExitPauseMs = 1000;
}  // namespace

FarlinkModule& TheModule() {
    static FarlinkModule module;
    return module;
}

int FarlinkModule::Main() {
    StartServices();
    bool comInitialized = false;
    HRESULT hr = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(hr)) {
        comInitialized = true;
    } else if (!(hr == RPC_E_CHANGED_MODE && ::GetModuleHandleW(L"Mscoree.dll"))) {
        StopServices();
        return hr;
    }

    ServerSwitch which = ParseServerSwitch(::GetCommandLineW());
    HRESULT result = which == ServerSwitch::None ? Run() : HandleSwitch(which);

    if (comInitialized) {
        com::ReleaseTypeInfoCache();
        ::CoUninitialize();
    }
    StopServices();
    return result;
}

void FarlinkModule::StartServices() {
    // The log first, so that it exists (and is truncated) whatever happens next.
    log_.Open();
    support::SetProcessLog(&log_);
    dialogThread_.Start();
    // Every later repair runs the installer silently.
    ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
}

void FarlinkModule::StopServices() {
    dialogThread_.Stop();
    support::SetProcessLog(nullptr);
    log_.Close();
}

HRESULT FarlinkModule::HandleSwitch(ServerSwitch which) {
    bool perUser =
        which == ServerSwitch::RegServerPerUser || which == ServerSwitch::UnregServerPerUser;
    HMODULE self = ::GetModuleHandleW(nullptr);
    if (which == ServerSwitch::RegServer || which == ServerSwitch::RegServerPerUser)
        return RegisterServer(self, perUser);
    return UnregisterServer(self, perUser);
}

HRESULT FarlinkModule::Run() {
    HRESULT hr = classObjects_.Register();
    if (SUCCEEDED(hr)) hr = lifetime_.RunUntilUnlocked();
    HRESULT revoked = classObjects_.Revoke();
    if (FAILED(hr)) return hr;
    ::Sleep(kExitPauseMs);
    return revoked;
}

}  // namespace server

// The host side of the com layer's server lock.
namespace com {
void LockServer() { server::TheModule().Lifetime().Lock(); }
ULONG UnlockServer() { return server::TheModule().Lifetime().Unlock(); }
}  // namespace com
