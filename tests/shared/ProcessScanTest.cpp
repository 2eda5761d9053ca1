// The detector's scan over real processes: the client double runs under client
// names, with or without a DLL named like the plug-in.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <vector>

#include "shared/ClientDoubles.h"
#include "shared/Farlink/RemoteComponentDetector.h"
#include "shared/SeededRegistry.h"

using namespace sharedfarlink;

namespace detection_tests {
namespace {

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

TEST_F(ProcessScan, EachClientAttributedToItsComponentWithOrWithoutItsPlugin) {
    const struct {
        const wchar_t* exe;
        const wchar_t* loaded;  // null: no DLL loaded
        int type;
        const wchar_t* plugin;
        int dllLoaded;
    } rows[] = {
        {L"mstsc.exe", L"vcbrdp.dll", RemoteTypeRdp, L"vcbrdp.dll", 1},
        {L"msrdc.exe", nullptr, RemoteTypeAzure, L"vcbrdp.dll", 0},
        // The module keeps the case it was loaded under, the executable its on-disk case.
        {L"mstsc.exe", L"VCBRDP.DLL", RemoteTypeRdp, L"vcbrdp.dll", 1},
        {L"WORKSPACES.EXE", L"VcbPco.Dll", RemoteTypeAws, L"vcbpco.dll", 1},
        // Another channel's plug-in in a client is not that client's own.
        {L"WORKSPACES.EXE", L"vcbrdp.dll", RemoteTypeAws, L"vcbpco.dll", 0},
        {L"wfica32.exe", L"vcbica.dll", RemoteTypeIca, L"vcbica.dll", 1},
        {L"wfica32.exe", L"vcbrdp.dll", RemoteTypeIca, L"vcbica.dll", 0},
        {L"vmware-remotemks.exe", L"vcbrdp.dll", RemoteTypeHorizon, L"vcbrdp.dll", 1},
    };
    // One detector throughout: every scan starts afresh.
    RemoteComponentDetector detector;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.exe << " with " << (row.loaded ? row.loaded : L"-"));
        clients_.StopAll();
        ASSERT_TRUE(clients_.Start(row.exe, row.loaded));
        EXPECT_TRUE(detector.FindClientProcess());
        EXPECT_FALSE(detector.multipleClients);
        EXPECT_EQ(detector.GetType(), row.type);
        bool checkLoaded = false;
        EXPECT_EQ(ScannedDll(detector, &checkLoaded), row.plugin);
        EXPECT_TRUE(checkLoaded);
        EXPECT_EQ(detector.dllLoaded, row.dllLoaded);
    }
    // No client at all: the last module answer is left alone.
    clients_.StopAll();
    ASSERT_TRUE(clients_.Start(L"notepad-like.exe", L"vcbrdp.dll"));
    EXPECT_FALSE(detector.FindClientProcess());
    EXPECT_FALSE(detector.multipleClients);
    EXPECT_EQ(detector.GetType(), -1);
    EXPECT_EQ(detector.dllLoaded, 1);
    EXPECT_EQ(RemoteComponentDetector().dllLoaded, -1);
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

}  // namespace
}  // namespace detection_tests
