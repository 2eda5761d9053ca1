#include "detection/ReinstallFeature.h"

#include <windows.h>
#include <msi.h>

namespace sharedfarlink {

int ReinstallFeature(const std::wstring& productCode, const std::wstring& feature) {
    // Removing first forces the installer to lay the files down again; a
    // feature that is already absent just fails this step, which is fine.
    ::MsiConfigureFeatureW(productCode.c_str(), feature.c_str(), INSTALLSTATE_ABSENT);
    UINT result = ::MsiConfigureFeatureW(productCode.c_str(), feature.c_str(), INSTALLSTATE_LOCAL);
    return result == ERROR_SUCCESS ? 1 : 0;
}

}  // namespace sharedfarlink
