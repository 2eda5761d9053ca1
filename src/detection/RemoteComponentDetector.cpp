#include "detection/RemoteComponentDetector.h"

#include "detection/RemoteBaseComponent.h"
#include "detection/RepairResult.h"
#include "detection/SessionProbe.h"

namespace sharedfarlink {

RemoteComponentDetector::RemoteComponentDetector() {
    int probed = ProbeSession();
    inRemoteSession = probed != RemoteTypeLocal;
    if (inRemoteSession) sessionType = probed;
}

bool RemoteComponentDetector::NextComponent(bool& first, ComponentHolder& out) {
    if (inRemoteSession) {
        // Only the session's own kind applies on the host side; Disconnected
        // has no component, so it yields nothing.
        if (!first) return false;
        first = false;
        return FindByType(sessionType, out);
    }
    if (first) {
        first = false;
        if (!FirstComponent(cursor)) return false;
    } else if (!NextComponentPosition(cursor)) {
        return false;
    }
    const IRemoteComponent& prototype = GetComponentList().At(cursor);
    return CloneComponent(prototype.GetType(), prototype, out);
}

bool RemoteComponentDetector::MoveNext(bool& first, const std::wstring& productCode) {
    ComponentHolder current;
    if (!NextComponent(first, current)) return false;
    componentType = current->GetType();
    current->UpdateState(inRemoteSession, productCode);
    clientInstalled = current->IsClientInstalled(inRemoteSession);
    registered = current->IsRegistered(inRemoteSession);
    dllInstalled = current->IsDllInstalled(inRemoteSession);
    // Only a broken channel has a reason to find (which reads the registry
    // again). Every component in the list is a RemoteBaseComponent.
    fault = registered != 0 && dllInstalled != 0
                ? ChannelFault()
                : static_cast<const RemoteBaseComponent&>(*current).DescribeFault(inRemoteSession);
    return true;
}

bool RemoteComponentDetector::MatchesProcessName(bool, const std::wstring&) const {
    return false;
}

int RemoteComponentDetector::GetType() const { return componentType; }

bool RemoteComponentDetector::GetChannelDll(bool, std::wstring& dllName) const {
    dllName = channelDll;
    return checkLoaded;
}

bool RemoteComponentDetector::UpdateState(bool, const std::wstring&) { return false; }

TriState RemoteComponentDetector::IsClientInstalled(bool) const { return clientInstalled; }
TriState RemoteComponentDetector::IsRegistered(bool) const { return registered; }
TriState RemoteComponentDetector::IsDllInstalled(bool) const { return dllInstalled; }

TriState RemoteComponentDetector::Repair(bool remoteSession, const std::wstring& productCode) {
    return RepairEach(remoteSession, productCode, nullptr);
}

TriState RemoteComponentDetector::RepairEach(bool remoteSession, const std::wstring& productCode,
                                             std::vector<ComponentRepair>* outcomes) {
    TriState result = -1;
    bool first = true;
    ComponentHolder component;
    while (NextComponent(first, component)) {
        // The state is read for the detector's own side; the repair acts for
        // the side the caller names.
        component->UpdateState(inRemoteSession, productCode);
        TriState answer = component->Repair(remoteSession, productCode);
        result = CombineRepairResult(result, answer);
        if (outcomes)
            outcomes->push_back({component->GetType(), answer,
                                 static_cast<const RemoteBaseComponent&>(*component).RepairFault()});
    }
    return result;
}

}  // namespace sharedfarlink
