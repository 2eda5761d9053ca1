#pragma once
// VMware Horizon: loads the Remote Desktop plug-in through the same add-in
// keys, but only keys with a nonzero "View Enabled" count, and only once the
// Horizon client is installed at all.
#include "detection/RdpComponent.h"

namespace sharedfarlink {

class HorizonComponent : public RdpComponent {
public:
    HorizonComponent();
    HorizonComponent(const HorizonComponent&) = default;
    ~HorizonComponent() override = default;

    bool UpdateState(bool remoteSession, const std::wstring& productCode) override;
    TriState IsClientInstalled(bool remoteSession) const override;

private:
    bool clientKeyFound = false;
    const std::wstring clientKey = L"Software\\VMware, Inc.\\VMware VDM\\Client";
};

}  // namespace sharedfarlink
