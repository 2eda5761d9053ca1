// The Horizon component: the Remote Desktop add-in keys, counted only with a
// nonzero "View Enabled", and only once the Horizon client key exists.
#include <gtest/gtest.h>

#include "shared/ChannelSeeds.h"
#include "shared/Farlink/HorizonComponent.h"
#include "shared/Farlink/RdpComponent.h"
#include "shared/InstallFixture.h"
#include "shared/SplitRegistryViews.h"

using namespace sharedfarlink;

namespace detection_tests {
namespace {

class HorizonClient : public InstallFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(SplitRegistryViews());
        CreatePluginFiles();
    }
    // The Horizon client writes its key in the 32-bit view.
    void InstallClient(REGSAM view = KEY_WOW64_32KEY) {
        ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kHorizonClientKey, L"Version", L"8", view));
    }
};

TEST_F(HorizonClient, WithoutTheClientKeyNothingElseIsReadNorRepaired) {
    // Keys that would count as registered, were they read.
    WriteAddin(kKelp, NativePath(), 1);
    for (bool keyIn64BitView : {false, true}) {
        SCOPED_TRACE(keyIn64BitView ? "key in the 64-bit view" : "no key");
        if (keyIn64BitView) InstallClient(KEY_WOW64_64KEY);
        HorizonComponent horizon;
        EXPECT_FALSE(horizon.UpdateState(false, L""));
        EXPECT_EQ(horizon.IsClientInstalled(false), 0);
        EXPECT_EQ(horizon.IsRegistered(false), 0);
        EXPECT_EQ(horizon.IsDllInstalled(false), 0);
        EXPECT_EQ(horizon.Repair(false, L""), -1);
    }
}

TEST_F(HorizonClient, ViewEnabledZeroSurvivesARepairThatWritesNothing) {
    InstallClient();
    WriteAddin(kKelp, NativePath(), 0);
    // Remote Desktop does not look at the value: the same key is fine for it.
    RdpComponent rdp;
    EXPECT_FALSE(rdp.UpdateState(false, L""));

    HorizonComponent horizon;
    EXPECT_TRUE(horizon.UpdateState(false, L""));
    EXPECT_EQ(horizon.IsClientInstalled(false), 1);
    EXPECT_EQ(horizon.IsRegistered(false), 0);
    EXPECT_EQ(horizon.IsDllInstalled(false), 1);
    // The repair's own test only wants the value to exist, so it finds the
    // key right and calls that a success.
    EXPECT_EQ(horizon.Repair(false, L""), 1);
    DWORD viewEnabled = 7;
    ASSERT_TRUE(GetDword(HKEY_CURRENT_USER, kKelp, L"View Enabled", &viewEnabled));
    EXPECT_EQ(viewEnabled, 0u);
    EXPECT_TRUE(horizon.UpdateState(false, L""));
    EXPECT_EQ(horizon.IsRegistered(false), 0);
}

TEST_F(HorizonClient, AMissingViewEnabledIsWrittenAsOne) {
    InstallClient();
    WriteAddin(kKelp, NativePath(), -1);
    HorizonComponent horizon;
    EXPECT_TRUE(horizon.UpdateState(false, L""));
    EXPECT_EQ(horizon.IsRegistered(false), 0);
    EXPECT_EQ(horizon.Repair(false, L""), 1);
    DWORD viewEnabled = 0;
    ASSERT_TRUE(GetDword(HKEY_CURRENT_USER, kKelp, L"View Enabled", &viewEnabled));
    EXPECT_EQ(viewEnabled, 1u);
    EXPECT_FALSE(horizon.UpdateState(false, L""));
    EXPECT_EQ(horizon.IsRegistered(false), 1);
}

TEST_F(HorizonClient, HostSideAnswersDoesNotApply) {
    InstallClient();
    HorizonComponent horizon;
    EXPECT_FALSE(horizon.UpdateState(true, L""));
    EXPECT_EQ(horizon.IsClientInstalled(true), -1);
    EXPECT_EQ(horizon.IsRegistered(true), -1);
    EXPECT_EQ(horizon.IsDllInstalled(true), -1);
    EXPECT_EQ(horizon.Repair(true, L""), -1);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKelp));
}

}  // namespace
}  // namespace detection_tests
