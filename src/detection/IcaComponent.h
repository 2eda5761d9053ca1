#pragma once
// Citrix ICA: the plug-in sits in the Citrix client's own folder and is
// announced by a module entry under the client's configuration key. A broken
// channel is repaired by reinstalling the installer feature that carries it.
#include "detection/RemoteBaseComponent.h"

namespace sharedfarlink {

class IcaComponent : public RemoteBaseComponent {
public:
    IcaComponent();
    IcaComponent(const IcaComponent&) = default;
    ~IcaComponent() override = default;

    bool UpdateState(bool remoteSession, const std::wstring& productCode) override;
    TriState IsClientInstalled(bool remoteSession) const override;
    TriState IsRegistered(bool remoteSession) const override;
    TriState IsDllInstalled(bool remoteSession) const override;
    // Reinstalls "RASClient" of the caller's product; an empty code is a
    // failure without asking the installer.
    TriState Repair(bool remoteSession, const std::wstring& productCode) override;
    ChannelFault DescribeFault(bool remoteSession) const override;

private:
    bool driverRegistered = false;
    bool installFound = false;
    std::wstring pluginPath;
    std::wstring clientFolder;
    const std::wstring modulesKey =
        L"Software\\Citrix\\ICA Client\\Engine\\Configuration\\Advanced\\Modules\\Corvane";
    const std::wstring installKey = L"Software\\Citrix\\Install\\ICA Client";
    const std::wstring feature = L"RASClient";
};

}  // namespace sharedfarlink
