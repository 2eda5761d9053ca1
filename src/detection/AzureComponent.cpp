#include "detection/AzureComponent.h"

namespace sharedfarlink {

AzureComponent::AzureComponent() {
    clientProcess = L"msrdc.exe";
    type = RemoteTypeAzure;
}

}  // namespace sharedfarlink
