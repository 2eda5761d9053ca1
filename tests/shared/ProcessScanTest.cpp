// The detector's scan over real processes: the client double runs under client
// names, with or without a DLL named like the plug-in.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <thread>
#include <vector>

#include "shared/ClientDoubles.h"
#include "shared/Farlink/RemoteComponentDetector.h"
#include "shared/SeededRegistry.h"

using namespace sharedfarlink;

namespace detection_tests {
namespace {

// Exposes the token steps of the scan, which only a host-side walk reaches.
class ScanProbe : public RemoteComponentDetector {
public:
    using RemoteComponentDetector::OpenSelfToken;
    using RemoteComponentDetector::SetDebugPrivilege;
};

// Which of two pids the platform lists first: the scan meets them in that order.
bool ListedBefore(DWORD a, DWORD b) {
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    ::EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes);
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        if (ids[i] == a) return true;
        if (ids[i] == b) return false;
    }
    return false;
}

std::wstring ScannedDll(const RemoteComponentDetector& detector, bool* checkLoaded) {
    std::wstring dll;
    *checkLoaded = detector.GetChannelDll(false, dll);
    return dll;
}

class ProcessScan : public ::testing::Test {
protected:
    SeededRegistry registry_{L"Local"};
    ClientDoubles clients_;
};

TEST_F(ProcessScan, NoClientRunning) {
    ASSERT_TRUE(clients_.Start(L"notepad-like.exe", L"vcbrdp.dll"));
    RemoteComponentDetector detector;
    EXPECT_FALSE(detector.FindClientProcess());
    EXPECT_FALSE(detector.multipleClients);
    EXPECT_EQ(detector.GetType(), -1);
    EXPECT_EQ(detector.dllLoaded, -1);
}

TEST_F(ProcessScan, OneClientWithAndWithoutThePlugin) {
    ASSERT_TRUE(clients_.Start(L"mstsc.exe", L"vcbrdp.dll"));
    RemoteComponentDetector detector;
    EXPECT_TRUE(detector.FindClientProcess());
    EXPECT_FALSE(detector.multipleClients);
    EXPECT_EQ(detector.GetType(), RemoteTypeRdp);
    EXPECT_EQ(detector.dllLoaded, 1);
    bool checkLoaded = false;
    EXPECT_EQ(ScannedDll(detector, &checkLoaded), L"vcbrdp.dll");
    EXPECT_TRUE(checkLoaded);

    // Every scan starts afresh: the same client without the plug-in...
    clients_.StopAll();
    ASSERT_TRUE(clients_.Start(L"msrdc.exe"));
    EXPECT_TRUE(detector.FindClientProcess());
    EXPECT_EQ(detector.GetType(), RemoteTypeAzure);
    EXPECT_EQ(detector.dllLoaded, 0);

    // ...and no client at all, where the last module answer is left alone.
    clients_.StopAll();
    EXPECT_FALSE(detector.FindClientProcess());
    EXPECT_EQ(detector.GetType(), -1);
    EXPECT_EQ(detector.dllLoaded, 0);
}

TEST_F(ProcessScan, TwoClientsAreNoAnswerAndOnlyTheFirstIsSearched) {
    ASSERT_TRUE(clients_.Start(L"mstsc.exe", L"vcbrdp.dll"));
    ASSERT_TRUE(clients_.Start(L"msrdc.exe"));
    bool mstscFirst = ListedBefore(clients_.Pid(0), clients_.Pid(1));
    RemoteComponentDetector detector;
    EXPECT_FALSE(detector.FindClientProcess());
    EXPECT_TRUE(detector.multipleClients);
    EXPECT_EQ(detector.GetType(), mstscFirst ? RemoteTypeAzure : RemoteTypeRdp);
    EXPECT_EQ(detector.dllLoaded, mstscFirst ? 1 : 0);
}

TEST_F(ProcessScan, NamesMatchWithoutRegardToCase) {
    // The module keeps the case it was loaded under; the executable its
    // on-disk case.
    ASSERT_TRUE(clients_.Start(L"mstsc.exe", L"VCBRDP.DLL"));
    RemoteComponentDetector detector;
    EXPECT_TRUE(detector.FindClientProcess());
    EXPECT_EQ(detector.dllLoaded, 1);

    clients_.StopAll();
    ASSERT_TRUE(clients_.Start(L"WORKSPACES.EXE", L"VcbPco.Dll"));
    EXPECT_TRUE(detector.FindClientProcess());
    EXPECT_EQ(detector.GetType(), RemoteTypeAws);
    bool checkLoaded = false;
    EXPECT_EQ(ScannedDll(detector, &checkLoaded), L"vcbpco.dll");
    EXPECT_EQ(detector.dllLoaded, 1);

    // The Remote Desktop plug-in in the WorkSpaces client is not its plug-in.
    clients_.StopAll();
    ASSERT_TRUE(clients_.Start(L"WORKSPACES.EXE", L"vcbrdp.dll"));
    EXPECT_TRUE(detector.FindClientProcess());
    EXPECT_EQ(detector.dllLoaded, 0);
}

TEST_F(ProcessScan, CitrixAndHorizonClientsAreAttributedToTheirComponents) {
    const struct {
        const wchar_t* exe;
        const wchar_t* loaded;
        int type;
        const wchar_t* plugin;
        int dllLoaded;
    } cases[] = {
        {L"wfica32.exe", L"vcbica.dll", RemoteTypeIca, L"vcbica.dll", 1},
        // Another channel's plug-in in the Citrix client is not its own.
        {L"wfica32.exe", L"vcbrdp.dll", RemoteTypeIca, L"vcbica.dll", 0},
        {L"vmware-remotemks.exe", L"vcbrdp.dll", RemoteTypeHorizon, L"vcbrdp.dll", 1},
    };
    RemoteComponentDetector detector;
    for (const auto& c : cases) {
        clients_.StopAll();
        ASSERT_TRUE(clients_.Start(c.exe, c.loaded));
        EXPECT_TRUE(detector.FindClientProcess()) << c.exe;
        EXPECT_EQ(detector.GetType(), c.type);
        bool checkLoaded = false;
        EXPECT_EQ(ScannedDll(detector, &checkLoaded), c.plugin);
        EXPECT_TRUE(checkLoaded);
        EXPECT_EQ(detector.dllLoaded, c.dllLoaded) << c.exe << " with " << c.loaded;
    }
}

TEST(ProcessScanRemote, HostSideTakesTheSessionsComponentWithoutWalking) {
    ClientDoubles clients;
    ASSERT_TRUE(clients.Start(L"mstsc.exe", L"vcbrdp.dll"));
    for (const wchar_t* session : {L"RDP", L"AWS"}) {
        SeededRegistry registry(session);
        RemoteComponentDetector detector;
        ASSERT_TRUE(detector.inRemoteSession);
        EXPECT_TRUE(detector.FindClientProcess()) << session;
        EXPECT_EQ(detector.GetType(), detector.SessionType());
        bool checkLoaded = true;
        std::wstring dll = ScannedDll(detector, &checkLoaded);
        EXPECT_FALSE(checkLoaded);
        EXPECT_EQ(dll, detector.SessionType() == RemoteTypeAws ? L"vcbpco.dll" : L"vcbrdp.dll");
        EXPECT_EQ(detector.dllLoaded, -1);
        EXPECT_FALSE(detector.multipleClients);
    }
}

TEST(ProcessScanToken, SelfTokenCarriesTheDebugPrivilegeSwitch) {
    SeededRegistry registry(L"Local");
    // Impersonation sticks to the thread, so keep it off the test's own.
    std::thread([] {
        ScanProbe probe;
        win::ScopedHandle token = probe.OpenSelfToken();
        ASSERT_TRUE(token);
        HANDLE impersonation = nullptr;
        EXPECT_TRUE(::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, FALSE, &impersonation));
        if (impersonation) ::CloseHandle(impersonation);

        LUID debug = {};
        ASSERT_TRUE(::LookupPrivilegeValueW(nullptr, SE_DEBUG_NAME, &debug));
        auto enabled = [&] {
            PRIVILEGE_SET set = {1, PRIVILEGE_SET_ALL_NECESSARY, {{debug, 0}}};
            BOOL result = FALSE;
            ::PrivilegeCheck(token.Get(), &set, &result);
            return result != FALSE;
        };
        probe.SetDebugPrivilege(token.Get(), true);
        EXPECT_TRUE(enabled());
        probe.SetDebugPrivilege(token.Get(), false);
        EXPECT_FALSE(enabled());
        probe.SetDebugPrivilege(nullptr, true);  // must simply do nothing
    }).join();
}

}  // namespace
}  // namespace detection_tests
