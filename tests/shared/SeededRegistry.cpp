#include "shared/SeededRegistry.h"

#include "win/RegKey.h"

namespace detection_tests {

const wchar_t kCitrixModulesKey[] =
    L"Software\\Citrix\\ICA Client\\Engine\\Configuration\\Advanced\\Modules\\Corvane";
const wchar_t kHorizonClientKey[] = L"Software\\VMware, Inc.\\VMware VDM\\Client";
const wchar_t kTeradiciPluginsKey[] = L"Software\\Teradici\\VChan\\Plugins";
const wchar_t kTeradiciPluginKey[] = L"Software\\Teradici\\VChan\\Plugins\\Quenby";

SeededRegistry::SeededRegistry(const wchar_t* session) {
    SetString(HKEY_CURRENT_USER, L"Software\\Corvane\\Farlink", L"Server", session);
}

bool SetRaw(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
            DWORD bytes, REGSAM view) {
    win::RegKey k;
    return k.Create(root, key.c_str(), KEY_SET_VALUE | view) == ERROR_SUCCESS &&
           ::RegSetValueExW(k.Get(), name, 0, type, static_cast<const BYTE*>(data), bytes) ==
               ERROR_SUCCESS;
}

bool SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text,
               REGSAM view) {
    return SetRaw(root, key, name, REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), view);
}

bool SetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD number,
              REGSAM view) {
    return SetRaw(root, key, name, REG_DWORD, &number, sizeof number, view);
}

bool GetString(HKEY root, const std::wstring& key, const wchar_t* name, std::wstring* text) {
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegGetValueW(root, key.c_str(), name, RRF_RT_ANY, &type, buffer, &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    *text = buffer;
    return true;
}

bool GetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD* number) {
    DWORD bytes = sizeof *number;
    return ::RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, number, &bytes) ==
           ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::wstring& key) {
    win::RegKey k;
    return k.Open(root, key.c_str(), KEY_READ) == ERROR_SUCCESS;
}

bool SplitRegistryViews() {
    const wchar_t probe[] = L"Software\\FarlinkViewProbe";
    win::RegKey node, written, seen;
    if (node.Create(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node", KEY_READ) != ERROR_SUCCESS ||
        written.Create(HKEY_LOCAL_MACHINE, probe, KEY_READ | KEY_WOW64_32KEY) != ERROR_SUCCESS)
        return false;
    written.Close();
    bool split = seen.Open(HKEY_LOCAL_MACHINE, probe, KEY_READ) != ERROR_SUCCESS;
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, probe, KEY_WOW64_32KEY, 0);
    return split;
}

bool SeedCitrix(const std::wstring& folder, bool driver, REGSAM view) {
    return SetString(HKEY_LOCAL_MACHINE, L"Software\\Citrix\\Install\\ICA Client",
                     L"InstallFolder", folder, view) &&
           (!driver ||
            SetString(HKEY_LOCAL_MACHINE, kCitrixModulesKey, L"DriverName", L"vcbica.dll", view));
}

bool SeedWorkSpacesCommand(const std::wstring& commandLine) {
    return SetString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\workspaces\\shell\\open\\command",
                     nullptr, commandLine);
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
