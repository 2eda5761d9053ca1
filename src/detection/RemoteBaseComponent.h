#pragma once
// Identity and default answers shared by all components.
#include "detection/ChannelFault.h"
#include "detection/IRemoteComponent.h"

namespace sharedfarlink {

class RemoteBaseComponent : public IRemoteComponent {
public:
    RemoteBaseComponent() = default;
    RemoteBaseComponent(const RemoteBaseComponent&) = default;
    RemoteBaseComponent& operator=(const RemoteBaseComponent&) = delete;
    ~RemoteBaseComponent() override = default;

    bool MatchesProcessName(bool remoteSession, const std::wstring& processName) const override;
    int GetType() const override;
    bool GetChannelDll(bool remoteSession, std::wstring& dllName) const override;
    bool UpdateState(bool remoteSession, const std::wstring& productCode) override;
    TriState IsClientInstalled(bool remoteSession) const override;
    TriState IsRegistered(bool remoteSession) const override;
    TriState IsDllInstalled(bool remoteSession) const override;
    TriState Repair(bool remoteSession, const std::wstring& productCode) override;

    // Not slots of IRemoteComponent, whose layout is fixed: what the report
    // asks of a component copy after UpdateState or Repair.
    // Why the channel does not work on this side; kind None when it works.
    virtual ChannelFault DescribeFault(bool remoteSession) const;
    // Why the last Repair gave 0; kind None after any other answer.
    const ChannelFault& RepairFault() const { return repairFault; }

protected:
    // The needs-repair rule every UpdateState ends with: a client that is not
    // installed never needs repair; otherwise a 0 from the file or the
    // registration test does (-1 counts as satisfied).
    bool ApplyNeedsRepairRule(bool remoteSession);

    std::wstring clientProcess;
    std::wstring hostProcess;
    int type = RemoteTypeNone;
    std::wstring channelDll;
    bool needsRepair = false;
    bool hostLoadsDll = false;
    ChannelFault repairFault;
};

}  // namespace sharedfarlink
