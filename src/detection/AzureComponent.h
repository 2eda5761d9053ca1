#pragma once
// The Azure remote desktop client: Remote Desktop's plug-in and keys, its own
// executable and type.
#include "detection/RdpComponent.h"

namespace sharedfarlink {

class AzureComponent : public RdpComponent {
public:
    AzureComponent();
    AzureComponent(const AzureComponent&) = default;
    ~AzureComponent() override = default;
};

}  // namespace sharedfarlink
