#pragma once
// A scratch registry (HKCU and HKLM of this process) with the per-user session
// cache already holding an answer, so a detector built under it takes that
// session type the real way and never runs the cloud probe; registry helpers;
// and the vendor keys the Citrix, Horizon and WorkSpaces components read,
// written as those clients leave them.
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
            DWORD bytes, REGSAM view = 0);

// Reads back; false when the key or value is missing or of another type.
bool GetString(HKEY root, const std::wstring& key, const wchar_t* name, std::wstring* text);
bool GetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD* number);
bool KeyExists(HKEY root, const std::wstring& key);

// In a RegistryOverride scratch hive the 32-bit and the default view are one
// key, so a read in the wrong view would still pass. Wine keeps the views
// apart below a key with a "Wow6432Node" child, as 64-bit Windows does below
// HKLM\Software; this gives the scratch HKLM that child. True when the split took.
bool SplitRegistryViews();

extern const wchar_t kCitrixModulesKey[];
extern const wchar_t kHorizonClientKey[];
extern const wchar_t kTeradiciPluginsKey[];
extern const wchar_t kTeradiciPluginKey[];

// "InstallFolder" and, with `driver`, "DriverName", in the 32-bit view as the
// Citrix client writes them.
bool SeedCitrix(const std::wstring& folder, bool driver, REGSAM view = KEY_WOW64_32KEY);
// The default value of the WorkSpaces command key.
bool SeedWorkSpacesCommand(const std::wstring& commandLine);
// The version key of an installation that records `productCode`.
bool SeedProductCode(const std::wstring& productCode);
// An empty file, in a folder that must exist.
bool CreateEmptyFile(const std::wstring& path);

}  // namespace detection_tests
