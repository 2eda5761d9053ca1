#pragma once
// A scratch registry (HKCU and HKLM of this process) with the per-user session
// cache already holding an answer, so a detector built under it takes that
// session type the real way and never runs the cloud probe. Also small
// registry helpers for the detection tests.
#include <windows.h>

#include <string>

#include "common/RegistryOverride.h"

namespace detection_tests {

class SeededRegistry {
public:
    // `session` is the cache text: "Local", "RDP", "Disconnected", ...
    explicit SeededRegistry(const wchar_t* session = L"Local");

private:
    testing_support::RegistryOverride override_;
};

// Writes a value, creating the key; `view` may carry a WOW64 flag.
bool SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text,
               REGSAM view = 0);
bool SetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD number,
              REGSAM view = 0);
bool SetRaw(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
            DWORD bytes);

// Reads back; false when the key or value is missing or of another type.
bool GetString(HKEY root, const std::wstring& key, const wchar_t* name, std::wstring* text);
bool GetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD* number);
bool KeyExists(HKEY root, const std::wstring& key);

}  // namespace detection_tests
