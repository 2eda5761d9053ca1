#include "detection/ReinstallFeature.h"

#include <windows.h>
#include <msi.h>

namespace sharedfarlink {

int ReinstallFeature(const std::wstring& productCode, const std::wstring& feature,
                     ChannelFault* fault) {
    // Removing first forces the installer to lay the files down again; a
    // feature that is already absent just fails this step, which is fine.
    ::MsiConfigureFeatureW(productCode.c_str(), feature.c_str(), INSTALLSTATE_ABSENT);
    UINT result = ::MsiConfigureFeatureW(productCode.c_str(), feature.c_str(), INSTALLSTATE_LOCAL);
    if (result == ERROR_SUCCESS) return 1;
    if (fault) {
        fault->kind = result == ERROR_UNKNOWN_FEATURE   ? FaultKind::FeatureAbsent
                      : result == ERROR_UNKNOWN_PRODUCT ? FaultKind::ProductUnknown
                                                        : FaultKind::InstallerFailed;
        fault->path = feature;
        fault->other = productCode;
        fault->code = result;
    }
    return 0;
}

}  // namespace sharedfarlink
