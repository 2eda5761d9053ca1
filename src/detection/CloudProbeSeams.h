#pragma once
// What the cloud instance probe takes from the executable that links it: where
// the product UUID comes from and where the metadata service is. The shipped
// programs link SystemSeams.cpp (WMI and the real service); the tests link
// their own definitions.
#include <windows.h>
#include <oleauto.h>

namespace sharedfarlink {

// Room for the metadata URL, terminator included.
constexpr int kMetadataUrlChars = 100;

class ProductUuidSource {
public:
    virtual ~ProductUuidSource() = default;
    // Fills `uuid` the way the WMI property read would; an HRESULT as WMI gives.
    virtual HRESULT ReadProductUuid(VARIANT* uuid) = 0;
};

// The system's source: Win32_ComputerSystemProduct through WMI, one
// connection per read, so it holds no state between callers.
ProductUuidSource& SystemProductUuidSource();

// Seam: the source the probe reads.
ProductUuidSource& CurrentProductUuidSource();

// Seam: "http://host[:port]" of the metadata service, or null when there is
// none to ask.
const wchar_t* MetadataOrigin();

// Writes the metadata document URL into `url` (zero-filled). False, and no
// request must be made, when there is no origin or the URL does not fit.
bool GetMetadataUrl(wchar_t (&url)[kMetadataUrlChars]);

}  // namespace sharedfarlink
