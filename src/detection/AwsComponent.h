#pragma once
// Amazon WorkSpaces over PCoIP, the one component with work on both ends: on
// the client machine the plug-in sits in the client's "vchan_plugins"
// folder; on the host it is registered under the Teradici plug-in key. Either
// side is repaired by reinstalling "RASClient" of the program's own package.
#include "detection/RemoteBaseComponent.h"

namespace sharedfarlink {

class AwsComponent : public RemoteBaseComponent {
public:
    // Reads the installed package's product code once; every copy carries it.
    AwsComponent();
    AwsComponent(const AwsComponent&) = default;
    ~AwsComponent() override = default;

    bool UpdateState(bool remoteSession, const std::wstring& productCode) override;
    TriState IsClientInstalled(bool remoteSession) const override;
    TriState IsRegistered(bool remoteSession) const override;
    TriState IsDllInstalled(bool remoteSession) const override;
    // The caller's product code is not used: the feature belongs to the
    // package recorded when the component list was built.
    TriState Repair(bool remoteSession, const std::wstring& productCode) override;
    ChannelFault DescribeFault(bool remoteSession) const override;

private:
    void ReadClientInstallation();
    bool ReadHostRegistration();

    bool hostRegistered = false;
    bool installFound = false;
    std::wstring installerProductCode;
    std::wstring clientDllPath;
    std::wstring hostDllPath;
    const std::wstring hostFeature = L"RASClient";
    const std::wstring clientFeature = L"RASClient";
    const std::wstring pluginsKey = L"Software\\Teradici\\VChan\\Plugins";
    const std::wstring pluginName = L"Quenby";
};

}  // namespace sharedfarlink
