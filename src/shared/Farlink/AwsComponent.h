#pragma once
// Amazon WorkSpaces over PCoIP, the one component with a host-side process.
// For now it has its identity and the base behaviour.
#include "shared/Farlink/RemoteBaseComponent.h"

namespace sharedfarlink {

class AwsComponent : public RemoteBaseComponent {
public:
    AwsComponent();
    AwsComponent(const AwsComponent&) = default;
    ~AwsComponent() override = default;
};

}  // namespace sharedfarlink
