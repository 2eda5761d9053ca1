#include "detection/RdpGlassComponent.h"

namespace sharedfarlink {

RdpGlassComponent::RdpGlassComponent() { type = RemoteTypeGlass; }

TriState RdpGlassComponent::IsClientInstalled(bool remoteSession) const {
    // On the client machine Glass is never shown nor repaired: RdpComponent
    // already covers the same keys there.
    return remoteSession ? -1 : 0;
}

}  // namespace sharedfarlink
