#pragma once
// A registry key whose DACL refuses opening it for writing, so a write to it
// fails the real way. The destructor gives full access back so the scratch
// hive can be deleted.
#include <windows.h>

#include <string>

namespace detection_tests {

class WriteBlockedKey {
public:
    WriteBlockedKey(HKEY root, const std::wstring& key);
    ~WriteBlockedKey();
    WriteBlockedKey(const WriteBlockedKey&) = delete;
    WriteBlockedKey& operator=(const WriteBlockedKey&) = delete;

    bool Blocked() const { return blocked_; }

private:
    bool SetDacl(const wchar_t* sddl);

    HKEY root_;
    std::wstring key_;
    bool blocked_ = false;
};

}  // namespace detection_tests
