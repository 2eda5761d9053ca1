#pragma once
// Why a channel does not work, or why its repair failed, as facts an
// administrator can act on. The words are the report's (src/report); these
// are only the kind and the names and numbers that go into them.
#include <string>
#include <utility>

namespace sharedfarlink {

enum class FaultKind {
    None,
    VersionMissing,        // the product key has no "Version": no plug-in path can be known
    ProgramFilesMissing,   // the Program Files folder could not be found
    PluginFileMissing,     // path: the plug-in file that is not there
    AddinKeyMissing,       // path: the add-in key that is missing
    AddinKeyOtherFile,     // path: the add-in key; other: the file it names; expected
    AddinViewDisabled,     // path: the add-in key without a nonzero "View Enabled"
    RdpSupportOff,         // path: the version key whose "RDP Support" is 0 or missing
    CitrixModuleMissing,   // path: the Citrix module key without "DriverName"
    HostKeyMissing,        // path: the PCoIP plug-in key (or its value) that is missing
    // Repair faults.
    NoProductCode,         // a feature reinstall with no product code known
    FeatureAbsent,         // path: the feature; other: the product code
    ProductUnknown,        // other: the product code the installer does not know
    InstallerFailed,       // code: the installer's error; path: the feature
    AddinWriteFailed,      // the add-in keys could not be written or removed
    Unknown,
};

struct ChannelFault {
    ChannelFault() = default;
    ChannelFault(FaultKind kind, std::wstring path = {}, std::wstring other = {},
                 std::wstring expected = {})
        : kind(kind), path(std::move(path)), other(std::move(other)), expected(std::move(expected)) {}

    FaultKind kind = FaultKind::None;
    std::wstring path;
    std::wstring other;
    std::wstring expected;
    unsigned long code = 0;
};

}  // namespace sharedfarlink
