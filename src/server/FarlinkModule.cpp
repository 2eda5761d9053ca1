#include "server/FarlinkModule.h"

#include <msi.h>

#include "com/DispatchImpl.h"
#include "server/Registration.h"
#include "win/Trace.h"

namespace server {

namespace {
// Lets a client that released its last object see the server gone without
// racing a new activation against a half-shut server.
constexpr DWORD kExitPauseMs = 1000;
// Wine starts a server for every client that activates while none has
// registered yet; the extra ones would never get an object and so never end.
// A server waits this long for the claim before it leaves: Wine's activation
// fails when the server it started ends within a second, and a server that
// revokes meanwhile hands its claim on.
constexpr DWORD kClaimWaitMs = 5000;
// A server COM started gets its first object within a second of registering,
// unless its client got one elsewhere meanwhile: then nobody ever comes.
constexpr DWORD kUnusedComLaunchMs = 10000;
const wchar_t kClaimName[] = L"Local\\FarlinkUI-{5B0C2A71-3E94-4F1D-9A62-7C81D4E0B3A9}";
}  // namespace

int FarlinkModule::Main() {
    ServerSwitch which = ParseServerSwitch(::GetCommandLineW());
    // Before the services: a second server must not truncate the first one's log.
    if (which == ServerSwitch::None && !ClaimServer()) {
        win::Trace(L"server", L"one-instance claim kept by another server", WAIT_TIMEOUT);
        return 0;
    }
    StartServices();
    bool comInitialized = false;
    HRESULT hr = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(hr)) {
        comInitialized = true;
    } else if (!(hr == RPC_E_CHANGED_MODE && ::GetModuleHandleW(L"Mscoree.dll"))) {
        EndService();
        return hr;
    }

    HRESULT result = which == ServerSwitch::None ? Serve() : HandleSwitch(which);

    EndService();
    if (comInitialized) {
        com::ReleaseTypeInfoCache();
        ::CoUninitialize();
    }
    return result;
}

void FarlinkModule::StartServices() {
    // The log first, so that it exists (and is truncated) whatever happens next.
    log_.Open();
    if (!log_.IsOpen()) win::Trace(L"server", L"open RemoteDesktop.txt", win::LastErrorResult());
    dialogThread_.Start();
    // Every later repair runs the installer silently.
    ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
}

HRESULT FarlinkModule::HandleSwitch(ServerSwitch which) {
    bool perUser =
        which == ServerSwitch::RegServerPerUser || which == ServerSwitch::UnregServerPerUser;
    HMODULE self = ::GetModuleHandleW(nullptr);
    if (which == ServerSwitch::RegServer || which == ServerSwitch::RegServerPerUser)
        return RegisterServer(self, perUser);
    return UnregisterServer(self, perUser);
}

HRESULT FarlinkModule::Serve() {
    HRESULT hr = classObjects_.Register();
    const DWORD idleLimit = IsComLaunch(::GetCommandLineW()) ? kUnusedComLaunchMs : INFINITE;
    if (SUCCEEDED(hr)) hr = lifetime_.RunUntilUnlocked(idleLimit);
    HRESULT revoked = EndService();
    if (FAILED(hr)) return hr;
    ::Sleep(kExitPauseMs);
    return revoked;
}

HRESULT FarlinkModule::EndService() {
    if (ended_) return revoked_;
    ended_ = true;
    // The lock count is zero: no dialog is open or asked for, so the thread
    // ends at once and releases the testers inside its apartment.
    dialogThread_.Stop();
    revoked_ = classObjects_.Revoke();
    // From here a new activation needs a new server, which may take over.
    if (claimed_) ::ReleaseMutex(claim_.Get());
    claimed_ = false;
    log_.Close();
    return revoked_;
}

bool FarlinkModule::ClaimServer() {
    claim_.Reset(::CreateMutexW(nullptr, FALSE, kClaimName));
    // Without the mutex there is nobody to agree with: serve.
    if (!claim_) {
        win::Trace(L"server", L"CreateMutexW (one-instance claim)", win::LastErrorResult());
        return true;
    }
    DWORD wait = ::WaitForSingleObject(claim_.Get(), kClaimWaitMs);
    claimed_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    return claimed_;
}

}  // namespace server
