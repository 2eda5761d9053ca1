#pragma once
// Citrix ICA. For now it has its identity and the base behaviour.
#include "shared/Farlink/RemoteBaseComponent.h"

namespace sharedfarlink {

class IcaComponent : public RemoteBaseComponent {
public:
    IcaComponent();
    IcaComponent(const IcaComponent&) = default;
    ~IcaComponent() override = default;
};

}  // namespace sharedfarlink
