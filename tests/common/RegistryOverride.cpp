#include "common/RegistryOverride.h"

namespace testing_support {

namespace {
const wchar_t kScratchParent[] = L"Software\\FarlinkTests\\Override";
}

RegistryOverride::RegistryOverride() {
    // The scratch keys live under the real HKCU, opened before the override.
    root_ = std::wstring(kScratchParent) + L"\\" + std::to_wstring(::GetCurrentProcessId()) +
            L"-" + std::to_wstring(::GetTickCount());
    DeleteKeyTree(HKEY_CURRENT_USER, root_.c_str());
    ::RegCreateKeyExW(HKEY_CURRENT_USER, (root_ + L"\\HKCU").c_str(), 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &hkcu_, nullptr);
    ::RegCreateKeyExW(HKEY_CURRENT_USER, (root_ + L"\\HKLM").c_str(), 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &hklm_, nullptr);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, hkcu_);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, hklm_);
}

RegistryOverride::~RegistryOverride() {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    if (hkcu_) ::RegCloseKey(hkcu_);
    if (hklm_) ::RegCloseKey(hklm_);
    DeleteKeyTree(HKEY_CURRENT_USER, root_.c_str());
}

void DeleteKeyTree(HKEY root, const wchar_t* subkey, REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, subkey, 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
        ::RegDeleteTreeW(key, nullptr);
        ::RegCloseKey(key);
    }
    ::RegDeleteKeyExW(root, subkey, view, 0);
}

}  // namespace testing_support
