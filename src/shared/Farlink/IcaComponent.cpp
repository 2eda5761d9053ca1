#include "shared/Farlink/IcaComponent.h"

namespace sharedfarlink {

IcaComponent::IcaComponent() {
    clientProcess = L"wfica32.exe";
    type = RemoteTypeIca;
    channelDll = L"vcbica.dll";
}

}  // namespace sharedfarlink
