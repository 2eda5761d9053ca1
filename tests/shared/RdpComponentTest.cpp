// The Remote Desktop family's state check and repair over real add-in keys and
// plug-in files.
#include <gtest/gtest.h>

#include "shared/Farlink/AzureComponent.h"
#include "shared/Farlink/RdpComponent.h"
#include "shared/Farlink/RdpGlassComponent.h"
#include "shared/Farlink/RemoteComponentList.h"
#include "shared/InstallFixture.h"
#include "shared/WriteBlockedKey.h"

using namespace sharedfarlink;

namespace detection_tests {
namespace {

using RdpFamily = InstallFixture;

TEST_F(RdpFamily, HostSideAnswersDoesNotApplyAndNeverRepairs) {
    for (int type : {RemoteTypeRdp, RemoteTypeGlass, RemoteTypeAzure}) {
        ComponentHolder c;
        ASSERT_TRUE(FindByType(type, c));
        EXPECT_FALSE(c->UpdateState(true, L""));
        EXPECT_EQ(c->IsClientInstalled(true), -1);
        EXPECT_EQ(c->IsRegistered(true), -1);
        EXPECT_EQ(c->IsDllInstalled(true), -1);
        EXPECT_EQ(c->Repair(true, L""), -1);
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKelp));
}

TEST_F(RdpFamily, ClientWithoutKeysIsRepairedThenReadsRegistered) {
    CreatePluginFiles();
    // Azure shares every behaviour of Remote Desktop but its identity.
    for (int type : {RemoteTypeRdp, RemoteTypeAzure}) {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Terminal Server Client");
        ComponentHolder c;
        ASSERT_TRUE(FindByType(type, c));
        EXPECT_TRUE(c->UpdateState(false, L""));
        EXPECT_EQ(c->IsClientInstalled(false), -1);
        EXPECT_EQ(c->IsRegistered(false), 0);
        EXPECT_EQ(c->IsDllInstalled(false), 1);
        EXPECT_EQ(c->Repair(false, L""), 1);

        ComponentHolder fresh;
        ASSERT_TRUE(FindByType(type, fresh));
        EXPECT_FALSE(fresh->UpdateState(false, L""));
        EXPECT_EQ(fresh->IsRegistered(false), 1);
        EXPECT_EQ(fresh->Repair(false, L""), -1);
    }
}

TEST_F(RdpFamily, On64BitWindowsAMissingKelp32KeyIsNotRegistered) {
    AsWow64();
    CreatePluginFiles();
    WriteAddin(kKelp, NativePath());
    RdpComponent c;
    EXPECT_TRUE(c.UpdateState(false, L""));
    EXPECT_EQ(c.IsRegistered(false), 0);
    EXPECT_EQ(c.IsDllInstalled(false), 1);
    EXPECT_EQ(c.Repair(false, L""), 1);
    std::wstring name;
    ASSERT_TRUE(ReadName(kKelp32, &name));
    EXPECT_EQ(name, X86Path());
    RdpComponent fresh;
    EXPECT_FALSE(fresh.UpdateState(false, L""));
}

TEST_F(RdpFamily, StateCheckIgnoresCaseWhileRepairRewritesTheExactPath) {
    CreatePluginFiles();
    std::wstring upper = NativePath();
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    WriteAddin(kKelp, upper);
    RdpComponent c;
    EXPECT_FALSE(c.UpdateState(false, L""));
    EXPECT_EQ(c.IsRegistered(false), 1);
    // Nothing needs repair, so nothing is rewritten.
    EXPECT_EQ(c.Repair(false, L""), -1);
    std::wstring name;
    ASSERT_TRUE(ReadName(kKelp, &name));
    EXPECT_EQ(name, upper);
}

TEST_F(RdpFamily, FilesTestedAreTheOnesTheKeysName) {
    CreatePluginFiles();
    RdpComponent c;
    // A key naming another file that exists: installed, though not registered.
    WriteAddin(kKelp, L"C:\\windows\\system32\\kernel32.dll");
    EXPECT_TRUE(c.UpdateState(false, L""));
    EXPECT_EQ(c.IsDllInstalled(false), 1);
    EXPECT_EQ(c.IsRegistered(false), 0);

    // The key names a missing file although ours exists: not installed.
    WriteAddin(kKelp, L"C:\\nowhere\\vcbrdp.dll");
    EXPECT_TRUE(c.UpdateState(false, L""));
    EXPECT_EQ(c.IsDllInstalled(false), 0);

    // No key: our expected file decides.
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kKelp);
    EXPECT_TRUE(c.UpdateState(false, L""));
    EXPECT_EQ(c.IsDllInstalled(false), 1);
}

TEST_F(RdpFamily, GlassOnTheClientIsNeverRepaired) {
    RdpGlassComponent c;
    EXPECT_FALSE(c.UpdateState(false, L""));
    EXPECT_EQ(c.IsClientInstalled(false), 0);
    EXPECT_EQ(c.IsRegistered(false), 0);
    EXPECT_EQ(c.Repair(false, L""), -1);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKelp));
}

TEST_F(RdpFamily, RepairWithRdpSupportOffRemovesOurKeys) {
    SetRdpSupport(0);
    WriteAddin(kKelp, NativePath(), -1);  // wrong: no "View Enabled"
    AzureComponent c;
    EXPECT_TRUE(c.UpdateState(false, L""));
    // Ours without "View Enabled" does not match the repair's test, so it stays.
    EXPECT_EQ(c.Repair(false, L""), 1);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kKelp));
    WriteAddin(kKelp, NativePath());
    EXPECT_TRUE(c.UpdateState(false, L""));  // files missing
    EXPECT_EQ(c.Repair(false, L""), 1);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKelp));
}

TEST_F(RdpFamily, AFailedWriteMakesTheRepairFail) {
    WriteAddin(kKelp, L"C:\\other\\vcbrdp.dll");
    WriteBlockedKey blocked(HKEY_CURRENT_USER, kKelp);
    ASSERT_TRUE(blocked.Blocked());
    RdpComponent c;
    EXPECT_TRUE(c.UpdateState(false, L""));
    EXPECT_EQ(c.Repair(false, L""), 0);
}

TEST_F(RdpFamily, ACopyCarriesTheLastReading) {
    CreatePluginFiles();
    WriteAddin(kKelp, NativePath());
    ComponentHolder updated;
    ASSERT_TRUE(FindByType(RemoteTypeRdp, updated));
    updated->UpdateState(false, L"");
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kKelp);
    // Cloned from an updated copy rather than the prototype: the add-in
    // records and needsRepair come along.
    ComponentHolder copy;
    ASSERT_TRUE(CloneComponent(RemoteTypeRdp, *updated, copy));
    EXPECT_EQ(copy->IsRegistered(false), 1);
    EXPECT_EQ(copy->IsDllInstalled(false), 1);

    // Without a key the update asks for repair; the copy repairs on that word.
    EXPECT_TRUE(updated->UpdateState(false, L""));
    ASSERT_TRUE(CloneComponent(RemoteTypeRdp, *updated, copy));
    EXPECT_EQ(copy->Repair(false, L""), 1);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kKelp));
}

}  // namespace
}  // namespace detection_tests
