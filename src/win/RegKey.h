#pragma once
// A move-only registry key that closes itself. The WOW64 view is part of the
// access mask the caller passes, so each call site shows which view it reads.
#include <windows.h>

#include <utility>

namespace win {

class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(RegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    RegKey& operator=(RegKey&& other) noexcept {
        if (this != &other) {
            Close();
            key_ = std::exchange(other.key_, nullptr);
        }
        return *this;
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    LONG Open(HKEY root, const wchar_t* subkey, REGSAM access) {
        Close();
        HKEY key = nullptr;
        LONG rc = ::RegOpenKeyExW(root, subkey, 0, access, &key);
        if (rc == ERROR_SUCCESS) key_ = key;
        return rc;
    }

    LONG Create(HKEY root, const wchar_t* subkey, REGSAM access) {
        Close();
        HKEY key = nullptr;
        LONG rc = ::RegCreateKeyExW(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                    nullptr, &key, nullptr);
        if (rc == ERROR_SUCCESS) key_ = key;
        return rc;
    }

    void Close() {
        if (key_) ::RegCloseKey(key_);
        key_ = nullptr;
    }

    bool IsValid() const { return key_ != nullptr; }
    explicit operator bool() const { return IsValid(); }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace win
