#pragma once
// What a test may replace in the cloud instance probe: where the product UUID
// comes from, and where the metadata document is fetched. Production uses WMI
// and the fixed metadata address.
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

// The installed replacement, or null when WMI is to be asked.
ProductUuidSource* ProductUuidOverride();

// Tests only; not thread-safe, restored last in, first out.
class ScopedProductUuidOverride {
public:
    explicit ScopedProductUuidOverride(ProductUuidSource& source);
    ~ScopedProductUuidOverride();
    ScopedProductUuidOverride(const ScopedProductUuidOverride&) = delete;
    ScopedProductUuidOverride& operator=(const ScopedProductUuidOverride&) = delete;

private:
    ProductUuidSource* previous_;
};

// Sends the metadata request to `origin` ("http://127.0.0.1:<port>", a loopback
// server of the test) instead of the metadata service; the path stays. The
// text is kept by pointer and must outlive the override.
class ScopedMetadataOriginOverride {
public:
    explicit ScopedMetadataOriginOverride(const wchar_t* origin);
    ~ScopedMetadataOriginOverride();
    ScopedMetadataOriginOverride(const ScopedMetadataOriginOverride&) = delete;
    ScopedMetadataOriginOverride& operator=(const ScopedMetadataOriginOverride&) = delete;

private:
    const wchar_t* previous_;
};

// Writes the metadata document URL into `url` (zero-filled). False, and no
// request must be made, when the URL does not fit or when the environment
// variable FARLINK_TEST_LOOPBACK_ONLY is "1" and the origin is not 127.0.0.1:
// a test run can so never reach the real address, whatever the machine's UUID.
bool GetMetadataUrl(wchar_t (&url)[kMetadataUrlChars]);

// True for "http://127.0.0.1", optionally with a port, followed by '/' or the end.
bool IsLoopbackHttpUrl(const wchar_t* url);

}  // namespace sharedfarlink
