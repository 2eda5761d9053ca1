// The detector over real session probes (the per-user cache decides under
// Wine) and the real registry.
#include <gtest/gtest.h>

#include <vector>

#include "shared/Farlink/RemoteComponentDetector.h"
#include "shared/InstallFixture.h"
#include "shared/WriteBlockedKey.h"

using namespace sharedfarlink;

namespace detection_tests {
namespace {

TEST(DetectorEnumeration, LocalListsAllSixRemoteOnlyItsOwnDisconnectedNone) {
    const struct {
        const wchar_t* session;
        int sessionType;
        std::vector<int> types;
    } rows[] = {
        {L"Local", -1, {2, 1, 3, 5, 4, 6}},
        {L"rdp", RemoteTypeRdp, {RemoteTypeRdp}},
        {L"Disconnected", RemoteTypeDisconnected, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.session);
        SeededRegistry registry(row.session);
        RemoteComponentDetector detector;
        EXPECT_EQ(detector.inRemoteSession, row.sessionType != -1);
        EXPECT_EQ(detector.SessionType(), row.sessionType);
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<int> types;
            for (bool first = true; detector.MoveNext(first, L"");) {
                EXPECT_FALSE(first);
                types.push_back(detector.GetType());
            }
            EXPECT_EQ(types, row.types);
        }
        // Past the end the fields keep the last component's answers.
        EXPECT_EQ(detector.GetType(), row.types.empty() ? -1 : row.types.back());
        EXPECT_EQ(detector.Repair(true, L""), -1) << "the host side has nothing to repair";
        EXPECT_TRUE(!row.types.empty() || !detector.FindClientProcess()) << "scanned anyway";
    }
}

using DetectorRepair = InstallFixture;

TEST_F(DetectorRepair, WritesMissingKeysThenHasNothingLeftToDo) {
    RemoteComponentDetector detector;
    ASSERT_FALSE(detector.inRemoteSession);
    EXPECT_EQ(detector.Repair(false, L""), 1);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kKelp));
    // The other clients are not installed here, so they ask for no repair.
    CreatePluginFiles();
    EXPECT_EQ(detector.Repair(false, L""), -1);
}

TEST_F(DetectorRepair, OneFailureFailsTheWholeRepair) {
    WriteAddin(kKelp, L"C:\\other\\vcbrdp.dll");
    WriteBlockedKey blocked(HKEY_CURRENT_USER, kKelp);
    ASSERT_TRUE(blocked.Blocked());
    EXPECT_EQ(RemoteComponentDetector().Repair(false, L""), 0);
}

}  // namespace
}  // namespace detection_tests
