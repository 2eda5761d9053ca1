#pragma once
// Asks the Citrix WinFrame API ("wfapi.dll") whether this is a Citrix session.
namespace sharedfarlink {

// True when "wfapi.dll" is where its installer puts it (LoadVendorLibrary), binds, and its session
// query (class 4) answers a non-zero number. Anything else finds nothing.
bool IsCitrixSession();

}  // namespace sharedfarlink
