#include "detection/RemoteBaseComponent.h"

#include <wchar.h>

namespace sharedfarlink {

bool RemoteBaseComponent::MatchesProcessName(bool remoteSession,
                                             const std::wstring& processName) const {
    const std::wstring& own = remoteSession ? hostProcess : clientProcess;
    // An empty name stands for "no such process" and must match nothing.
    return !own.empty() && ::_wcsicmp(own.c_str(), processName.c_str()) == 0;
}

int RemoteBaseComponent::GetType() const { return type; }

bool RemoteBaseComponent::GetChannelDll(bool remoteSession, std::wstring& dllName) const {
    dllName = channelDll;
    return remoteSession ? hostLoadsDll : true;
}

bool RemoteBaseComponent::UpdateState(bool remoteSession, const std::wstring&) {
    return ApplyNeedsRepairRule(remoteSession);
}

TriState RemoteBaseComponent::IsClientInstalled(bool) const { return -1; }
TriState RemoteBaseComponent::IsRegistered(bool) const { return 0; }
TriState RemoteBaseComponent::IsDllInstalled(bool) const { return 0; }
TriState RemoteBaseComponent::Repair(bool, const std::wstring&) { return -1; }

ChannelFault RemoteBaseComponent::DescribeFault(bool remoteSession) const {
    ChannelFault fault;
    if (IsDllInstalled(remoteSession) == 0 || IsRegistered(remoteSession) == 0)
        fault.kind = FaultKind::Unknown;
    return fault;
}

bool RemoteBaseComponent::ApplyNeedsRepairRule(bool remoteSession) {
    if (IsClientInstalled(remoteSession) == 0) {
        needsRepair = false;
    } else {
        // Both queries run, files first, whatever the first one answers.
        TriState files = IsDllInstalled(remoteSession);
        TriState registration = IsRegistered(remoteSession);
        needsRepair = files == 0 || registration == 0;
    }
    return needsRepair;
}

}  // namespace sharedfarlink
