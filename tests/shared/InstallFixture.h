#pragma once
// A scratch installation: the version and version key in a scratch HKLM, an
// empty add-in area in a scratch HKCU, and real plug-in files under the
// prefix's Program Files folders when a test asks for them. Tests that want
// 64-bit Windows call AsWow64(), which also points %ProgramW6432% at a
// scratch folder so the native path is told apart from the x86 one.
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

    // Switches to the 64-bit-Windows behaviour for the rest of the test.
    void AsWow64();
    void SetRdpSupport(DWORD value);
    std::wstring VersionKey() const { return std::wstring(kProductKey) + L"\\" + version_; }

    // Where this installation's plug-in must be: the native (KELP) and the
    // 32-bit (KELP32) one. On 32-bit Windows both are the native one.
    std::wstring NativePath() const;
    std::wstring X86Path() const;
    std::wstring Kelp32Path() const { return wow64_ ? X86Path() : NativePath(); }
    // Creates the plug-in file(s) that ExpectedPluginPath names.
    void CreatePluginFiles();

    // An add-in key as this program writes it; `viewEnabled` < 0 leaves the
    // value out.
    void WriteAddin(const wchar_t* key, const std::wstring& name, int viewEnabled = 1);
    bool ReadName(const wchar_t* key, std::wstring* name) const;

    SeededRegistry registry_;
    std::wstring version_;
    std::wstring native64Root_;
    bool wow64_ = false;

private:
    void CreateFile(const std::wstring& path);
    std::wstring savedProgramW6432_;
    std::wstring createdVersionDirs_[2];
};

}  // namespace detection_tests
