#include "shared/InstallFixture.h"

#include <windows.h>
#include <shlobj.h>

#include "common/TestPaths.h"
#include "common/TestSeams.h"
#include "win/RegKey.h"

namespace detection_tests {

const wchar_t kProductKey[] = L"Software\\Corvane\\Farlink";
const wchar_t kKelp[] = L"Software\\Microsoft\\Terminal Server Client\\Default\\Addins\\KELP";
const wchar_t kKelp32[] = L"Software\\Microsoft\\Terminal Server Client\\Default\\Addins\\KELP32";

InstallFixture::InstallFixture() {
    // A version nobody else uses keeps the plug-in folders of parallel runs apart.
    static int counter = 0;
    version_ = L"9." + std::to_wstring(::GetCurrentProcessId()) + L"." + std::to_wstring(++counter);
    SetString(HKEY_LOCAL_MACHINE, kProductKey, L"Version", version_);
    SetRdpSupport(1);
    // Every real profile has it; the add-in writes open it rather than create it.
    win::RegKey().Create(HKEY_CURRENT_USER, L"Software\\Microsoft", KEY_READ);
    wchar_t saved[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"ProgramW6432", saved, MAX_PATH);
    savedProgramW6432_ = saved;
}

InstallFixture::~InstallFixture() {
    sharedfarlink::OverrideIsWow64ForTesting(-1);
    ::SetEnvironmentVariableW(L"ProgramW6432", savedProgramW6432_.c_str());
    for (const wchar_t* root : {L"C:\\Program Files", L"C:\\Program Files (x86)"})
        testing_support::RemoveTree(root + (L"\\Corvane\\Shared\\Farlink\\" + version_));
    if (!native64Root_.empty()) testing_support::RemoveTree(native64Root_);
}

void InstallFixture::AsWow64() {
    wow64_ = true;
    sharedfarlink::OverrideIsWow64ForTesting(1);
    native64Root_ = testing_support::MakeScratchDir(L"programw6432");
    ::SetEnvironmentVariableW(L"ProgramW6432", native64Root_.c_str());
}

void InstallFixture::CreatePluginFiles() {
    for (int i = 0; i < (wow64_ ? 2 : 1); ++i) {
        const std::wstring path = i ? X86Path() : NativePath();
        ::SHCreateDirectoryExW(nullptr, path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
        ASSERT_TRUE(CreateEmptyFile(path)) << "cannot create the plug-in file";
    }
}

void InstallFixture::WriteAddin(const wchar_t* key, const std::wstring& name, int viewEnabled) {
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, key, L"Name", name));
    if (viewEnabled >= 0) {
        ASSERT_TRUE(SetDword(HKEY_CURRENT_USER, key, L"View Enabled", DWORD(viewEnabled)));
    }
}

}  // namespace detection_tests
