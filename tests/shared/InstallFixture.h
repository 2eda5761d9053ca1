#pragma once
// A scratch installation: the version and version key in a scratch HKLM, an
// empty add-in area in a scratch HKCU, and real plug-in files under the
// prefix's Program Files folders when a test asks for them. AsWow64() switches
// to 64-bit Windows and points %ProgramW6432% at a scratch folder, so the
// native path is told apart from the x86 one.
#include <gtest/gtest.h>

#include <string>

#include "shared/SeededRegistry.h"

namespace detection_tests {

extern const wchar_t kProductKey[];
extern const wchar_t kKelp[];
extern const wchar_t kKelp32[];

class InstallFixture : public ::testing::Test {
protected:
    InstallFixture();
    ~InstallFixture() override;

    void AsWow64();
    void SetRdpSupport(DWORD value) {
        SetDword(HKEY_LOCAL_MACHINE, VersionKey(), L"RDP Support", value);
    }
    std::wstring VersionKey() const { return std::wstring(kProductKey) + L"\\" + version_; }

    // Where this installation's plug-in must be: the native (KELP) and the
    // 32-bit (KELP32) one.
    std::wstring NativePath() const { return (wow64_ ? native64Root_ : L"C:\\Program Files") + Tail(); }
    std::wstring X86Path() const { return L"C:\\Program Files (x86)" + Tail(); }
    // Creates the plug-in file(s) that ExpectedPluginPath names.
    void CreatePluginFiles();

    // An add-in key as this program writes it; `viewEnabled` < 0 leaves the value out.
    void WriteAddin(const wchar_t* key, const std::wstring& name, int viewEnabled = 1);
    std::wstring ReadName(const wchar_t* key) const {
        std::wstring name;
        return GetString(HKEY_CURRENT_USER, key, L"Name", &name) ? name : L"(none)";
    }

    SeededRegistry registry_;
    std::wstring version_;
    std::wstring native64Root_;
    bool wow64_ = false;

private:
    std::wstring Tail() const { return L"\\Corvane\\Shared\\Farlink\\" + version_ + L"\\vcbrdp.dll"; }
    std::wstring savedProgramW6432_;
};

}  // namespace detection_tests
