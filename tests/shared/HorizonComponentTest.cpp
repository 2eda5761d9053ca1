// The Horizon component: the Remote Desktop add-in keys, counted only with a
// nonzero "View Enabled", and only once the Horizon client key exists.
#include <gtest/gtest.h>

#include "shared/Farlink/HorizonComponent.h"
#include "shared/InstallFixture.h"

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

TEST_F(HorizonClient, RepairWritesAMissingViewEnabledButLeavesAZero) {
    InstallClient();
    // The repair's own test only wants the value to exist: with 0 it finds the
    // key right, writes nothing and calls that a success.
    for (int viewEnabled : {0, -1}) {
        SCOPED_TRACE(viewEnabled);
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kKelp);
        WriteAddin(kKelp, NativePath(), viewEnabled);
        HorizonComponent horizon;
        EXPECT_TRUE(horizon.UpdateState(false, L""));
        EXPECT_EQ(horizon.IsClientInstalled(false), 1);
        EXPECT_EQ(horizon.IsRegistered(false), 0);
        EXPECT_EQ(horizon.IsDllInstalled(false), 1);
        EXPECT_EQ(horizon.Repair(false, L""), 1);
        DWORD after = 7;
        ASSERT_TRUE(GetDword(HKEY_CURRENT_USER, kKelp, L"View Enabled", &after));
        EXPECT_EQ(after, viewEnabled ? 1u : 0u);
        EXPECT_EQ(horizon.UpdateState(false, L""), viewEnabled == 0);
        EXPECT_EQ(horizon.IsRegistered(false), viewEnabled ? 1 : 0);
    }
}

}  // namespace
}  // namespace detection_tests
