#pragma once
// The vendor keys the Citrix, Horizon and WorkSpaces components read, written
// as those clients would leave them into the current (scratch) HKLM, and the
// plug-in files they point at.
#include <windows.h>

#include <string>

namespace detection_tests {

extern const wchar_t kCitrixInstallKey[];
extern const wchar_t kCitrixModulesKey[];
extern const wchar_t kHorizonClientKey[];
extern const wchar_t kWorkSpacesCommandKey[];
extern const wchar_t kTeradiciPluginsKey[];
extern const wchar_t kTeradiciPluginKey[];

// "InstallFolder" and, with `driver`, "DriverName"; the Citrix client writes
// them in the 32-bit view.
bool SeedCitrix(const std::wstring& folder, bool driver, REGSAM view = KEY_WOW64_32KEY);

// The default value of the WorkSpaces command key.
bool SeedWorkSpacesCommand(const std::wstring& commandLine);

// The version key of an installation that records `productCode`, where
// CInstallSupport reads it.
bool SeedProductCode(const std::wstring& productCode);

// An empty file, in a folder that must exist.
bool CreateEmptyFile(const std::wstring& path);

}  // namespace detection_tests
