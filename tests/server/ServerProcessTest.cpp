// The built server as a process: its registration switches against the
// prefix's real registry, its log, and activation out of process by farlinkdrive
// as the product would use it.
#include <gtest/gtest.h>

#include "common/Testing.h"

namespace {

using tst::KeyExists;
using tst::RunServer;

const wchar_t kFarlinkUI[] = L"Software\\Classes\\CLSID\\{5B0C2A71-3E94-4F1D-9A62-7C81D4E0B3A9}";
const wchar_t kTestProgress[] = L"Software\\Classes\\CLSID\\{A3D6E514-0B7C-4E28-8F45-19C2B7D60E84}";
const wchar_t kTypeLib[] = L"TypeLib\\{C7E19B02-5D3A-4B86-A1F0-6E4D82C39F57}\\1.0";

class Registration : public testing::Test {
protected:
    // Leave the machine registered, as activation needs under Wine.
    void TearDown() override {
        RunServer(L"/UnregServerPerUser");
        EXPECT_EQ(RunServer(L"/RegServer"), 0u);
    }
};

TEST_F(Registration, MachineWideWritesBothClassesAndTheTypeLibraryAndRemovesThem) {
    ASSERT_EQ(RunServer(L"/RegServer"), 0u);
    // A stray key under a class goes with the next registration.
    ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, kFarlinkUI + std::wstring(L"\\Stray"), nullptr, L"x"));
    ASSERT_EQ(RunServer(L"-regserver"), 0u);
    const std::wstring path = tst::ServerPath();
    for (const wchar_t* cls : {kFarlinkUI, kTestProgress}) {
        const std::wstring key = cls;
        SCOPED_TRACE(testing::PrintToString(key));
        EXPECT_EQ(tst::GetString(HKEY_LOCAL_MACHINE, key, nullptr),
                  cls == kFarlinkUI ? L"FarlinkUI Class" : L"TestProgress Class");
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, key + L"\\Programmable"));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key + L"\\Stray"));
        EXPECT_EQ(tst::GetString(HKEY_LOCAL_MACHINE, key + L"\\LocalServer32", nullptr), path);
        EXPECT_EQ(tst::GetString(HKEY_LOCAL_MACHINE, key + L"\\LocalServer32", L"ServerExecutable"), path);
        EXPECT_EQ(tst::GetString(HKEY_LOCAL_MACHINE, key + L"\\TypeLib", nullptr),
                  L"{C7E19B02-5D3A-4B86-A1F0-6E4D82C39F57}");
        EXPECT_EQ(tst::GetString(HKEY_LOCAL_MACHINE, key + L"\\Version", nullptr), L"1.0");
        EXPECT_EQ(tst::GetString(HKEY_LOCAL_MACHINE, key, L"AppID"), L"<missing>");
    }
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kTypeLib));

    ASSERT_EQ(RunServer(L"/UnregServer"), 0u);
    for (const wchar_t* cls : {kFarlinkUI, kTestProgress}) EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, cls)) << cls;
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kTypeLib));
}

TEST_F(Registration, PerUserTouchesOnlyTheUsersClassesAndQuotesOnlyLocalServer32) {
    wchar_t programFiles[MAX_PATH] = {};
    ::ExpandEnvironmentStringsW(L"%ProgramFiles%", programFiles, MAX_PATH);
    const std::wstring dir = programFiles + std::wstring(L"\\Farlink Test"), exe = dir + L"\\FarlinkUI.exe";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileW(tst::ServerPath().c_str(), exe.c_str(), FALSE));
    ASSERT_EQ(RunServer(L"/UnregServer"), 0u);
    ASSERT_EQ(RunServer(L"/RegServerPerUser", exe), 0u);
    for (const wchar_t* cls : {kFarlinkUI, kTestProgress}) {
        const std::wstring key = cls + std::wstring(L"\\LocalServer32");
        EXPECT_EQ(tst::GetString(HKEY_CURRENT_USER, key, nullptr), L"\"" + exe + L"\"");
        EXPECT_EQ(tst::GetString(HKEY_CURRENT_USER, key, L"ServerExecutable"), exe);
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, cls));
    }
    ASSERT_EQ(RunServer(L"/UnregServerPerUser", exe), 0u);
    for (const wchar_t* cls : {kFarlinkUI, kTestProgress}) EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, cls)) << cls;
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\CLSID"));
    tst::RemoveTree(dir);
}

class EndToEnd : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(RunServer(L"/RegServer"), 0u); }
    void SetUp() override { ASSERT_TRUE(tst::WaitForNoServer(10000)); }
    // A dialog probes the session; the cache answers before the cloud check can.
    tst::SavedValue cache_{HKEY_CURRENT_USER, tst::kCacheKey, L"Server", L"Local"};
};

TEST_F(EndToEnd, ArgumentChecksAndInterfaces) {
    std::string out;
    ASSERT_EQ(tst::RunClient(L"connect-null qi-dispatch pid late-pid testprogress", &out), 0u) << out;
    const std::string pid = std::to_string(tst::ReportedPid(out));
    // IDispatch is reached through the dual interface, not by QueryInterface.
    for (std::string line : {"connect-null -> 0x80004003", "qi-dispatch -> 0x80004002",
                             "testprogress Progress -> 0x00000000", "testprogress Completed -> 0x00000000"})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
    EXPECT_NE(out.find("late-pid dispid=2 pid=" + pid + " -> 0x00000000"), std::string::npos) << out;
}

}  // namespace
