// The detector over real session probes (the per-user cache decides under
// Wine) and the real registry.
#include <gtest/gtest.h>

#include <vector>

#include "shared/Farlink/RemoteComponentDetector.h"
#include "shared/InstallFixture.h"
#include "shared/SeededRegistry.h"
#include "shared/WriteBlockedKey.h"

using namespace sharedfarlink;

namespace detection_tests {
namespace {

std::vector<int> EnumeratedTypes(RemoteComponentDetector& detector) {
    std::vector<int> types;
    bool first = true;
    while (detector.MoveNext(first, L"")) {
        EXPECT_FALSE(first);
        types.push_back(detector.GetType());
    }
    return types;
}

TEST(DetectorEnumeration, LocalSessionYieldsAllSixInListOrderEachTime) {
    SeededRegistry registry(L"Local");
    RemoteComponentDetector detector;
    EXPECT_FALSE(detector.inRemoteSession);
    EXPECT_EQ(detector.SessionType(), -1);
    const std::vector<int> expected = {2, 1, 3, 5, 4, 6};
    EXPECT_EQ(EnumeratedTypes(detector), expected);
    EXPECT_EQ(EnumeratedTypes(detector), expected);

    // Past the end the fields keep the last component's answers (Azure).
    bool first = false;
    EXPECT_FALSE(detector.MoveNext(first, L""));
    EXPECT_EQ(detector.GetType(), RemoteTypeAzure);
    EXPECT_EQ(detector.IsClientInstalled(false), -1);
    EXPECT_EQ(detector.IsRegistered(false), 0);
}

TEST(DetectorEnumeration, RemoteSessionYieldsOnlyItsOwnComponent) {
    SeededRegistry registry(L"rdp");
    RemoteComponentDetector detector;
    EXPECT_TRUE(detector.inRemoteSession);
    EXPECT_EQ(detector.SessionType(), RemoteTypeRdp);
    EXPECT_EQ(EnumeratedTypes(detector), std::vector<int>{RemoteTypeRdp});
    // The host side has nothing to say about the add-in keys.
    EXPECT_EQ(detector.IsClientInstalled(true), -1);
    EXPECT_EQ(detector.IsRegistered(true), -1);
    EXPECT_EQ(detector.IsDllInstalled(true), -1);
    EXPECT_EQ(detector.Repair(true, L""), -1);
}

TEST(DetectorEnumeration, DisconnectedSessionYieldsNothing) {
    SeededRegistry registry(L"Disconnected");
    RemoteComponentDetector detector;
    EXPECT_TRUE(detector.inRemoteSession);
    EXPECT_EQ(detector.SessionType(), RemoteTypeDisconnected);
    EXPECT_TRUE(EnumeratedTypes(detector).empty());
    EXPECT_EQ(detector.GetType(), -1);
    EXPECT_EQ(detector.Repair(true, L""), -1);
    EXPECT_FALSE(detector.FindClientProcess());
    EXPECT_EQ(detector.GetType(), -1);
}

TEST(DetectorSlots, PresentTheCurrentComponentNotAnyProcess) {
    SeededRegistry registry(L"Local");
    RemoteComponentDetector detector;
    EXPECT_FALSE(detector.MatchesProcessName(false, L"mstsc.exe"));
    EXPECT_FALSE(detector.MatchesProcessName(true, L"pcoip_server_win32.exe"));
    std::wstring dll = L"stale";
    EXPECT_FALSE(detector.GetChannelDll(false, dll));
    EXPECT_EQ(dll, L"");
    EXPECT_FALSE(detector.UpdateState(false, L""));
    EXPECT_EQ(detector.GetType(), -1);
    EXPECT_EQ(detector.IsClientInstalled(false), -1);
    EXPECT_EQ(detector.IsRegistered(false), 0);
    EXPECT_EQ(detector.IsDllInstalled(false), 0);
    EXPECT_EQ(detector.dllLoaded, -1);
}

// The detector's repair over the six real components on a client machine.
using DetectorRepair = InstallFixture;

TEST_F(DetectorRepair, WritesMissingKeysThenHasNothingLeftToDo) {
    RemoteComponentDetector detector;
    ASSERT_FALSE(detector.inRemoteSession);
    EXPECT_EQ(detector.Repair(false, L""), 1);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kKelp));

    // With keys and files in place nothing is left: the other clients are not
    // installed here, so their components ask for no repair.
    CreatePluginFiles();
    EXPECT_EQ(detector.Repair(false, L""), -1);
}

TEST_F(DetectorRepair, OneFailureFailsTheWholeRepair) {
    WriteAddin(kKelp, L"C:\\other\\vcbrdp.dll");
    WriteBlockedKey blocked(HKEY_CURRENT_USER, kKelp);
    ASSERT_TRUE(blocked.Blocked());
    RemoteComponentDetector detector;
    EXPECT_EQ(detector.Repair(false, L""), 0);
}

TEST_F(DetectorRepair, MoveNextRecordsTheRefreshedState) {
    CreatePluginFiles();
    WriteAddin(kKelp, NativePath());
    RemoteComponentDetector detector;
    bool first = true;
    ASSERT_TRUE(detector.MoveNext(first, L""));
    EXPECT_EQ(detector.GetType(), RemoteTypeRdp);
    EXPECT_EQ(detector.IsClientInstalled(false), -1);
    EXPECT_EQ(detector.IsRegistered(false), 1);
    EXPECT_EQ(detector.IsDllInstalled(false), 1);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kKelp);
    // Citrix, Horizon, WorkSpaces and Glass: no client on this machine.
    for (int type : {RemoteTypeIca, RemoteTypeHorizon, RemoteTypeAws, RemoteTypeGlass}) {
        ASSERT_TRUE(detector.MoveNext(first, L""));
        EXPECT_EQ(detector.GetType(), type);
        EXPECT_EQ(detector.IsClientInstalled(false), 0) << type;
    }
    ASSERT_TRUE(detector.MoveNext(first, L""));  // Azure re-reads: key gone
    EXPECT_EQ(detector.GetType(), RemoteTypeAzure);
    EXPECT_EQ(detector.IsRegistered(false), 0);
    EXPECT_EQ(detector.IsDllInstalled(false), 1);
}

}  // namespace
}  // namespace detection_tests
