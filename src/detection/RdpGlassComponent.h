#pragma once
// A Glass session: Remote Desktop with its own type. It has no client program
// of its own to find on the client machine.
#include "detection/RdpComponent.h"

namespace sharedfarlink {

class RdpGlassComponent : public RdpComponent {
public:
    RdpGlassComponent();
    RdpGlassComponent(const RdpGlassComponent&) = default;
    ~RdpGlassComponent() override = default;

    TriState IsClientInstalled(bool remoteSession) const override;
};

}  // namespace sharedfarlink
