#include "shared/Farlink/AwsComponent.h"

namespace sharedfarlink {

AwsComponent::AwsComponent() {
    clientProcess = L"workspaces.exe";
    hostProcess = L"pcoip_server_win32.exe";
    type = RemoteTypeAws;
    channelDll = L"vcbpco.dll";
}

}  // namespace sharedfarlink
