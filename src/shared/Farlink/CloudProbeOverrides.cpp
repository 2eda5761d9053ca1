#include "shared/Farlink/CloudProbeOverrides.h"

#include <cwchar>

namespace sharedfarlink {

namespace {

// The link-local instance-metadata service, plain HTTP.
const wchar_t kMetadataOrigin[] = L"http://169.254.169.254";
const wchar_t kDocumentPath[] = L"/latest/dynamic/instance-identity/document";

ProductUuidSource* g_uuidSource = nullptr;
const wchar_t* g_metadataOrigin = nullptr;

bool LoopbackOnly() {
    wchar_t value[4] = {};
    DWORD length = ::GetEnvironmentVariableW(L"FARLINK_TEST_LOOPBACK_ONLY", value, 4);
    return length == 1 && value[0] == L'1';
}

}  // namespace

ProductUuidSource* ProductUuidOverride() { return g_uuidSource; }

ScopedProductUuidOverride::ScopedProductUuidOverride(ProductUuidSource& source)
    : previous_(g_uuidSource) {
    g_uuidSource = &source;
}

ScopedProductUuidOverride::~ScopedProductUuidOverride() { g_uuidSource = previous_; }

ScopedMetadataOriginOverride::ScopedMetadataOriginOverride(const wchar_t* origin)
    : previous_(g_metadataOrigin) {
    g_metadataOrigin = origin;
}

ScopedMetadataOriginOverride::~ScopedMetadataOriginOverride() { g_metadataOrigin = previous_; }

bool IsLoopbackHttpUrl(const wchar_t* url) {
    static const wchar_t kPrefix[] = L"http://127.0.0.1";
    const size_t prefixLength = std::wcslen(kPrefix);
    if (!url || std::wcsncmp(url, kPrefix, prefixLength) != 0) return false;
    const wchar_t* rest = url + prefixLength;
    // Only a port may follow the address: "127.0.0.1:80@elsewhere" names
    // another host, "127.0.0.1.example" another name.
    if (*rest == L':') {
        const wchar_t* digits = ++rest;
        while (*rest >= L'0' && *rest <= L'9') ++rest;
        if (rest == digits) return false;
    }
    return *rest == L'\0' || *rest == L'/';
}

bool GetMetadataUrl(wchar_t (&url)[kMetadataUrlChars]) {
    std::wmemset(url, L'\0', kMetadataUrlChars);
    const wchar_t* origin = g_metadataOrigin ? g_metadataOrigin : kMetadataOrigin;
    if (std::wcslen(origin) + std::wcslen(kDocumentPath) >= static_cast<size_t>(kMetadataUrlChars))
        return false;
    if (LoopbackOnly() && !IsLoopbackHttpUrl(origin)) return false;
    std::wcscpy(url, origin);
    std::wcscat(url, kDocumentPath);
    return true;
}

}  // namespace sharedfarlink
