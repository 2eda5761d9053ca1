// The component list, its copies and lookups, and the rules every component
// and the detector share.
#include <gtest/gtest.h>

#include <tuple>

#include "shared/Farlink/RemoteBaseComponent.h"
#include "shared/Farlink/RemoteComponentList.h"
#include "shared/Farlink/RepairResult.h"

using namespace sharedfarlink;

namespace {

TEST(ComponentList, ListOrderAndIdentities) {
    const RemoteComponentList& list = GetComponentList();
    ASSERT_EQ(list.Size(), 6u);
    EXPECT_EQ(&list, &GetComponentList());
    const int types[] = {2, 1, 3, 5, 4, 6};
    const wchar_t* clients[] = {L"mstsc.exe",      L"wfica32.exe", L"vmware-remotemks.exe",
                                L"workspaces.exe", L"mstsc.exe",   L"msrdc.exe"};
    const wchar_t* dlls[] = {L"vcbrdp.dll", L"vcbica.dll", L"vcbrdp.dll",
                             L"vcbpco.dll", L"vcbrdp.dll", L"vcbrdp.dll"};
    for (size_t i = 0; i < 6; ++i) {
        const IRemoteComponent& c = list.At(i);
        EXPECT_EQ(c.GetType(), types[i]) << i;
        EXPECT_TRUE(c.MatchesProcessName(false, clients[i])) << i;
        std::wstring dll;
        EXPECT_TRUE(c.GetChannelDll(false, dll)) << i;
        EXPECT_EQ(dll, dlls[i]) << i;
        // No component expects its plug-in inside a host process.
        EXPECT_FALSE(c.GetChannelDll(true, dll)) << i;
    }
}

TEST(ComponentList, ProcessNamesMatchWithoutCaseAndListOrderBreaksTies) {
    ComponentHolder c;
    ASSERT_TRUE(FindByProcessName(false, L"MSTSC.EXE", c));
    EXPECT_EQ(c->GetType(), RemoteTypeRdp);
    ASSERT_TRUE(FindByProcessName(false, L"msrdc.exe", c));
    EXPECT_EQ(c->GetType(), RemoteTypeAzure);
    ASSERT_TRUE(FindByProcessName(false, L"WorkSpaces.exe", c));
    EXPECT_EQ(c->GetType(), RemoteTypeAws);
    // On the host side only the PCoIP agent has a name.
    ASSERT_TRUE(FindByProcessName(true, L"PCOIP_SERVER_WIN32.EXE", c));
    EXPECT_EQ(c->GetType(), RemoteTypeAws);
    const IRemoteComponent* before = c.get();
    EXPECT_FALSE(FindByProcessName(true, L"mstsc.exe", c));
    EXPECT_FALSE(FindByProcessName(true, L"", c));
    EXPECT_FALSE(FindByProcessName(false, L"", c));
    EXPECT_FALSE(FindByProcessName(false, L"mstsc", c));
    EXPECT_EQ(c.get(), before);
}

TEST(ComponentList, TypesWithoutAComponentLeaveTheHolderAlone) {
    ComponentHolder c;
    ASSERT_TRUE(FindByType(RemoteTypeGlass, c));
    const IRemoteComponent* before = c.get();
    for (int type : {-1, 0, 7, 100}) {
        EXPECT_FALSE(FindByType(type, c)) << type;
        EXPECT_FALSE(CloneComponent(type, GetComponentList().At(0), c)) << type;
    }
    EXPECT_EQ(c.get(), before);
}

// A component whose three queries answer what the test says, to check the
// needs-repair rule of the base class.
class ScriptedComponent : public RemoteBaseComponent {
public:
    ScriptedComponent(TriState client, TriState files, TriState registration)
        : client_(client), files_(files), registration_(registration) {}
    TriState IsClientInstalled(bool) const override { return client_; }
    TriState IsDllInstalled(bool) const override { return files_; }
    TriState IsRegistered(bool) const override { return registration_; }

private:
    TriState client_, files_, registration_;
};

TEST(NeedsRepairRule, OnlyAZeroFromFilesOrRegistrationOfAnInstalledClient) {
    // {client, files, registration} -> needs repair
    const std::tuple<int, int, int, bool> cases[] = {
        {0, 0, 0, false},   {-1, 1, 1, false}, {1, 1, 1, false},  {-1, -1, -1, false},
        {-1, 0, 1, true},   {1, 1, 0, true},   {-1, -1, 0, true}, {1, 0, -1, true},
    };
    for (const auto& [client, files, registration, expected] : cases) {
        ScriptedComponent c(client, files, registration);
        EXPECT_EQ(c.UpdateState(false, L""), expected)
            << client << " " << files << " " << registration;
    }
}

TEST(RepairCombination, AnyFailureWinsThenAnyRepair) {
    auto combine = [](std::initializer_list<TriState> answers) {
        TriState total = -1;
        for (TriState r : answers) total = CombineRepairResult(total, r);
        return total;
    };
    EXPECT_EQ(combine({-1, 1, 0}), 0);
    EXPECT_EQ(combine({-1, -1, 1}), 1);
    EXPECT_EQ(combine({-1, -1, -1}), -1);
    EXPECT_EQ(combine({}), -1);
}

}  // namespace
