#include "detection/CloudProbeSeams.h"

#include <cwchar>

namespace sharedfarlink {

namespace {
const wchar_t kDocumentPath[] = L"/latest/dynamic/instance-identity/document";
}

bool GetMetadataUrl(wchar_t (&url)[kMetadataUrlChars]) {
    std::wmemset(url, L'\0', kMetadataUrlChars);
    const wchar_t* origin = MetadataOrigin();
    if (!origin) return false;
    if (std::wcslen(origin) + std::wcslen(kDocumentPath) >= static_cast<size_t>(kMetadataUrlChars))
        return false;
    std::wcscpy(url, origin);
    std::wcscat(url, kDocumentPath);
    return true;
}

}  // namespace sharedfarlink
