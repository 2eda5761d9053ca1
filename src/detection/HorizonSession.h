#pragma once
// Asks the VMware Horizon virtual-channel bridge whether this is a Horizon session.
namespace sharedfarlink {

// True when "vdp_rdpvcbridge.dll" loads from where its installer puts it
// (LoadVendorLibrary) and its session query (class 29)
// answers a non-zero number. The library is unloaded again in every case.
bool IsHorizonSession();

}  // namespace sharedfarlink
