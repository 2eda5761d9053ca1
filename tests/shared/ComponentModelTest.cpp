// The component list's lookups, and the rules every component and the
// detector share.
#include <gtest/gtest.h>

#include <tuple>

#include "shared/Farlink/RemoteBaseComponent.h"
#include "shared/Farlink/RemoteComponentList.h"
#include "shared/Farlink/RepairResult.h"

using namespace sharedfarlink;

namespace {

TEST(ComponentList, ProcessNamesMatchWithoutCaseAndListOrderBreaksTies) {
    const std::tuple<bool, const wchar_t*, int> rows[] = {  // host side, name, type (-1: none)
        {false, L"MSTSC.EXE", RemoteTypeRdp},  // Glass has the same client
        {false, L"msrdc.exe", RemoteTypeAzure},
        {false, L"WorkSpaces.exe", RemoteTypeAws},
        {true, L"PCOIP_SERVER_WIN32.EXE", RemoteTypeAws},  // the only host-side name
        {true, L"mstsc.exe", -1},
        {true, L"", -1},
        {false, L"", -1},
        {false, L"mstsc", -1},
    };
    ComponentHolder c;
    for (const auto& [host, name, type] : rows) {
        const IRemoteComponent* before = c.get();
        EXPECT_EQ(FindByProcessName(host, name, c), type != -1) << name;
        EXPECT_EQ(type != -1 ? c->GetType() : -1, type) << name;
        EXPECT_TRUE(type != -1 || c.get() == before) << name;
    }
    ASSERT_TRUE(FindByType(RemoteTypeGlass, c));
    const IRemoteComponent* before = c.get();
    for (int type : {-1, 0, 7, 100}) {
        EXPECT_FALSE(FindByType(type, c)) << type;
        EXPECT_FALSE(CloneComponent(type, GetComponentList().At(0), c)) << type;
    }
    EXPECT_EQ(c.get(), before);
}

// A component whose three queries answer what the test says.
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
    EXPECT_EQ(combine({0, 1, -1}), 0);
    EXPECT_EQ(combine({-1, -1, 1}), 1);
    EXPECT_EQ(combine({-1, -1, -1}), -1);
}

}  // namespace
