// The registration switches, run on the built server against the prefix's
// real registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/RegistryOverride.h"
#include "common/TestPaths.h"
#include "server/ServerProcess.h"
#include "win/RegKey.h"

namespace {

using server_testing::RunServer;

const wchar_t kFarlinkUIKey[] = L"CLSID\\{5B0C2A71-3E94-4F1D-9A62-7C81D4E0B3A9}";
const wchar_t kTestProgressKey[] = L"CLSID\\{A3D6E514-0B7C-4E28-8F45-19C2B7D60E84}";
const wchar_t kTypeLibKey[] = L"TypeLib\\{C7E19B02-5D3A-4B86-A1F0-6E4D82C39F57}\\1.0";
const wchar_t kMachineClasses[] = L"Software\\Classes";
const wchar_t kUserClasses[] = L"Software\\Classes";

std::wstring Under(const wchar_t* root, const wchar_t* key) {
    return std::wstring(root) + L"\\" + key;
}

bool KeyExists(HKEY root, const std::wstring& path) {
    win::RegKey key;
    return key.Open(root, path.c_str(), KEY_READ) == ERROR_SUCCESS;
}

std::wstring ReadString(HKEY root, const std::wstring& path, const wchar_t* value) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (::RegGetValueW(root, path.c_str(), value, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return buffer;
}

// Every subkey and value below `path`, one line each, in enumeration order.
std::wstring Dump(HKEY root, const std::wstring& path) {
    win::RegKey key;
    if (key.Open(root, path.c_str(), KEY_READ) != ERROR_SUCCESS) return L"<absent>";
    std::wstring out;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        BYTE data[2048];
        DWORD dataSize = sizeof data, type = 0;
        if (::RegEnumValueW(key.Get(), i, name, &nameLength, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        out += path + L" [" + name + L"] " + std::to_wstring(type) + L" " +
               std::wstring(reinterpret_cast<wchar_t*>(data), dataSize / sizeof(wchar_t)) + L"\n";
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (::RegEnumKeyExW(key.Get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        out += Dump(root, path + L"\\" + name);
    }
    return out;
}

class RegistrationTest : public testing::Test {
protected:
    void TearDown() override {
        // Leave the machine registered, as the end-to-end tests expect.
        RunServer(L"/UnregServerPerUser");
        EXPECT_EQ(RunServer(L"/RegServer"), 0u);
    }
};

TEST_F(RegistrationTest, RegisterWritesClassKeysAndTypeLibrary) {
    ASSERT_EQ(RunServer(L"/RegServer"), 0u);
    std::wstring path = server_testing::ServerPath();
    for (const wchar_t* cls : {kFarlinkUIKey, kTestProgressKey}) {
        std::wstring key = Under(kMachineClasses, cls);
        SCOPED_TRACE(testing::Message() << testing::PrintToString(key));
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, key, nullptr),
                  cls == kFarlinkUIKey ? L"FarlinkUI Class" : L"TestProgress Class");
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, key + L"\\Programmable"));
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, key + L"\\LocalServer32", nullptr), path);
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, key + L"\\LocalServer32", L"ServerExecutable"), path);
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, key + L"\\TypeLib", nullptr),
                  L"{C7E19B02-5D3A-4B86-A1F0-6E4D82C39F57}");
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, key + L"\\Version", nullptr), L"1.0");
        // No AppID is written for the classes.
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, key, L"AppID"), L"<missing>");
    }
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kTypeLibKey));
}

TEST_F(RegistrationTest, RegisteringTwiceLeavesTheSameKeys) {
    ASSERT_EQ(RunServer(L"/RegServer"), 0u);
    std::wstring first = Dump(HKEY_LOCAL_MACHINE, Under(kMachineClasses, kFarlinkUIKey)) +
                         Dump(HKEY_LOCAL_MACHINE, Under(kMachineClasses, kTestProgressKey));
    // A stray key under the class is removed by the next registration.
    win::RegKey stray;
    ASSERT_EQ(stray.Create(HKEY_LOCAL_MACHINE, (Under(kMachineClasses, kFarlinkUIKey) + L"\\Stray").c_str(),
                           KEY_WRITE), ERROR_SUCCESS);
    stray.Close();
    ASSERT_EQ(RunServer(L"-regserver"), 0u);
    std::wstring second = Dump(HKEY_LOCAL_MACHINE, Under(kMachineClasses, kFarlinkUIKey)) +
                          Dump(HKEY_LOCAL_MACHINE, Under(kMachineClasses, kTestProgressKey));
    EXPECT_EQ(first, second);
    EXPECT_NE(first.find(L"LocalServer32"), std::wstring::npos);
}

TEST_F(RegistrationTest, UnregisterRemovesClassKeysButKeepsClsid) {
    ASSERT_EQ(RunServer(L"/RegServer"), 0u);
    ASSERT_EQ(RunServer(L"/UnregServer"), 0u);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Under(kMachineClasses, kFarlinkUIKey)));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Under(kMachineClasses, kTestProgressKey)));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, Under(kMachineClasses, L"CLSID")));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kTypeLibKey));
}

TEST_F(RegistrationTest, PerUserTouchesOnlyTheUsersClasses) {
    ASSERT_EQ(RunServer(L"/UnregServer"), 0u);
    ASSERT_EQ(RunServer(L"/RegServerPerUser"), 0u);
    for (const wchar_t* cls : {kFarlinkUIKey, kTestProgressKey}) {
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Under(kUserClasses, cls) + L"\\LocalServer32"));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Under(kMachineClasses, cls)));
    }
    ASSERT_EQ(RunServer(L"/UnregServerPerUser"), 0u);
    for (const wchar_t* cls : {kFarlinkUIKey, kTestProgressKey}) {
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Under(kUserClasses, cls)));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Under(kMachineClasses, cls)));
    }
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Under(kUserClasses, L"CLSID")));
}

TEST_F(RegistrationTest, PathWithBlankIsQuotedOnlyInLocalServer32) {
    wchar_t programFiles[MAX_PATH] = {};
    ::ExpandEnvironmentStringsW(L"%ProgramFiles%", programFiles, MAX_PATH);
    std::wstring dir = std::wstring(programFiles) + L"\\Farlink Test";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    std::wstring exe = dir + L"\\FarlinkUI.exe";
    ASSERT_TRUE(::CopyFileW(server_testing::ServerPath().c_str(), exe.c_str(), FALSE));

    ASSERT_EQ(RunServer(L"/RegServerPerUser", exe), 0u);
    std::wstring key = Under(kUserClasses, kFarlinkUIKey) + L"\\LocalServer32";
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, key, nullptr), L"\"" + exe + L"\"");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, key, L"ServerExecutable"), exe);
    EXPECT_EQ(RunServer(L"/UnregServerPerUser", exe), 0u);
    testing_support::RemoveTree(dir);
}

TEST_F(RegistrationTest, ExitCodes) {
    // A word that only begins with a switch name runs the server: started by
    // hand it waits for clients, serves them, and ends with 0 after the last.
    ASSERT_EQ(RunServer(L"/RegServer"), 0u);
    testing_support::ChildProcess byHand;
    ASSERT_TRUE(byHand.Start(testing_support::Quote(server_testing::ServerPath()) + L" /RegServerNow"));
    EXPECT_FALSE(byHand.Wait(1500));
    std::string out;
    ASSERT_EQ(server_testing::RunClient(L"pid release", &out), 0u) << out;
    EXPECT_EQ(server_testing::ReportedPid(out), byHand.Pid()) << out;
    DWORD code = 0xFFFF;
    EXPECT_TRUE(byHand.Wait(10000, &code));
    EXPECT_EQ(code, 0u);

    EXPECT_EQ(RunServer(L"/RegServer"), 0u);
    EXPECT_EQ(RunServer(L"/UnregServer /RegServer"), 0u);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Under(kMachineClasses, kFarlinkUIKey)));
    // Unregistering a type library that is not registered fails, and that
    // failure is the exit code.
    code = RunServer(L"/UnregServer");
    EXPECT_TRUE(FAILED(static_cast<HRESULT>(code))) << std::hex << code;
}

}  // namespace
