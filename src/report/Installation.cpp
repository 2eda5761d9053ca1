#include "report/Installation.h"

#include <windows.h>

#include "detection/CInstallSupport.h"
#include "support/TextFormat.h"
#include "support/Translation.h"
#include "win/RegKey.h"

namespace report {

namespace {

// Read as the components read it: the 64-bit view, written by a 64-bit installer.
constexpr REGSAM kInstallKeyAccess = KEY_QUERY_VALUE | KEY_WOW64_64KEY;

bool KeyExists(const std::wstring& key) {
    win::RegKey opened;
    return opened.Open(HKEY_LOCAL_MACHINE, key.c_str(), kInstallKeyAccess) == ERROR_SUCCESS;
}

std::wstring Reason(const wchar_t* format, const std::wstring& key) {
    return support::FormatText(support::Translate(L"Installation", format),
                               {L"HKEY_LOCAL_MACHINE\\" + key});
}

}  // namespace

Installation ReadInstallation() {
    Installation result;
    sharedfarlink::CInstallSupport install;
    result.version = install.Version();
    const std::wstring productKey = sharedfarlink::CInstallSupport::ProductKey();
    if (!KeyExists(productKey))
        result.reason = Reason(L"The product key %s does not exist.", productKey);
    else if (result.version.empty())
        result.reason = Reason(L"The product key %s has no \"Version\" value.", productKey);
    else if (!KeyExists(install.VersionKey()))
        result.reason = Reason(L"The version key %s does not exist.", install.VersionKey());
    result.installed = result.reason.empty();
    return result;
}

}  // namespace report
