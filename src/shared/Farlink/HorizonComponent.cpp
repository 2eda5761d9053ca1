#include "shared/Farlink/HorizonComponent.h"

namespace sharedfarlink {

HorizonComponent::HorizonComponent() {
    clientProcess = L"vmware-remotemks.exe";
    type = RemoteTypeHorizon;
}

}  // namespace sharedfarlink
