#pragma once
// VMware Horizon: loads the Remote Desktop plug-in through the same add-in keys.
// For now it has its identity and Remote Desktop's behaviour.
#include "shared/Farlink/RdpComponent.h"

namespace sharedfarlink {

class HorizonComponent : public RdpComponent {
public:
    HorizonComponent();
    HorizonComponent(const HorizonComponent&) = default;
    ~HorizonComponent() override = default;
};

}  // namespace sharedfarlink
