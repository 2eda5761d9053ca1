// The detector's process and module scan.
#include <windows.h>
#include <psapi.h>

#include <memory>

#include "detection/ModuleCompanion.h"
#include "detection/ModuleSearch.h"
#include "detection/RemoteComponentDetector.h"

namespace sharedfarlink {

namespace {

// Fixed limits: the first 1024 process ids are looked at, and the buffer is
// never enlarged.
constexpr DWORD kMaxProcesses = 1024;
constexpr DWORD kNameUnits = MAX_PATH;

constexpr DWORD kInspectAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;  // 0x410
constexpr DWORD kTokenAccess = TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY;         // 0x28

}  // namespace

bool RemoteComponentDetector::FindClientProcess() {
    ComponentHolder match;
    if (!inRemoteSession) {
        EnumerateProcesses(match);
        return !multipleClients && componentType != RemoteTypeNone;
    }
    // Host side: the session's own component; its process is only walked when
    // the plug-in is expected inside a host process.
    if (!FindByType(sessionType, match)) return false;
    checkLoaded = match->GetChannelDll(true, channelDll);
    if (checkLoaded) {
        dllLoaded = 0;
        ComponentHolder hostMatch;
        win::ScopedHandle token = OpenSelfToken();
        // Host processes may run as other users; the debug privilege lets the
        // walk open them.
        SetDebugPrivilege(token.Get(), true);
        EnumerateProcesses(hostMatch);
        SetDebugPrivilege(token.Get(), false);
    }
    componentType = sessionType;
    return true;
}

void RemoteComponentDetector::EnumerateProcesses(ComponentHolder& out) {
    multipleClients = false;
    componentType = RemoteTypeNone;
    companionAsked = false;
    std::unique_ptr<DWORD[]> ids(new DWORD[kMaxProcesses]);
    DWORD bytes = 0;
    if (!::EnumProcesses(ids.get(), kMaxProcesses * sizeof(DWORD), &bytes)) return;
    DWORD count = bytes / sizeof(DWORD);
    if (count > kMaxProcesses) count = kMaxProcesses;
    for (DWORD i = 0; i < count; ++i) {
        // Id 0 is the idle process, never a client.
        if (ids[i] != 0) InspectProcess(ids[i], out);
    }
}

void RemoteComponentDetector::InspectProcess(DWORD processId, ComponentHolder& out) {
    win::ScopedHandle process(::OpenProcess(kInspectAccess, FALSE, processId));
    if (!process) return;
    // A WOW64 server cannot list a 64-bit process's modules: it names the
    // process from its image path and leaves its modules to the companion.
    const bool throughCompanion = ModulesNeedCompanion(process.Get());
    wchar_t name[kNameUnits] = {};
    if (throughCompanion) {
        if (!ReadImageBaseName(process.Get(), name, kNameUnits)) return;
    } else {
        // The first module is the executable image; one handle is all we need.
        HMODULE image = nullptr;
        DWORD needed = 0;
        if (!::EnumProcessModules(process.Get(), &image, sizeof image, &needed)) return;
        ::GetModuleBaseNameW(process.Get(), image, name, kNameUnits);
    }
    if (!FindByProcessName(inRemoteSession, name, out)) return;
    // Only the first matching process has its modules searched.
    if (componentType == RemoteTypeNone) {
        std::wstring dll;
        const bool check = out->GetChannelDll(inRemoteSession, dll);
        bool loaded = false;
        if (check && throughCompanion) {
            // One question per scan at most; a process it could not read is
            // skipped, as every 64-bit process was before there was a companion.
            if (companionAsked) return;
            companionAsked = true;
            if (!companion.FindModule(processId, dll, &loaded)) return;
        }
        channelDll = dll;
        checkLoaded = check;
        if (check) dllLoaded = throughCompanion ? loaded : FindModule(process.Get(), dll.c_str());
    } else {
        multipleClients = true;
    }
    componentType = out->GetType();
}

win::ScopedHandle RemoteComponentDetector::OpenSelfToken() {
    HANDLE token = nullptr;
    if (::OpenThreadToken(::GetCurrentThread(), kTokenAccess, FALSE, &token))
        return win::ScopedHandle(token);
    if (::GetLastError() != ERROR_NO_TOKEN) return win::ScopedHandle();
    // A thread that is not impersonating has no token of its own to adjust;
    // impersonating itself gives it one, so the privilege change stays on
    // this thread. It is deliberately not reverted.
    if (!::ImpersonateSelf(SecurityImpersonation)) return win::ScopedHandle();
    if (::OpenThreadToken(::GetCurrentThread(), kTokenAccess, FALSE, &token))
        return win::ScopedHandle(token);
    return win::ScopedHandle();
}

void RemoteComponentDetector::SetDebugPrivilege(HANDLE token, bool enable) {
    LUID debug = {};
    if (!::LookupPrivilegeValueW(nullptr, SE_DEBUG_NAME, &debug)) return;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = debug;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    // A failure (or a null token) just leaves the walk with the access it has.
    ::AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
}

}  // namespace sharedfarlink
