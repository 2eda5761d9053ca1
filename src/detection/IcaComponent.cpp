#include "detection/IcaComponent.h"

#include <windows.h>
#include <shlwapi.h>

#include "detection/ClientInstallAnswer.h"
#include "detection/ReinstallFeature.h"
#include "win/LooseRegistryReads.h"
#include "win/RegKey.h"

namespace sharedfarlink {

namespace {

// The Citrix client is a 32-bit program and writes its keys in the 32-bit
// view; a 64-bit build must ask for that view explicitly.
constexpr REGSAM kCitrixKeyAccess = STANDARD_RIGHTS_READ | KEY_WOW64_32KEY | KEY_QUERY_VALUE;

bool ReadMachineString(const std::wstring& key, const wchar_t* name, std::wstring& text) {
    win::RegKey opened;
    if (opened.Open(HKEY_LOCAL_MACHINE, key.c_str(), kCitrixKeyAccess) != ERROR_SUCCESS)
        return false;
    return win::ReadLooseString(opened.Get(), name, &text);
}

}  // namespace

IcaComponent::IcaComponent() {
    clientProcess = L"wfica32.exe";
    type = RemoteTypeIca;
    channelDll = L"vcbica.dll";
}

bool IcaComponent::UpdateState(bool remoteSession, const std::wstring&) {
    // Read on either side: the answers below decide what counts.
    std::wstring driverName;
    driverRegistered = ReadMachineString(modulesKey, L"DriverName", driverName);
    installFound = false;
    if (ReadMachineString(installKey, L"InstallFolder", clientFolder)) {
        installFound = true;
        // The client records its folder with the trailing separator; nothing
        // is inserted, so a folder recorded without one finds no plug-in.
        pluginPath = clientFolder + channelDll;
    }
    return ApplyNeedsRepairRule(remoteSession);
}

TriState IcaComponent::IsClientInstalled(bool remoteSession) const {
    return ClientInstallAnswer(remoteSession, installFound);
}

TriState IcaComponent::IsRegistered(bool remoteSession) const {
    if (remoteSession) return -1;
    return driverRegistered ? 1 : 0;
}

TriState IcaComponent::IsDllInstalled(bool remoteSession) const {
    if (remoteSession) return -1;
    return ::PathFileExistsW(pluginPath.c_str()) ? 1 : 0;
}

TriState IcaComponent::Repair(bool remoteSession, const std::wstring& productCode) {
    repairFault = ChannelFault();
    if (!needsRepair || remoteSession || !installFound) return -1;
    // Without the product's code there is nothing to reinstall from; the
    // dialog reports this as a failed repair.
    if (productCode.empty()) {
        repairFault.kind = FaultKind::NoProductCode;
        return 0;
    }
    return ReinstallFeature(productCode, feature, &repairFault);
}

ChannelFault IcaComponent::DescribeFault(bool remoteSession) const {
    ChannelFault fault;
    if (IsDllInstalled(remoteSession) == 0) fault = {FaultKind::PluginFileMissing, pluginPath};
    else if (IsRegistered(remoteSession) == 0)
        fault = {FaultKind::CitrixModuleMissing, L"HKEY_LOCAL_MACHINE\\" + modulesKey};
    return fault;
}

}  // namespace sharedfarlink
