#include "report/ChannelTexts.h"

#include "support/TextFormat.h"
#include "support/Translation.h"

namespace report {

using sharedfarlink::FaultKind;
using support::FormatText;
using support::Translate;

namespace {

const wchar_t kRepairContext[] = L"Remote Desktop Repair";
const wchar_t kFaultContext[] = L"Remote channel fault";

const wchar_t* FaultFormat(FaultKind kind) {
    switch (kind) {
        case FaultKind::None: return nullptr;
        case FaultKind::VersionMissing:
            return L"The installed product version is not recorded (\"Version\" under %s).";
        case FaultKind::ProgramFilesMissing: return L"The Program Files folder could not be found.";
        case FaultKind::PluginFileMissing: return L"The plug-in file %s is missing.";
        case FaultKind::AddinKeyMissing: return L"The add-in key %s is missing or has no \"Name\" value.";
        case FaultKind::AddinKeyOtherFile: return L"The add-in key %s names %s instead of %s.";
        case FaultKind::AddinViewDisabled:
            return L"The add-in key %s has no nonzero \"View Enabled\" value.";
        case FaultKind::RdpSupportOff:
            return L"RDP support is switched off in this installation (\"RDP Support\" under %s).";
        case FaultKind::CitrixModuleMissing:
            return L"The Citrix module key %s has no \"DriverName\" value.";
        case FaultKind::HostKeyMissing: return L"The PCoIP plug-in key %s is missing.";
        case FaultKind::NoProductCode:
            return L"No installer product code is known for the reinstall.";
        case FaultKind::FeatureAbsent: return L"The installer feature %s is absent from product %s.";
        case FaultKind::ProductUnknown: return L"Windows Installer does not know the product %s.";
        case FaultKind::InstallerFailed:
            return L"Windows Installer could not reinstall the feature %s (error %u).";
        case FaultKind::AddinWriteFailed:
            return L"The Remote Desktop add-in keys could not be written or removed.";
        case FaultKind::Unknown: break;
    }
    return L"The plug-in is not installed or not registered.";
}

}  // namespace

std::wstring ChannelName(int type) {
    const wchar_t* msgid = nullptr;
    switch (type) {
        case sharedfarlink::RemoteTypeIca: msgid = L"Citrix channel"; break;
        case sharedfarlink::RemoteTypeRdp:
        case sharedfarlink::RemoteTypeGlass: msgid = L"RDP channel"; break;
        case sharedfarlink::RemoteTypeHorizon: msgid = L"Horizon channel"; break;
        case sharedfarlink::RemoteTypeAws: msgid = L"AWS channel"; break;
        case sharedfarlink::RemoteTypeAzure: msgid = L"Azure channel"; break;
        default: break;
    }
    return msgid ? Translate(L"Remote channel", msgid) : std::wstring();
}

std::wstring ChannelStateText(bool working) {
    return Translate(L"Remote channel status", working ? L"working" : L"not working");
}

std::wstring RepairResultText(sharedfarlink::TriState result) {
    if (result == 0) return Translate(kRepairContext, L"An error occurred trying to repair the remote channels.");
    if (result == 1) return Translate(kRepairContext, L"The remote channels have been repaired.");
    return std::wstring();
}

std::wstring RepairOutcomeText(sharedfarlink::TriState result, bool held) {
    if (result == 1 && !held)
        return Translate(kRepairContext, L"The repair ran, but some remote channels still do not work.");
    return RepairResultText(result);
}

std::wstring FaultText(const sharedfarlink::ChannelFault& fault) {
    const wchar_t* format = FaultFormat(fault.kind);
    if (!format) return std::wstring();
    // Each format names its facts in this order; the unused ones format as nothing.
    if (fault.kind == FaultKind::InstallerFailed)
        return FormatText(Translate(kFaultContext, format), {fault.path, fault.code});
    if (fault.kind == FaultKind::ProductUnknown)
        return FormatText(Translate(kFaultContext, format), {fault.other});
    return FormatText(Translate(kFaultContext, format), {fault.path, fault.other, fault.expected});
}

}  // namespace report
