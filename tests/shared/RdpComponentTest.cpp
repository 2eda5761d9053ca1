// The Remote Desktop family's state check and repair over real add-in keys and
// plug-in files.
#include <gtest/gtest.h>

#include "shared/Farlink/RdpComponent.h"
#include "shared/Farlink/RdpGlassComponent.h"
#include "shared/Farlink/RemoteComponentList.h"
#include "shared/InstallFixture.h"

using namespace sharedfarlink;

namespace detection_tests {
namespace {

using RdpFamily = InstallFixture;

TEST_F(RdpFamily, ClientWithoutKeysIsRepairedThenReadsRegistered) {
    CreatePluginFiles();
    // Azure shares every behaviour of Remote Desktop but its identity.
    for (int type : {RemoteTypeRdp, RemoteTypeAzure}) {
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kKelp);
        ComponentHolder c;
        ASSERT_TRUE(FindByType(type, c));
        EXPECT_TRUE(c->UpdateState(false, L""));
        EXPECT_EQ(c->IsClientInstalled(false), -1);
        EXPECT_EQ(c->IsRegistered(false), 0);
        EXPECT_EQ(c->IsDllInstalled(false), 1);
        EXPECT_EQ(c->Repair(false, L""), 1);

        ASSERT_TRUE(FindByType(type, c));
        EXPECT_FALSE(c->UpdateState(false, L""));
        EXPECT_EQ(c->IsRegistered(false), 1);
        EXPECT_EQ(c->Repair(false, L""), -1);
    }
}

TEST_F(RdpFamily, TheFileTestedIsTheOneTheKeyNamesInAnyCase) {
    CreatePluginFiles();
    std::wstring upper = NativePath();
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    const struct {
        std::wstring name;
        TriState registered, dllInstalled;
    } rows[] = {
        {upper, 1, 1},
        {L"C:\\windows\\system32\\kernel32.dll", 0, 1},  // exists, but not ours
        {L"C:\\nowhere\\vcbrdp.dll", 0, 0},              // ours exists, this does not
    };
    for (const auto& row : rows) {
        WriteAddin(kKelp, row.name);
        RdpComponent c;
        EXPECT_EQ(c.UpdateState(false, L""), row.registered == 0 || row.dllInstalled == 0);
        EXPECT_EQ(c.IsRegistered(false), row.registered);
        EXPECT_EQ(c.IsDllInstalled(false), row.dllInstalled);
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
}

TEST_F(RdpFamily, GlassOnTheClientIsNeverRepaired) {
    RdpGlassComponent c;
    EXPECT_FALSE(c.UpdateState(false, L""));
    EXPECT_EQ(c.IsClientInstalled(false), 0);
    EXPECT_EQ(c.Repair(false, L""), -1);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKelp));
}

TEST_F(RdpFamily, ACopyCarriesTheLastReading) {
    ComponentHolder updated, copy;
    ASSERT_TRUE(FindByType(RemoteTypeRdp, updated));
    EXPECT_TRUE(updated->UpdateState(false, L""));
    // Cloned from an updated component, not the prototype: the copy repairs
    // without reading again.
    ASSERT_TRUE(CloneComponent(RemoteTypeRdp, *updated, copy));
    EXPECT_EQ(copy->Repair(false, L""), 1);
    CreatePluginFiles();
    EXPECT_FALSE(updated->UpdateState(false, L""));
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kKelp);
    ASSERT_TRUE(CloneComponent(RemoteTypeRdp, *updated, copy));
    EXPECT_EQ(copy->IsRegistered(false), 1);
}

}  // namespace
}  // namespace detection_tests
