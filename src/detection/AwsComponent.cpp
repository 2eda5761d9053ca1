#include "detection/AwsComponent.h"

#include <windows.h>
#include <shlwapi.h>

#include "detection/CInstallSupport.h"
#include "detection/ClientInstallAnswer.h"
#include "detection/ReinstallFeature.h"
#include "win/LooseRegistryReads.h"
#include "win/RegKey.h"
#include "win/StrictRegistryReads.h"

namespace sharedfarlink {

namespace {

const wchar_t kCommandKey[] = L"Software\\Classes\\workspaces\\shell\\open\\command";
constexpr REGSAM kDefaultViewAccess = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE;
// The PCoIP agent is a 32-bit process, so its plug-in key is looked for in
// the 32-bit view first; a key found only in this process's own view counts too.
constexpr REGSAM kAgentViewAccess = kDefaultViewAccess | KEY_WOW64_32KEY;

}  // namespace

AwsComponent::AwsComponent() : installerProductCode(CInstallSupport().ReadProductCode()) {
    clientProcess = L"workspaces.exe";
    hostProcess = L"pcoip_server_win32.exe";
    type = RemoteTypeAws;
    channelDll = L"vcbpco.dll";
}

bool AwsComponent::UpdateState(bool remoteSession, const std::wstring&) {
    installFound = false;
    if (remoteSession) {
        hostRegistered = ReadHostRegistration();
    } else {
        ReadClientInstallation();
    }
    return ApplyNeedsRepairRule(remoteSession);
}

void AwsComponent::ReadClientInstallation() {
    win::RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kCommandKey, kDefaultViewAccess) != ERROR_SUCCESS) return;
    std::wstring folder;
    if (!win::ReadLooseString(key.Get(), nullptr, &folder)) return;
    // The command line is taken apart only this far: cut at the last "\" and
    // drop one leading quote. Arguments holding a "\" therefore spoil the
    // folder, and the client then counts as not installed.
    size_t lastSeparator = folder.rfind(L'\\');
    if (lastSeparator != std::wstring::npos) folder.resize(lastSeparator);
    if (!folder.empty() && folder[0] == L'"') folder.erase(0, 1);
    clientDllPath = folder + L"\\vchan_plugins\\";
    DWORD attributes = ::GetFileAttributesW(clientDllPath.c_str());
    installFound =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (installFound) clientDllPath += channelDll;
}

bool AwsComponent::ReadHostRegistration() {
    REGSAM access = kAgentViewAccess;
    win::RegKey plugins;
    if (plugins.Open(HKEY_LOCAL_MACHINE, pluginsKey.c_str(), access) != ERROR_SUCCESS) {
        access = kDefaultViewAccess;
        if (plugins.Open(HKEY_LOCAL_MACHINE, pluginsKey.c_str(), access) != ERROR_SUCCESS)
            return false;
    }
    installFound = true;
    // The subkey is read in the view its parent was found in.
    win::RegKey plugin;
    if (plugin.Open(plugins.Get(), pluginName.c_str(), access) != ERROR_SUCCESS) return false;
    std::wstring path;
    if (!win::ReadStrictString(plugin.Get(), L"dll", &path)) return false;
    hostDllPath = path;
    return true;
}

TriState AwsComponent::IsClientInstalled(bool remoteSession) const {
    return ClientInstallAnswer(remoteSession, installFound);
}

TriState AwsComponent::IsRegistered(bool remoteSession) const {
    // The client finds its plug-ins by folder; only the host registers one.
    if (!remoteSession) return -1;
    return hostRegistered ? 1 : 0;
}

TriState AwsComponent::IsDllInstalled(bool remoteSession) const {
    if (remoteSession) {
        if (!hostRegistered) return 0;
        return ::PathFileExistsW(hostDllPath.c_str()) ? 1 : 0;
    }
    return ::PathFileExistsW(clientDllPath.c_str()) ? 1 : 0;
}

TriState AwsComponent::Repair(bool remoteSession, const std::wstring&) {
    repairFault = ChannelFault();
    if (!needsRepair) return -1;
    if (!remoteSession && !installFound) return -1;
    // An empty code goes to the installer as it is; the installer refuses it.
    TriState result = ReinstallFeature(installerProductCode,
                                       remoteSession ? hostFeature : clientFeature, &repairFault);
    if (result == 0 && installerProductCode.empty()) repairFault = {FaultKind::NoProductCode};
    return result;
}

ChannelFault AwsComponent::DescribeFault(bool remoteSession) const {
    ChannelFault fault;
    const std::wstring key = L"HKEY_LOCAL_MACHINE\\" + pluginsKey;
    if (remoteSession && !installFound) fault = {FaultKind::HostKeyMissing, key};
    else if (remoteSession && !hostRegistered)
        fault = {FaultKind::HostKeyMissing, key + L"\\" + pluginName};
    else if (IsDllInstalled(remoteSession) == 0)
        fault = {FaultKind::PluginFileMissing, remoteSession ? hostDllPath : clientDllPath};
    return fault;
}

}  // namespace sharedfarlink
