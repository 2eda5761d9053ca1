// The detector over all six real components, with every client installed on
// a scratch client machine; and the host side of the five that have none.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "common/TestPaths.h"
#include "shared/Farlink/RemoteComponentDetector.h"
#include "shared/Farlink/RemoteComponentList.h"
#include "shared/InstallFixture.h"

using namespace sharedfarlink;

namespace detection_tests {
namespace {

// {type, IsClientInstalled, IsRegistered, IsDllInstalled} per enumerated step.
using Line = std::tuple<int, TriState, TriState, TriState>;

std::vector<Line> Enumerate(RemoteComponentDetector& detector, bool side) {
    std::vector<Line> lines;
    bool first = true;
    while (detector.MoveNext(first, L""))
        lines.emplace_back(detector.GetType(), detector.IsClientInstalled(side),
                           detector.IsRegistered(side), detector.IsDllInstalled(side));
    return lines;
}

class AllChannels : public InstallFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(SplitRegistryViews());
        scratch_ = testing_support::MakeScratchDir(L"channels");
        CreatePluginFiles();
        WriteAddin(kKelp, NativePath(), 1);
        ASSERT_TRUE(CreateEmptyFile(scratch_ + L"\\vcbica.dll"));
        ASSERT_TRUE(SeedCitrix(scratch_ + L"\\", true));
        ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kHorizonClientKey, L"Version", L"8",
                              KEY_WOW64_32KEY));
        ASSERT_TRUE(::CreateDirectoryW((scratch_ + L"\\vchan_plugins").c_str(), nullptr));
        ASSERT_TRUE(CreateEmptyFile(scratch_ + L"\\vchan_plugins\\vcbpco.dll"));
        ASSERT_TRUE(SeedWorkSpacesCommand(L"\"" + scratch_ + L"\\workspaces.exe\" \"%1\""));
    }
    void TearDown() override { testing_support::RemoveTree(scratch_); }

    std::wstring scratch_;
};

TEST_F(AllChannels, ClientMachineListsEveryComponentWithItsOwnAnswers) {
    RemoteComponentDetector detector;
    ASSERT_FALSE(detector.inRemoteSession);
    const std::vector<Line> healthy = {
        {RemoteTypeRdp, -1, 1, 1},  {RemoteTypeIca, 1, 1, 1},   {RemoteTypeHorizon, 1, 1, 1},
        {RemoteTypeAws, 1, -1, 1},  {RemoteTypeGlass, 0, 1, 1}, {RemoteTypeAzure, -1, 1, 1},
    };
    EXPECT_EQ(Enumerate(detector, false), healthy);
    EXPECT_EQ(detector.Repair(false, L""), -1);

    // Citrix loses its module entry, WorkSpaces its plug-in file: both need the
    // installer, and without a product code both repairs fail.
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kCitrixModulesKey, KEY_WOW64_32KEY, 0);
    ::DeleteFileW((scratch_ + L"\\vchan_plugins\\vcbpco.dll").c_str());
    std::vector<Line> broken = healthy;
    std::get<2>(broken[1]) = 0;
    std::get<3>(broken[3]) = 0;
    EXPECT_EQ(Enumerate(detector, false), broken);
    EXPECT_EQ(detector.Repair(false, L""), 0);
}

// The host side has nothing to say for every component but WorkSpaces, though
// Citrix reads its values there too: they travel with a copy.
TEST_F(AllChannels, HostSideAnswersDoesNotApplyAndNeverRepairs) {
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kCitrixModulesKey, KEY_WOW64_32KEY, 0);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kKelp);
    for (int type : {RemoteTypeRdp, RemoteTypeIca, RemoteTypeHorizon, RemoteTypeGlass,
                     RemoteTypeAzure}) {
        SCOPED_TRACE(type);
        ComponentHolder c, copy;
        ASSERT_TRUE(FindByType(type, c));
        EXPECT_FALSE(c->UpdateState(true, L""));
        EXPECT_EQ(c->IsClientInstalled(true), -1);
        EXPECT_EQ(c->IsRegistered(true), -1);
        EXPECT_EQ(c->IsDllInstalled(true), -1);
        EXPECT_EQ(c->Repair(true, L""), -1);
        ASSERT_TRUE(CloneComponent(type, *c, copy));
        if (type == RemoteTypeIca) {
            EXPECT_EQ(copy->IsClientInstalled(false), 1);
            EXPECT_EQ(copy->IsRegistered(false), 0);
            EXPECT_EQ(copy->IsDllInstalled(false), 1);
        }
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKelp));
}

}  // namespace
}  // namespace detection_tests
