#pragma once
// The program's own installation as the registry records it, and the per-user
// Remote Desktop add-in keys that announce the RDP plug-in. A fresh value per
// state update or repair: nothing is cached beyond `version`.
#include <string>

namespace sharedfarlink {

class CInstallSupport {
public:
    CInstallSupport();

    // Re-reads the installed version (empty when it cannot be read).
    void RefreshVersion();
    const std::wstring& Version() const { return version; }

    // Program Files root + install folder + version + plug-in file; empty when
    // the root cannot be found. `x86` picks the 32-bit Program Files.
    std::wstring BuildPluginPath(bool x86) const;
    // Entry 0 is the KELP key, entry 1 the KELP32 key (the 32-bit plug-in on
    // 64-bit Windows, the same as entry 0 elsewhere).
    std::wstring ExpectedPluginPath(int entry) const;

    // The state check's reading of one add-in key. `viewEnabled` may be null;
    // nothing is changed when the key or "Name" cannot be read.
    bool ReadAddinRegistration(int entry, std::wstring& name, bool* viewEnabled) const;

    // The repair's test: "Name" equals `path` exactly and "View Enabled" exists.
    bool AddinRegistrationMatches(const std::wstring& fullKey, const std::wstring& path) const;
    bool WriteAddinRegistration(const std::wstring& subkey, const std::wstring& path) const;
    bool DeleteAddinRegistration(const std::wstring& subkey) const;

    // A missing version key or "RDP Support" value counts as switched off.
    bool IsRdpSupportDisabled() const;
    std::wstring ReadProductCode() const;
    // Below HKEY_LOCAL_MACHINE: the product key and this version's key.
    static std::wstring ProductKey();
    std::wstring VersionKey() const;
    // Below HKEY_CURRENT_USER: the key add-in entry `entry` is read from.
    std::wstring AddinKeyPath(int entry) const;

    bool AddAddinRegistrations() const;
    bool RemoveAddinRegistrations() const;
    bool RepairAddinRegistrations() const;

private:
    const std::wstring installFolder = L"\\Corvane\\Shared\\Farlink\\";
    const std::wstring pluginFileName = L"\\vcbrdp.dll";
    const std::wstring addinKey = L"Software\\Microsoft\\Terminal Server Client\\Default\\Addins\\KELP";
    const std::wstring addinSubkey = L"Terminal Server Client\\Default\\Addins\\KELP";
    const std::wstring addinKey32 =
        L"Software\\Microsoft\\Terminal Server Client\\Default\\Addins\\KELP32";
    const std::wstring addinSubkey32 = L"Terminal Server Client\\Default\\Addins\\KELP32";
    std::wstring version;
};

}  // namespace sharedfarlink
