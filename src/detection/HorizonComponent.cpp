#include "detection/HorizonComponent.h"

#include <windows.h>

#include "win/RegKey.h"

namespace sharedfarlink {

namespace {
// The Horizon client writes its key in the 32-bit view.
constexpr REGSAM kClientKeyAccess = STANDARD_RIGHTS_READ | KEY_WOW64_32KEY | KEY_QUERY_VALUE;
}  // namespace

HorizonComponent::HorizonComponent() {
    clientProcess = L"vmware-remotemks.exe";
    type = RemoteTypeHorizon;
    checkViewEnabled = true;
}

bool HorizonComponent::UpdateState(bool remoteSession, const std::wstring&) {
    win::RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, clientKey.c_str(), kClientKeyAccess) != ERROR_SUCCESS) {
        // Without the client nothing else is read: the add-in records and
        // needsRepair keep what they held.
        clientKeyFound = false;
        return needsRepair;
    }
    key.Close();
    clientKeyFound = true;
    if (!remoteSession) ReadAddins();
    return ApplyNeedsRepairRule(remoteSession);
}

TriState HorizonComponent::IsClientInstalled(bool remoteSession) const {
    if (remoteSession) return -1;
    return clientKeyFound ? 1 : 0;
}

}  // namespace sharedfarlink
