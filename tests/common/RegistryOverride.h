#pragma once
// Maps HKCU and HKLM of this process onto scratch keys, so a test starts from
// clean hives and leaves nothing behind. Works per process under Wine; it does
// not reach child processes such as a COM server.
#include <windows.h>

#include <string>

namespace testing_support {

class RegistryOverride {
public:
    RegistryOverride();
    ~RegistryOverride();
    RegistryOverride(const RegistryOverride&) = delete;
    RegistryOverride& operator=(const RegistryOverride&) = delete;

private:
    std::wstring root_;
    HKEY hkcu_ = nullptr;
    HKEY hklm_ = nullptr;
};

// Deletes a key tree; missing is fine. `access` may carry a WOW64 view flag.
void DeleteKeyTree(HKEY root, const wchar_t* subkey, REGSAM view = 0);

}  // namespace testing_support
