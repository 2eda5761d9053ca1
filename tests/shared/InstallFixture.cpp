#include "shared/InstallFixture.h"

#include <windows.h>
#include <shlobj.h>

#include "common/TestPaths.h"
#include "shared/Farlink/IsWow64.h"
#include "win/RegKey.h"

namespace detection_tests {

const wchar_t kProductKey[] = L"Software\\Corvane\\Farlink";
const wchar_t kKelp[] = L"Software\\Microsoft\\Terminal Server Client\\Default\\Addins\\KELP";
const wchar_t kKelp32[] = L"Software\\Microsoft\\Terminal Server Client\\Default\\Addins\\KELP32";

namespace {
const wchar_t kNativeRoot[] = L"C:\\Program Files";
const wchar_t kX86Root[] = L"C:\\Program Files (x86)";
}  // namespace

InstallFixture::InstallFixture() {
    // A version nobody else uses keeps the plug-in folders of parallel runs apart.
    static int counter = 0;
    version_ = L"9." + std::to_wstring(::GetCurrentProcessId()) + L"." + std::to_wstring(++counter);
    SetString(HKEY_LOCAL_MACHINE, kProductKey, L"Version", version_);
    SetRdpSupport(1);
    // Every real profile has it; the add-in writes open it rather than create it.
    win::RegKey microsoft;
    microsoft.Create(HKEY_CURRENT_USER, L"Software\\Microsoft", KEY_READ);
    wchar_t saved[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"ProgramW6432", saved, MAX_PATH);
    savedProgramW6432_ = saved;
}

InstallFixture::~InstallFixture() {
    sharedfarlink::OverrideIsWow64ForTesting(-1);
    ::SetEnvironmentVariableW(L"ProgramW6432", savedProgramW6432_.c_str());
    for (const std::wstring& dir : createdVersionDirs_)
        if (!dir.empty()) testing_support::RemoveTree(dir);
    if (!native64Root_.empty()) testing_support::RemoveTree(native64Root_);
}

void InstallFixture::AsWow64() {
    wow64_ = true;
    sharedfarlink::OverrideIsWow64ForTesting(1);
    native64Root_ = testing_support::MakeScratchDir(L"programw6432");
    ::SetEnvironmentVariableW(L"ProgramW6432", native64Root_.c_str());
}

void InstallFixture::SetRdpSupport(DWORD value) {
    SetDword(HKEY_LOCAL_MACHINE, VersionKey(), L"RDP Support", value);
}

std::wstring InstallFixture::NativePath() const {
    return (wow64_ ? native64Root_ : std::wstring(kNativeRoot)) + L"\\Corvane\\Shared\\Farlink\\" +
           version_ + L"\\vcbrdp.dll";
}

std::wstring InstallFixture::X86Path() const {
    return std::wstring(kX86Root) + L"\\Corvane\\Shared\\Farlink\\" + version_ + L"\\vcbrdp.dll";
}

void InstallFixture::CreateFile(const std::wstring& path) {
    std::wstring dir = path.substr(0, path.find_last_of(L'\\'));
    ::SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create the plug-in file";
    ::CloseHandle(file);
    for (std::wstring& slot : createdVersionDirs_) {
        if (slot.empty() || slot == dir) {
            slot = dir;
            break;
        }
    }
}

void InstallFixture::CreatePluginFiles() {
    CreateFile(NativePath());
    if (wow64_) CreateFile(X86Path());
}

void InstallFixture::WriteAddin(const wchar_t* key, const std::wstring& name, int viewEnabled) {
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, key, L"Name", name));
    if (viewEnabled >= 0) {
        ASSERT_TRUE(SetDword(HKEY_CURRENT_USER, key, L"View Enabled",
                             static_cast<DWORD>(viewEnabled)));
    }
}

bool InstallFixture::ReadName(const wchar_t* key, std::wstring* name) const {
    return GetString(HKEY_CURRENT_USER, key, L"Name", name);
}

}  // namespace detection_tests
