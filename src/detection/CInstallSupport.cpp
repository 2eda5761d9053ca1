#include "detection/CInstallSupport.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>

#include "detection/IsWow64.h"
#include "win/LooseRegistryReads.h"
#include "win/RegKey.h"

namespace sharedfarlink {

namespace {

const wchar_t kProductKey[] = L"Software\\Corvane\\Farlink";
const wchar_t kMicrosoftKey[] = L"Software\\Microsoft";

// The installation keys are written by a 64-bit installer; the product is a
// 32-bit process, so without the flag it would read Wow6432Node instead.
constexpr REGSAM kInstallKeyAccess = KEY_QUERY_VALUE | KEY_WOW64_64KEY;  // 0x101
constexpr REGSAM kAddinWriteAccess = KEY_WRITE;  // 0x20006

}  // namespace

CInstallSupport::CInstallSupport() { RefreshVersion(); }

void CInstallSupport::RefreshVersion() {
    version.clear();
    win::RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kProductKey, kInstallKeyAccess) != ERROR_SUCCESS) return;
    win::ReadLooseString(key.Get(), L"Version", &version);
}

std::wstring CInstallSupport::ProductKey() { return kProductKey; }

std::wstring CInstallSupport::AddinKeyPath(int entry) const {
    return entry == 1 && IsWow64() ? addinKey32 : addinKey;
}

std::wstring CInstallSupport::VersionKey() const {
    // Joined as is: a missing version leaves the key name ending in "\".
    return std::wstring(kProductKey) + L"\\" + version;
}

std::wstring CInstallSupport::BuildPluginPath(bool x86) const {
    wchar_t root[MAX_PATH] = {};
    if (!x86 && IsWow64()) {
        // A 32-bit process is told the x86 folder by every shell call; only
        // this variable names the native one.
        DWORD n = ::ExpandEnvironmentStringsW(L"%ProgramW6432%", root, MAX_PATH);
        if (n == 0 || n > MAX_PATH) return std::wstring();
    } else {
        int folder = x86 ? CSIDL_PROGRAM_FILESX86 : CSIDL_PROGRAM_FILES;
        if (::SHGetFolderPathW(nullptr, folder, nullptr, 0, root) != S_OK) return std::wstring();
    }
    return root + installFolder + version + pluginFileName;
}

std::wstring CInstallSupport::ExpectedPluginPath(int entry) const {
    return BuildPluginPath(entry == 1 && IsWow64());
}

bool CInstallSupport::ReadAddinRegistration(int entry, std::wstring& name,
                                            bool* viewEnabled) const {
    const std::wstring& subkey = entry == 1 && IsWow64() ? addinSubkey32 : addinSubkey;
    win::RegKey microsoft;
    if (microsoft.Open(HKEY_CURRENT_USER, kMicrosoftKey, KEY_READ) != ERROR_SUCCESS) return false;
    win::RegKey key;
    if (key.Open(microsoft.Get(), subkey.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS) return false;
    wchar_t units[win::kLooseTextBytes / 2] = {};
    if (!win::ReadLooseValue(key.Get(), L"Name", units)) return false;
    name.assign(units, ::wcsnlen(units, win::kLooseTextBytes / 2));
    if (viewEnabled) {
        // Same buffer, first 16-bit unit: a REG_DWORD 1 reads as on, 0 as off.
        *viewEnabled = win::ReadLooseValue(key.Get(), L"View Enabled", units) && units[0] != 0;
    }
    return true;
}

bool CInstallSupport::AddinRegistrationMatches(const std::wstring& fullKey,
                                               const std::wstring& path) const {
    win::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, fullKey.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    std::wstring name;
    if (!win::ReadLooseString(key.Get(), L"Name", &name)) return false;
    // Case matters here, unlike in the state check: a key that differs only in
    // case is rewritten with the exact path.
    if (name != path) return false;
    return win::LooseValueExists(key.Get(), L"View Enabled");
}

bool CInstallSupport::WriteAddinRegistration(const std::wstring& subkey,
                                             const std::wstring& path) const {
    win::RegKey microsoft;
    if (microsoft.Open(HKEY_CURRENT_USER, kMicrosoftKey, kAddinWriteAccess) != ERROR_SUCCESS)
        return false;
    win::RegKey key;
    if (key.Create(microsoft.Get(), subkey.c_str(), kAddinWriteAccess) != ERROR_SUCCESS)
        return false;
    DWORD nameBytes = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
    bool written = ::RegSetValueExW(key.Get(), L"Name", 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(path.c_str()),
                                    nameBytes) == ERROR_SUCCESS;
    DWORD one = 1;
    ::RegSetValueExW(key.Get(), L"View Enabled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                     sizeof one);
    return written;
}

bool CInstallSupport::DeleteAddinRegistration(const std::wstring& subkey) const {
    win::RegKey microsoft;
    if (microsoft.Open(HKEY_CURRENT_USER, kMicrosoftKey, KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return false;
    return ::RegDeleteKeyW(microsoft.Get(), subkey.c_str()) == ERROR_SUCCESS;
}

bool CInstallSupport::IsRdpSupportDisabled() const {
    win::RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, VersionKey().c_str(), kInstallKeyAccess) != ERROR_SUCCESS)
        return true;
    DWORD support = 0;
    if (!win::ReadLooseDword(key.Get(), L"RDP Support", &support)) return true;
    return support == 0;
}

std::wstring CInstallSupport::ReadProductCode() const {
    std::wstring code;
    win::RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, VersionKey().c_str(), kInstallKeyAccess) != ERROR_SUCCESS)
        return code;
    if (!win::ReadLooseString(key.Get(), L"ProductCode", &code)) code.clear();
    return code;
}

bool CInstallSupport::AddAddinRegistrations() const {
    bool result = true;
    std::wstring path = BuildPluginPath(false);
    // Without a Program Files root there is no path worth announcing; writing
    // an empty "Name" would only register nothing, so the repair fails instead.
    if (path.empty()) return false;
    if (!AddinRegistrationMatches(addinKey, path)) {
        result = WriteAddinRegistration(addinSubkey, path);
        if (!result) return false;
    }
    if (!IsWow64()) return result;
    path = BuildPluginPath(true);
    if (path.empty()) return false;
    if (!AddinRegistrationMatches(addinKey32, path))
        result = WriteAddinRegistration(addinSubkey32, path);
    return result;
}

bool CInstallSupport::RemoveAddinRegistrations() const {
    bool result = true;
    // Only keys that name this installation's plug-in go; another product's
    // add-in under the same name stays.
    std::wstring path = BuildPluginPath(false);
    if (!path.empty() && AddinRegistrationMatches(addinKey, path)) {
        result = DeleteAddinRegistration(addinSubkey);
        if (!result) return false;
    }
    if (!IsWow64()) return result;
    path = BuildPluginPath(true);
    if (!path.empty() && AddinRegistrationMatches(addinKey32, path))
        result = DeleteAddinRegistration(addinSubkey32);
    return result;
}

bool CInstallSupport::RepairAddinRegistrations() const {
    return IsRdpSupportDisabled() ? RemoveAddinRegistrations() : AddAddinRegistrations();
}

}  // namespace sharedfarlink
