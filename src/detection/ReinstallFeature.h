#pragma once
// Reinstalls one Windows Installer feature of an installed product.
#include <string>

namespace sharedfarlink {

// Sets the feature absent, then local. 1 when the second step succeeds
// (whatever the first gave), else 0.
int ReinstallFeature(const std::wstring& productCode, const std::wstring& feature);

}  // namespace sharedfarlink
