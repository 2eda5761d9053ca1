#pragma once
// Microsoft Remote Desktop: the plug-in is announced per user through the two
// add-in keys, which this component checks and repairs on the client side.
#include "detection/AddinEntry.h"
#include "detection/RemoteBaseComponent.h"

namespace sharedfarlink {

class RdpComponent : public RemoteBaseComponent {
public:
    RdpComponent();
    RdpComponent(const RdpComponent&) = default;
    ~RdpComponent() override = default;

    bool UpdateState(bool remoteSession, const std::wstring& productCode) override;
    TriState IsRegistered(bool remoteSession) const override;
    TriState IsDllInstalled(bool remoteSession) const override;
    TriState Repair(bool remoteSession, const std::wstring& productCode) override;
    ChannelFault DescribeFault(bool remoteSession) const override;

protected:
    // Re-reads both add-in keys and their expected paths.
    void ReadAddins();

    bool checkViewEnabled = false;
    AddinEntry addins[2];
};

}  // namespace sharedfarlink
