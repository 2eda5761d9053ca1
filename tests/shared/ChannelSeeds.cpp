#include "shared/ChannelSeeds.h"

#include "shared/SeededRegistry.h"

namespace detection_tests {

const wchar_t kCitrixInstallKey[] = L"Software\\Citrix\\Install\\ICA Client";
const wchar_t kCitrixModulesKey[] =
    L"Software\\Citrix\\ICA Client\\Engine\\Configuration\\Advanced\\Modules\\Corvane";
const wchar_t kHorizonClientKey[] = L"Software\\VMware, Inc.\\VMware VDM\\Client";
const wchar_t kWorkSpacesCommandKey[] = L"Software\\Classes\\workspaces\\shell\\open\\command";
const wchar_t kTeradiciPluginsKey[] = L"Software\\Teradici\\VChan\\Plugins";
const wchar_t kTeradiciPluginKey[] = L"Software\\Teradici\\VChan\\Plugins\\Quenby";

bool SeedCitrix(const std::wstring& folder, bool driver, REGSAM view) {
    if (!SetString(HKEY_LOCAL_MACHINE, kCitrixInstallKey, L"InstallFolder", folder, view))
        return false;
    return !driver ||
           SetString(HKEY_LOCAL_MACHINE, kCitrixModulesKey, L"DriverName", L"vcbica.dll", view);
}

bool SeedWorkSpacesCommand(const std::wstring& commandLine) {
    return SetString(HKEY_LOCAL_MACHINE, kWorkSpacesCommandKey, nullptr, commandLine);
}

bool SeedProductCode(const std::wstring& productCode) {
    const wchar_t product[] = L"Software\\Corvane\\Farlink";
    return SetString(HKEY_LOCAL_MACHINE, product, L"Version", L"7.4") &&
           SetString(HKEY_LOCAL_MACHINE, std::wstring(product) + L"\\7.4", L"ProductCode",
                     productCode);
}

bool CreateEmptyFile(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

}  // namespace detection_tests
