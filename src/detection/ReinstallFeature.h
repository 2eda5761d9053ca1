#pragma once
// Reinstalls one Windows Installer feature of an installed product.
#include <string>

#include "detection/ChannelFault.h"

namespace sharedfarlink {

// Sets the feature absent, then local. 1 when the second step succeeds
// (whatever the first gave), else 0, and then `fault` says why.
int ReinstallFeature(const std::wstring& productCode, const std::wstring& feature,
                     ChannelFault* fault = nullptr);

}  // namespace sharedfarlink
