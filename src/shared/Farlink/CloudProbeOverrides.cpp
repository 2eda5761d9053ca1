#include "shared/Farlink/CloudProbeOverrides.h"

#include <cwchar>

namespace sharedfarlink {

namespace {

// The link-local instance-metadata service, plain HTTP.
const wchar_t kMetadataUrl[] =
    L"http://169.254.169.254/latest/dynamic/instance-identity/document";

ProductUuidSource* g_uuidSource = nullptr;
const wchar_t* g_metadataUrl = nullptr;

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

ScopedMetadataUrlOverride::ScopedMetadataUrlOverride(const wchar_t* url)
    : previous_(g_metadataUrl) {
    g_metadataUrl = url;
}

ScopedMetadataUrlOverride::~ScopedMetadataUrlOverride() { g_metadataUrl = previous_; }

bool IsLoopbackHttpUrl(const wchar_t* url) {
    static const wchar_t kPrefix[] = L"http://127.0.0.1";
    const size_t prefixLength = std::wcslen(kPrefix);
    if (!url || std::wcsncmp(url, kPrefix, prefixLength) != 0) return false;
    wchar_t next = url[prefixLength];
    return next == L'\0' || next == L':' || next == L'/';
}

bool GetMetadataUrl(wchar_t (&url)[kMetadataUrlChars]) {
    std::wmemset(url, L'\0', kMetadataUrlChars);
    const wchar_t* source = g_metadataUrl ? g_metadataUrl : kMetadataUrl;
    if (std::wcslen(source) >= static_cast<size_t>(kMetadataUrlChars)) return false;
    if (LoopbackOnly() && !IsLoopbackHttpUrl(source)) return false;
    std::wcscpy(url, source);
    return true;
}

}  // namespace sharedfarlink
