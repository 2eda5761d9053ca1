#pragma once
// Per-dialog view of the remote environment: the session this process runs
// in, the components that apply to it, the state of the current one, and the
// scan for a running remote client. Presents the current component through its
// own component slots.
#include <windows.h>

#include <vector>

#include "detection/ChannelFault.h"
#include "detection/IRemoteComponent.h"
#include "detection/ModuleCompanion.h"
#include "detection/RemoteComponentList.h"
#include "win/ScopedHandle.h"

namespace sharedfarlink {

class RemoteComponentDetector : public IRemoteComponent {
public:
    // Probes the session, once for the life of the detector.
    RemoteComponentDetector();
    ~RemoteComponentDetector() override = default;
    RemoteComponentDetector(const RemoteComponentDetector&) = delete;
    RemoteComponentDetector& operator=(const RemoteComponentDetector&) = delete;

    // One step of the enumeration of the components that apply to the session:
    // all six in list order on a local session, at most the session's own one
    // in a remote session. Clears `first`.
    bool NextComponent(bool& first, ComponentHolder& out);
    // One step that also refreshes the component and records its answers.
    bool MoveNext(bool& first, const std::wstring& productCode);
    // Which remote client runs and whether the plug-in is loaded in it.
    bool FindClientProcess();

    int SessionType() const { return sessionType; }

    bool MatchesProcessName(bool remoteSession, const std::wstring& processName) const override;
    int GetType() const override;
    bool GetChannelDll(bool remoteSession, std::wstring& dllName) const override;
    bool UpdateState(bool remoteSession, const std::wstring& productCode) override;
    TriState IsClientInstalled(bool remoteSession) const override;
    TriState IsRegistered(bool remoteSession) const override;
    TriState IsDllInstalled(bool remoteSession) const override;
    // Repairs every component of the enumeration and combines the answers.
    TriState Repair(bool remoteSession, const std::wstring& productCode) override;

    // What the last MoveNext found wrong with its channel (None when it works).
    const ChannelFault& Fault() const { return fault; }
    // Repair, recording each component's answer and, for a 0, its reason.
    struct ComponentRepair {
        int type;
        TriState result;
        ChannelFault fault;
    };
    TriState RepairEach(bool remoteSession, const std::wstring& productCode,
                        std::vector<ComponentRepair>* outcomes);

    // Read directly by the dialogs.
    bool inRemoteSession = false;
    bool multipleClients = false;
    TriState dllLoaded = -1;  // -1 until a module search ran

protected:
    void EnumerateProcesses(ComponentHolder& out);
    void InspectProcess(DWORD processId, ComponentHolder& out);
    // The calling thread's token, impersonating itself first when it has none.
    win::ScopedHandle OpenSelfToken();
    void SetDebugPrivilege(HANDLE token, bool enable);

private:
    int componentType = RemoteTypeNone;
    int sessionType = RemoteTypeNone;
    TriState clientInstalled = -1;
    TriState registered = 0;
    TriState dllInstalled = 0;
    std::wstring channelDll;
    bool checkLoaded = false;
    bool companionAsked = false;  // this scan has asked the 64-bit companion
    // Started by the first scan that needs it; lives as long as the dialog's detector.
    ModuleCompanion companion;
    ComponentCursor cursor = kNoComponent;
    ChannelFault fault;
};

}  // namespace sharedfarlink
