#include "shared/WriteBlockedKey.h"

#include <sddl.h>

#include "win/RegKey.h"

namespace detection_tests {

WriteBlockedKey::WriteBlockedKey(HKEY root, const std::wstring& key) : root_(root), key_(key) {
    win::RegKey k;
    k.Create(root_, key_.c_str(), KEY_READ);
    // Deny set-value and create-subkey to everyone, allow the rest.
    blocked_ = SetDacl(L"D:(D;;0x6;;;WD)(A;;KA;;;WD)");
}

WriteBlockedKey::~WriteBlockedKey() { SetDacl(L"D:(A;;KA;;;WD)"); }

bool WriteBlockedKey::SetDacl(const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd,
                                                                nullptr))
        return false;
    win::RegKey k;
    bool ok = k.Open(root_, key_.c_str(), WRITE_DAC) == ERROR_SUCCESS &&
              ::RegSetKeySecurity(k.Get(), DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
    ::LocalFree(sd);
    return ok;
}

}  // namespace detection_tests
