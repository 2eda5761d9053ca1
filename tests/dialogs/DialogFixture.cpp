#include "dialogs/DialogFixture.h"

#include <shlobj.h>

#include "common/RegistryOverride.h"
#include "common/TestPaths.h"
#include "server/ServerProcess.h"
#include "shared/SeededRegistry.h"
#include "win/RegKey.h"

namespace dialog_tests {

namespace {

const wchar_t kProductKey[] = L"Software\\Corvane\\Farlink";
const wchar_t kKelp[] = L"Software\\Microsoft\\Terminal Server Client\\Default\\Addins\\KELP";
const wchar_t kKelp32[] = L"Software\\Microsoft\\Terminal Server Client\\Default\\Addins\\KELP32";
const wchar_t kCitrixInstall[] = L"Software\\Citrix\\Install\\ICA Client";
const wchar_t kHorizonClient[] = L"Software\\VMware, Inc.\\VMware VDM\\Client";
const wchar_t kWorkspacesCommand[] = L"Software\\Classes\\workspaces\\shell\\open\\command";

std::string AfterKey(const std::string& output, const std::string& key, size_t* from) {
    std::string marker = key + "=";
    for (size_t at = output.find(marker, *from); at != std::string::npos;
         at = output.find(marker, at + 1)) {
        if (at != 0 && output[at - 1] != '\n') continue;
        size_t end = output.find('\n', at);
        *from = end == std::string::npos ? output.size() : end;
        std::string value = output.substr(at + marker.size(), end - at - marker.size());
        if (!value.empty() && value.back() == '\r') value.pop_back();
        return value;
    }
    *from = std::string::npos;
    return "";
}

}  // namespace

std::vector<std::string> ClientRun::Values(const std::string& key) const {
    std::vector<std::string> lines;
    size_t from = 0;
    for (;;) {
        std::string line = AfterKey(output, key, &from);
        if (from == std::string::npos) return lines;
        lines.push_back(line);
    }
}

std::string ClientRun::Value(const std::string& key) const {
    size_t from = 0;
    return AfterKey(output, key, &from);
}

RdpInstall::RdpInstall() {
    static int counter = 0;
    version_ = L"9." + std::to_wstring(::GetCurrentProcessId()) + L"." + std::to_wstring(++counter);
    win::RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kProductKey, KEY_QUERY_VALUE) == ERROR_SUCCESS) {
        wchar_t text[260] = {};
        DWORD bytes = sizeof text - sizeof(wchar_t);
        hadVersion_ = ::RegQueryValueExW(key.Get(), L"Version", nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(text), &bytes) == ERROR_SUCCESS;
        previousVersion_ = text;
    }
    detection_tests::SetString(HKEY_LOCAL_MACHINE, kProductKey, L"Version", version_);
    detection_tests::SetDword(HKEY_LOCAL_MACHINE, std::wstring(kProductKey) + L"\\" + version_,
                              L"RDP Support", 1);
    // Every real profile has it; the add-in writes open it rather than create it.
    win::RegKey microsoft;
    microsoft.Create(HKEY_CURRENT_USER, L"Software\\Microsoft", KEY_READ);
    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kKelp);
    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kKelp32);
}

RdpInstall::~RdpInstall() {
    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kKelp);
    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kKelp32);
    testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE,
                                   (std::wstring(kProductKey) + L"\\" + version_).c_str());
    win::RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kProductKey, KEY_SET_VALUE) == ERROR_SUCCESS) {
        if (hadVersion_) {
            ::RegSetValueExW(key.Get(), L"Version", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(previousVersion_.c_str()),
                             static_cast<DWORD>((previousVersion_.size() + 1) * sizeof(wchar_t)));
        } else {
            ::RegDeleteValueW(key.Get(), L"Version");
        }
    }
    std::wstring file = PluginPath();
    testing_support::RemoveTree(file.substr(0, file.find_last_of(L'\\')));
}

std::wstring RdpInstall::PluginPath() const {
    // The server under test is a 64-bit process: one Program Files, one key.
    return L"C:\\Program Files\\Corvane\\Shared\\Farlink\\" + version_ + L"\\vcbrdp.dll";
}

void RdpInstall::CreatePluginFile() {
    std::wstring file = PluginPath();
    ::SHCreateDirectoryExW(nullptr, file.substr(0, file.find_last_of(L'\\')).c_str(), nullptr);
    HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    ::CloseHandle(handle);
}

void RdpInstall::Register() {
    ASSERT_TRUE(detection_tests::SetString(HKEY_CURRENT_USER, kKelp, L"Name", PluginPath()));
}

bool RdpInstall::ReadRegisteredName(std::wstring* name) const {
    return detection_tests::GetString(HKEY_CURRENT_USER, kKelp, L"Name", name);
}

OtherClients::OtherClients() {
    detection_tests::SetString(HKEY_LOCAL_MACHINE, kCitrixInstall, L"InstallFolder",
                               L"C:\\farlink-no-citrix\\", KEY_WOW64_32KEY);
    detection_tests::SetString(HKEY_LOCAL_MACHINE, kHorizonClient, L"Version", L"8.0",
                               KEY_WOW64_32KEY);
    workspacesDir_ = testing_support::MakeScratchDir(L"workspaces");
    ::CreateDirectoryW((workspacesDir_ + L"\\vchan_plugins").c_str(), nullptr);
    detection_tests::SetString(HKEY_LOCAL_MACHINE, kWorkspacesCommand, L"",
                               L"\"" + workspacesDir_ + L"\\workspaces.exe\" \"%1\"");
}

OtherClients::~OtherClients() {
    testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\Citrix", KEY_WOW64_32KEY);
    testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\VMware, Inc.", KEY_WOW64_32KEY);
    testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\Classes\\workspaces");
    testing_support::RemoveTree(workspacesDir_);
}

void DialogTest::SetUpTestSuite() {
    // Wine activates only classes registered for the whole machine.
    ASSERT_EQ(server_testing::RunServer(L"/RegServer"), 0u);
}

void DialogTest::SetUp() {
    // Each test gets a server of its own: the language, the log and the
    // session type are fixed per server process.
    ASSERT_TRUE(server_testing::WaitForNoServer(15000));
    ASSERT_TRUE(cache_.Seeded());
}

void DialogTest::TearDown() {
    // A test that failed with a dialog still open leaves its server waiting
    // for a user; end it so the next test starts clean.
    if (server_testing::WaitForNoServer(15000)) return;
    ADD_FAILURE() << "the server outlived the test";
    server_testing::KillServers();
}

ClientRun DialogTest::Run(const std::wstring& args) {
    ClientRun run;
    run.exitCode = server_testing::RunClient(args, &run.output);
    return run;
}

ClientRun DialogTest::ShowAndRead(const std::wstring& testers, const std::wstring& language) {
    return Run(testers + L" connect show:" + language +
               L" wait-dialog:desktop read:desktop click:desktop:close wait-gone:desktop release");
}

ClientRun DialogTest::StatusReport(const std::wstring& testers, const std::wstring& steps) {
    return Run(testers +
               L" connect show wait-dialog:desktop click:desktop:test wait-dialog:status"
               L" read:status " +
               steps +
               L" click:status:close wait-gone:status click:desktop:close wait-gone:desktop"
               L" release");
}

}  // namespace dialog_tests
