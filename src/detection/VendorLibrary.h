#pragma once
// The vendors' session libraries (Citrix "wfapi.dll", VMware
// "vdp_rdpvcbridge.dll"), loaded from where their installers put them.
#include "win/ScopedHandle.h"

namespace sharedfarlink {

// Looks in the program's folder, the system folder and every absolute folder
// in PATH, in that order, and loads the first file found by its full path.
// The current directory is never searched, nor is a relative PATH entry.
// Empty when the library is in none of them or does not load.
win::ScopedLibrary LoadVendorLibrary(const wchar_t* name);

}  // namespace sharedfarlink
