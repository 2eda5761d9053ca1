#include "detection/RdpComponent.h"

#include <windows.h>
#include <shlwapi.h>

#include "detection/CInstallSupport.h"

namespace sharedfarlink {

RdpComponent::RdpComponent() {
    clientProcess = L"mstsc.exe";
    type = RemoteTypeRdp;
    channelDll = L"vcbrdp.dll";
}

void RdpComponent::ReadAddins() {
    CInstallSupport install;
    for (int entry = 0; entry < 2; ++entry) {
        AddinEntry& addin = addins[entry];
        addin.found = install.ReadAddinRegistration(
            entry, addin.name, checkViewEnabled ? &addin.viewEnabled : nullptr);
        addin.expectedPath = install.ExpectedPluginPath(entry);
    }
}

bool RdpComponent::UpdateState(bool remoteSession, const std::wstring&) {
    // The add-in keys belong to the client machine's user; the host side has
    // nothing to read.
    if (!remoteSession) ReadAddins();
    return ApplyNeedsRepairRule(remoteSession);
}

TriState RdpComponent::IsRegistered(bool remoteSession) const {
    if (remoteSession) return -1;
    for (const AddinEntry& addin : addins) {
        if (checkViewEnabled && !addin.viewEnabled) return 0;
        if (!addin.found) return 0;
        if (::_wcsicmp(addin.expectedPath.c_str(), addin.name.c_str()) != 0) return 0;
    }
    return 1;
}

TriState RdpComponent::IsDllInstalled(bool remoteSession) const {
    if (remoteSession) return -1;
    for (const AddinEntry& addin : addins) {
        // The file the client would actually load, when a key names one.
        const std::wstring& file = addin.found ? addin.name : addin.expectedPath;
        if (!::PathFileExistsW(file.c_str())) return 0;
    }
    return 1;
}

TriState RdpComponent::Repair(bool remoteSession, const std::wstring&) {
    repairFault = ChannelFault();
    if (!needsRepair || remoteSession) return -1;
    CInstallSupport install;
    // The version may have changed since the state was read.
    install.RefreshVersion();
    if (install.RepairAddinRegistrations()) return 1;
    repairFault.kind = FaultKind::AddinWriteFailed;
    return 0;
}

ChannelFault RdpComponent::DescribeFault(bool remoteSession) const {
    ChannelFault fault;
    if (remoteSession) return fault;
    CInstallSupport install;
    // Without a version no path is right: that is the one thing to fix.
    if (install.Version().empty()) {
        fault.kind = FaultKind::VersionMissing;
        return fault;
    }
    // Files before keys: a key naming a file that is not there cannot be
    // repaired by writing the key.
    for (const AddinEntry& addin : addins) {
        const std::wstring& file = addin.found ? addin.name : addin.expectedPath;
        if (addin.expectedPath.empty()) fault.kind = FaultKind::ProgramFilesMissing;
        else if (!::PathFileExistsW(file.c_str())) fault = {FaultKind::PluginFileMissing, file};
        if (fault.kind != FaultKind::None) return fault;
    }
    for (int entry = 0; entry < 2; ++entry) {
        const AddinEntry& addin = addins[entry];
        const std::wstring key = L"HKEY_CURRENT_USER\\" + install.AddinKeyPath(entry);
        if (!addin.found && install.IsRdpSupportDisabled())
            fault = {FaultKind::RdpSupportOff, L"HKEY_LOCAL_MACHINE\\" + install.VersionKey()};
        else if (!addin.found)
            fault = {FaultKind::AddinKeyMissing, key};
        else if (::_wcsicmp(addin.expectedPath.c_str(), addin.name.c_str()) != 0)
            fault = {FaultKind::AddinKeyOtherFile, key, addin.name, addin.expectedPath};
        else if (checkViewEnabled && !addin.viewEnabled)
            fault = {FaultKind::AddinViewDisabled, key};
        if (fault.kind != FaultKind::None) return fault;
    }
    return fault;
}

}  // namespace sharedfarlink
